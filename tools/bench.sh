#!/usr/bin/env bash
# Prints the speed figures: the native listing-scan benchmark, then the
# start-up time of hobrin.exe under Wine beside the emulator's own listing time.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

bash "$root/tools/setup.sh" || exit 1
cmake -S "$root" -B "$build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHOBRIN_SANITIZE=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
cmake --build "$build/bench" --target hobrin_bench || exit 1
"$build/bench/hobrin_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null || exit 1
cmake --build "$build/win" || exit 1
source "$root/tools/wine-env.sh"
wine_env_start "$build/win" || exit 1
bench_data="$build/bench-yorl"
rm -rf "$bench_data" && mkdir -p "$bench_data/scores"
service_start "$bench_data" || exit 1
HOBRIN_BENCH_YORL_DATA=$(winepath -w "$bench_data") wine "$build/win/hobrin_startup_bench.exe"

# The same request from curl, for comparison.
url="http://127.0.0.1:8380/yorl/index.cgi?mode=fe_scores&short=game0"
times=$(for _ in 1 2 3 4 5 6 7; do curl -s -o /dev/null -w '%{time_total}\n' "$url"; done)
python3 - "$times" <<'PY'
import statistics, sys
times = [float(t) * 1000 for t in sys.argv[1].split()]
print(f"  curl, same request:                 {statistics.median(times):7.1f} ms (median of {len(times)})")
PY
