#!/usr/bin/env bash
# Runs a command inside a fresh Wine prefix with a private Xvfb display, then shuts both down.
# Everything the command starts (tests, programs) shares that prefix: its registry and its named
# kernel objects. The prefix is 32-bit or 64-bit as tools/win-arch.sh chooses.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}
mkdir -p "$build"
. "$root/tools/win-arch.sh"
lotwise_choose_win_arch "$root"

export WINEPREFIX=${LOTWISE_WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ "$LOTWISE_WIN_ARCH" = x64 ]; then
  # Debian's wine scripts start the i386 loader whenever it is installed, even where it cannot
  # run: wrappers first on PATH send wine, wineserver and wineboot to the 64-bit ones.
  wrappers="$build/wine64-bin"
  mkdir -p "$wrappers"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$wrappers/wine"
  printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 "$@"\n' >"$wrappers/wineserver"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot.exe "$@"\n' >"$wrappers/wineboot"
  chmod +x "$wrappers/wine" "$wrappers/wineserver" "$wrappers/wineboot"
  export PATH="$wrappers:$PATH" WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64
else
  export WINEARCH=win32
fi
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY no_proxy NO_PROXY all_proxy ALL_PROXY
real_home=$HOME
HOME=$(mktemp -d)  # keeps Wine's shell folders and menu entries out of the real home
export HOME

display_file=$(mktemp)
boot_log=$(mktemp)
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  rm -rf "$HOME" "$display_file" "$boot_log"
  HOME=$real_home
}
trap cleanup EXIT

# LOTWISE_KEEP_DISPLAY=1 shows the windows on the display already in DISPLAY.
if [ -z "${LOTWISE_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
  command -v Xvfb >/dev/null || lotwise_fail "Xvfb is not installed: run tools/install-deps.sh as root."
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >"$boot_log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  if [ ! -s "$display_file" ]; then
    echo "lotwise: the virtual display (Xvfb) did not start within 10 s. It said:" >&2
    tail -n 10 "$boot_log" >&2
    lotwise_fail "check that no stale X lock files are left in /tmp (.X*-lock) and that the machine has memory free."
  fi
  export DISPLAY=":$(head -n 1 "$display_file")"
fi

boot_prefix() {
  rm -rf "$WINEPREFIX"
  timeout 120 wineboot -i >"$boot_log" 2>&1 && timeout 60 wineserver -w
}
# A first boot on a busy machine now and then fails with nothing wrong in the installation; a
# second, on a fresh prefix, tells the two apart.
if ! boot_prefix && ! { wineserver -k 2>/dev/null; boot_prefix; }; then
  echo "lotwise: Wine could not set up the prefix $WINEPREFIX ($WINEARCH). wineboot's last lines:" >&2
  tail -n 15 "$boot_log" >&2
  lotwise_fail "run 'apt-get install --reinstall wine' (and wine64 or wine32:i386), or force the other configuration with LOTWISE_WIN_ARCH=x86|x64."
fi
wineserver -p  # keep the server up between programs: later starts are fast
# Wine's own TrueType fonts (fonts-wine) are found only when registered: without Marlett the
# title-bar buttons show as "0 1 r", and without Tahoma dialogs fall back to another face.
for font in marlett tahoma tahomabd; do
  [ -e "/usr/share/wine/fonts/$font.ttf" ] &&
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
      /v "$font (TrueType)" /t REG_SZ /d "Z:\\usr\\share\\wine\\fonts\\$font.ttf" /f >/dev/null 2>&1 || true
done
# No window manager runs on Xvfb: without this, Wine waits two seconds for every window that
# closes.
[ -n "$xvfb_pid" ] && wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
# Start Wine's background processes (services, explorer) now, detached from the command's
# output: started by the first test instead, they would inherit its pipes and keep ctest
# waiting for them to close.
wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true

"$@"
