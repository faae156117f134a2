#!/usr/bin/env bash
# Installs what building and testing Lotwise needs on Debian 12, when it is missing.
#   install-deps.sh       the native tools and the i686 set (always: the shipped programs)
#   install-deps.sh x64   also wine64 and the x86-64 cross compiler (tools/win-arch.sh)
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-i686-posix wine wine32:i386 fonts-wine xvfb xauth clang
          libclang-rt-14-dev googletest libbenchmark-dev python3 python3-markdown imagemagick x11-apps nsis)
if [ "${1:-}" = x64 ]; then
  packages=(wine64 g++-mingw-w64-x86-64-posix)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "lotwise: these Debian packages are missing: ${missing[*]}." >&2
  echo "lotwise: run this command as root, or install them with apt-get first." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
if ! { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
  echo "lotwise: could not install the Debian packages ${missing[*]}. apt-get said:" >&2
  tail -n 15 "$log" >&2
  echo "lotwise: check the machine's package sources and network, then run the command again." >&2
  rm -f "$log"
  exit 1
fi
rm -f "$log"
