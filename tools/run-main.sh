#!/usr/bin/env bash
# The main job: builds the programs and, in a fresh Wine prefix, runs the poller: a one-pass
# run in a demo folder, then the stop command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}
"$root/tools/install-deps.sh"
"$root/tools/build.sh" >/dev/null
demo="$build/demo"
rm -rf "$demo" && mkdir -p "$demo"
cp "$build/win/bin/lotwise.exe" "$demo/"
"$root/tools/with-wine.sh" bash -c '
  cd "$1"
  wine lotwise.exe -r & pass=$!
  sleep 2
  wine lotwise.exe -k
  wait $pass; echo "lotwise.exe -r ended with $?"
' _ "$demo"
