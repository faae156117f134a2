# Sourced by the tools: chooses the Windows configuration this machine tests with, once per
# command, and says which and why.
#
#   x86  the shipped programs (i686) run in a 32-bit Wine prefix: build/win
#   x64  the same sources built for x86-64 run under wine64 in a 64-bit prefix: build/win64;
#        the i686 programs are still built in build/win, without their tests
#
# Some kernels refuse 32-bit Linux programs ("Exec format error"), so the i386 Wine loader
# cannot start there although the package installs. LOTWISE_WIN_ARCH=x86|x64 forces a choice.
#
# After lotwise_choose_win_arch: LOTWISE_WIN_ARCH, LOTWISE_WIN_ARCH_REASON, LOTWISE_WIN_TREE
# (the build folder name of the tested tree) and LOTWISE_WIN_TOOLCHAIN (its toolchain file) are
# exported, so the scripts it starts agree.

lotwise_fail() {
  echo "lotwise: $*" >&2
  exit 1
}

# The i386 loader starts and a fresh 32-bit prefix boots. Debian's wine script is bypassed: it
# picks the i386 loader whenever the file exists.
_lotwise_x86_works() {
  local out prefix rc
  if [ ! -x /usr/lib/wine/wine ]; then
    _lotwise_x86_why="the 32-bit Wine loader (wine32:i386) is not installed"
    return 1
  fi
  if ! out=$(/usr/lib/wine/wine --version 2>&1); then
    _lotwise_x86_why="the 32-bit Wine loader cannot start here ($(printf '%s' "$out" | tail -n 1 | sed 's/^.*: //'))"
    return 1
  fi
  prefix=$(mktemp -d)
  rc=0
  out=$(WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        DISPLAY= timeout 120 /usr/lib/wine/wine wineboot.exe -i 2>&1) || rc=$?
  WINEPREFIX=$prefix timeout 30 /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  if [ $rc -eq 0 ] && [ ! -f "$prefix/system.reg" ]; then rc=1; fi
  rm -rf "$prefix"
  if [ $rc -ne 0 ]; then
    _lotwise_x86_why="a fresh 32-bit Wine prefix does not boot (wineboot: $(printf '%s' "$out" | tail -n 1))"
    return 1
  fi
  return 0
}

lotwise_choose_win_arch() {
  local root=$1 out
  if [ -n "${LOTWISE_WIN_ARCH_REASON:-}" ]; then
    return 0  # chosen by the script that started this one
  fi
  case "${LOTWISE_WIN_ARCH:-}" in
    x86)
      _lotwise_x86_works || lotwise_fail "LOTWISE_WIN_ARCH=x86 was asked for, but $_lotwise_x86_why." \
        "This machine can only test the x86-64 configuration: run without LOTWISE_WIN_ARCH, or with LOTWISE_WIN_ARCH=x64."
      LOTWISE_WIN_ARCH_REASON="forced by LOTWISE_WIN_ARCH=x86" ;;
    x64)
      LOTWISE_WIN_ARCH_REASON="forced by LOTWISE_WIN_ARCH=x64" ;;
    "")
      if _lotwise_x86_works; then
        LOTWISE_WIN_ARCH=x86
        LOTWISE_WIN_ARCH_REASON="32-bit Wine runs on this machine"
      else
        LOTWISE_WIN_ARCH=x64
        LOTWISE_WIN_ARCH_REASON="$_lotwise_x86_why"
      fi ;;
    *)
      lotwise_fail "LOTWISE_WIN_ARCH must be x86 or x64, not '$LOTWISE_WIN_ARCH'." ;;
  esac
  if [ "$LOTWISE_WIN_ARCH" = x64 ]; then
    "$root/tools/install-deps.sh" x64
    if ! out=$(/usr/lib/wine/wine64 --version 2>&1); then
      lotwise_fail "no Wine on this machine can run either configuration: the 32-bit loader" \
        "cannot (${_lotwise_x86_why:-not tried}), and the 64-bit loader fails too ($out)." \
        "Check that the kernel runs x86-64 programs and that the wine64 package is whole (apt-get install --reinstall wine64)."
    fi
    LOTWISE_WIN_TREE=win64 LOTWISE_WIN_TOOLCHAIN=$root/cmake/mingw-x86_64.cmake
  else
    LOTWISE_WIN_TREE=win LOTWISE_WIN_TOOLCHAIN=$root/cmake/mingw-i686.cmake
  fi
  export LOTWISE_WIN_ARCH LOTWISE_WIN_ARCH_REASON LOTWISE_WIN_TREE LOTWISE_WIN_TOOLCHAIN
}

# The first steps of a command that builds and runs the programs: what is missing is
# installed, and the configuration chosen and said.
lotwise_prepare() {
  "$1/tools/install-deps.sh"
  lotwise_choose_win_arch "$1"
  lotwise_win_arch_line
}

# Said on every exit of a command too (trap lotwise_win_arch_line EXIT), so that a report of a
# failed build or run always names its configuration.
lotwise_win_arch_line() {
  if [ -z "${LOTWISE_WIN_ARCH_REASON:-}" ]; then
    echo "Windows configuration: none chosen yet (the command ended before choosing one)."
    return 0
  fi
  case "$LOTWISE_WIN_ARCH" in
    x86) echo "Windows configuration: x86 (i686 programs in a 32-bit Wine prefix, build/win): $LOTWISE_WIN_ARCH_REASON." ;;
    x64) echo "Windows configuration: x64 (x86-64 programs under wine64, build/win64; the i686 programs are built in build/win, not run): $LOTWISE_WIN_ARCH_REASON." ;;
  esac
}
