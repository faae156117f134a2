#!/usr/bin/env bash
# Installs what building and testing Lotwise needs on Debian 12, when it is missing.
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-i686 wine wine32:i386 xvfb xauth clang libclang-rt-14-dev
          googletest libbenchmark-dev python3 imagemagick x11-apps nsis)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
