#!/usr/bin/env bash
# The poller's benchmark: builds lotwise.exe and the helper, generates result pages, serves
# them from the fixture site and runs, under Wine, one long pass, the soak and the idle check.
# Prints a short report. Extra arguments go to the helper, e.g. --soak-passes 20 or --only soak.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTWISE_BUILD:-$root/build}
. "$root/tools/win-arch.sh"
lotwise_choose_win_arch "$root"
lotwise_win_arch_line
# A build of its own: the benchmarks are not in the tested tree.
win=$build/$LOTWISE_WIN_TREE-bench

cmake -S "$root" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLOTWISE_BENCHMARKS=ON \
      -DCMAKE_TOOLCHAIN_FILE="$LOTWISE_WIN_TOOLCHAIN" >/dev/null
cmake --build "$win" --target lotwise poller_bench >/dev/null

work=$build/pollerbench
site=$root/tests/fixture_site/fixture_site.py
python3 "$site" stop --state "$work/site"  # one left by an interrupted run
rm -rf "$work"
mkdir -p "$work/pages" "$work/www" "$work/run"
python3 "$root/tests/bench/make_bench_pages.py" "$work/pages" --name bench --pages 200 --items 100
python3 "$root/tests/bench/make_bench_pages.py" "$work/pages" --name soak --pages 5 --items 20 --seed 2

python3 "$site" start --state "$work/site" --root "$work/www" --mount "/pages=$work/pages" --lifetime 7200
trap 'python3 "$site" stop --state "$work/site"' EXIT
# Wine hands the environment to the helper; drive Z: is the Unix root.
export LOTWISE_FIXTURE_SITE="Z:$work/site" LOTWISE_FIXTURE_ROOT="Z:$work/www"

cd "$work/run"
LOTWISE_BUILD=$build "$root/tools/with-wine.sh" wine "$win/bin/poller_bench.exe" "Z:$work/pages" "$@"
