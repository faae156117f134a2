#!/usr/bin/env bash
# Configures and builds: build/native (portable core, clang with AddressSanitizer and UBSan,
# fuzzers) and the Windows programs with their tests in the tree that tools/win-arch.sh chooses
# (build/win for x86, build/win64 for x64). The i686 programs are always built in build/win.
#   build.sh --native   the native tree alone
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}
# CI (CI=true) builds with warnings as errors; a developer's build stays lenient.
werror=OFF
[ "${CI:-}" = true ] && werror=ON

cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLOTWISE_I686_BIN="$build/win/bin" \
      -DLOTWISE_WERROR=$werror >/dev/null
cmake --build "$build/native"
[ "${1:-}" = --native ] && exit 0

. "$root/tools/win-arch.sh"
lotwise_choose_win_arch "$root"
if [ "$LOTWISE_WIN_ARCH" = x64 ]; then
  cmake -S "$root" -B "$build/win64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DLOTWISE_BENCHMARKS=OFF -DLOTWISE_WERROR=$werror -DCMAKE_TOOLCHAIN_FILE="$LOTWISE_WIN_TOOLCHAIN" >/dev/null
  cmake --build "$build/win64"
  # The shipped programs still build warning-free; their tests cannot run here.
  cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DLOTWISE_WERROR=$werror -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$build/win" --target lotwise LotwiseMgr installer
else
  cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DLOTWISE_BENCHMARKS=OFF \
        -DLOTWISE_WERROR=$werror -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$build/win"
fi
# One ctest run over the native tree and the tested Windows tree, one summary at the end.
printf 'subdirs("native" "%s")\n' "$LOTWISE_WIN_TREE" >"$build/CTestTestfile.cmake"
