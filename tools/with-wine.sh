#!/usr/bin/env bash
# Runs a command inside a fresh 32-bit Wine prefix with a private Xvfb display, then shuts
# both down. Everything the command starts (tests, programs) shares that prefix: its registry
# and its named kernel objects.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}
mkdir -p "$build"

export WINEPREFIX=${LOTWISE_WINEPREFIX:-$build/wineprefix}
export WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY no_proxy NO_PROXY all_proxy ALL_PROXY
real_home=$HOME
HOME=$(mktemp -d)  # keeps Wine's shell folders and menu entries out of the real home
export HOME

display_file=$(mktemp)
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  rm -rf "$HOME" "$display_file"
  HOME=$real_home
}
trap cleanup EXIT

# LOTWISE_KEEP_DISPLAY=1 shows the windows on the display already in DISPLAY.
if [ -z "${LOTWISE_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  [ -s "$display_file" ] || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n 1 "$display_file")"
fi

rm -rf "$WINEPREFIX"
timeout 120 wineboot -i >/dev/null 2>&1
timeout 60 wineserver -w
wineserver -p  # keep the server up between programs: later starts are fast
# No window manager runs on Xvfb: without this, Wine waits two seconds for every window that
# closes.
[ -n "$xvfb_pid" ] && wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
# Start Wine's background processes (services, explorer) now, detached from the command's
# output: started by the first test instead, they would inherit its pipes and keep ctest
# waiting for them to close.
wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true

"$@"
