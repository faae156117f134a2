#!/usr/bin/env bash
# Every test: installs what is missing, builds both configurations, runs the native tests
# (sanitizers, fuzzers) and the Wine tests in one ctest run. Extra arguments go to ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}

"$root/tools/install-deps.sh"
"$root/tools/build.sh"
"$root/tools/with-wine.sh" ctest --test-dir "$build" --output-on-failure -j2 "$@"
