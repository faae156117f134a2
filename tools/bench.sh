#!/usr/bin/env bash
# Builds the benchmarks in a native Release configuration without sanitizers and runs them:
# the parser's, the search health bookkeeping's, then the bargain history dialog's rows. Extra
# arguments go to every benchmark program (e.g. --benchmark_filter=NormaliseAndParse).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}/bench

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DLOTWISE_BENCHMARKS=ON -DLOTWISE_FUZZ=OFF >/dev/null
cmake --build "$build" --target parse_bench health_bench history_bench
# The benchmark writes its page and the parser's working files in a folder of its own.
mkdir -p "$build/benchrun"
cd "$build/benchrun"
"$build/bin/parse_bench" "$@"
"$build/bin/health_bench" "$@"
"$build/bin/history_bench" "$@"
