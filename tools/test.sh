#!/usr/bin/env bash
# Every test: installs what is missing, chooses the Windows configuration (tools/win-arch.sh),
# builds, runs the native tests (sanitizers, fuzzers) and the Wine tests in one ctest run.
# Extra arguments go to ctest.
#   test.sh --fast   only the native tree and its unit tests: seconds, no Wine
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}

if [ "${1:-}" = --fast ]; then
  shift
  "$root/tools/install-deps.sh"
  "$root/tools/build.sh" --native
  exec ctest --test-dir "$build/native" -L unit --output-on-failure -j2 "$@"
fi
. "$root/tools/win-arch.sh"
trap lotwise_win_arch_line EXIT
lotwise_prepare "$root"
"$root/tools/build.sh"
"$root/tools/with-wine.sh" ctest --test-dir "$build" --output-on-failure -j2 "$@"
