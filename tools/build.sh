#!/usr/bin/env bash
# Configures and builds both configurations: build/native (portable core, clang with
# AddressSanitizer and UBSan, fuzzers) and build/win (the Windows programs and their tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}

cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build/native"
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build/win"
# One ctest run over both trees, one summary at the end.
printf 'subdirs("native" "win")\n' >"$build/CTestTestfile.cmake"
