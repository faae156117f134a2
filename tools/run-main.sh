#!/usr/bin/env bash
# The main job: builds Lotwise and its installer, starts the local sample auction site, installs
# Lotwise silently into a fresh Wine prefix, writes a sample search list that points at the
# site, runs one pass with pop-ups off and prints the pass log. With a display of your own
# (DISPLAY set), the search manager then opens on the results; close it to finish.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}

. "$root/tools/win-arch.sh"
trap lotwise_win_arch_line EXIT
lotwise_prepare "$root"
build_log=$(mktemp)
if ! "$root/tools/build.sh" >"$build_log" 2>&1; then
  tail -n 30 "$build_log" >&2
  rm -f "$build_log"
  lotwise_fail "the build failed (its last lines are above)."
fi
rm -f "$build_log"

site="$build/demo-site"
python3 "$root/tests/fixture_site/fixture_site.py" stop --state "$site" >/dev/null 2>&1 || true
rm -rf "$site"
python3 "$root/tests/fixture_site/fixture_site.py" start --state "$site" --mount "/pages=$root/tests/data/pages"
trap 'python3 "$root/tests/fixture_site/fixture_site.py" stop --state "$site" >/dev/null 2>&1 || true
      lotwise_win_arch_line' EXIT
for _ in $(seq 1 100); do [ -s "$site/port" ] && break; sleep 0.1; done
[ -s "$site/port" ] || lotwise_fail "the sample auction site did not start; see $site/server.log."
port=$(tr -d '\n' <"$site/port")

[ -n "${DISPLAY:-}" ] && export LOTWISE_KEEP_DISPLAY=1
export LOTWISE_WINEPREFIX="$build/demo-prefix"
export LOTWISE_DEMO_PORT=$port LOTWISE_DEMO_SETUP="$build/$LOTWISE_WIN_TREE/bin/LotwiseSetup.exe"
"$root/tools/with-wine.sh" bash -c '
  set -euo pipefail
  wine "$LOTWISE_DEMO_SETUP" /S
  folder="$WINEPREFIX/drive_c/Program Files/Rure Lotwise"
  site="http://127.0.0.1:$LOTWISE_DEMO_PORT/pages"
  # Target 25.00 and three hours left: three bargains on each of the first two pages.
  printf "%s\r\n" \
    "\"Pocket watches\"	$site/raw_pocket_watches.html?q=pocket+watch	0	3	0	25" \
    "\"Film cameras\"	$site/escaped_film_cameras.html?q=film+camera	0	3	0	25" \
    "\"Fountain pens\" $site/raw_long_line_pens.html?q=fountain+pen 0 3 0 25.00" \
    "\"Typewriters\" $site/raw_no_items.html?q=typewriter 0 0 30 10" >"$folder/lotwise2.ini"
  wine reg add "HKLM\\SOFTWARE\\Rure Lotwise" /v PopupMessages /t REG_SZ /d 0 /f >/dev/null
  wine reg add "HKLM\\SOFTWARE\\Rure Lotwise" /v LotwiseSound /t REG_SZ /d 0 /f >/dev/null
  (cd "$folder" && wine lotwise.exe -r)
  echo "Pass log ($folder/lotwise.txt):"
  echo
  tr -d "\r" <"$folder/lotwise.txt"
  if [ -n "${LOTWISE_KEEP_DISPLAY:-}" ]; then
    echo
    echo "Opening the search manager on the results; close it to finish."
    (cd "$folder" && wine LotwiseMgr.exe)
  fi
'
