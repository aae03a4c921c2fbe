#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS (default 60) each, one after the
# other, and prints the executions and coverage of each. Builds the targets
# first, optimised, in build/fuzz. Exits non-zero when a target found a crash,
# and names the input that caused it.
#   tools/fuzz.sh [SECONDS]
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
seconds=${1:-60}
case "$seconds" in
    '' | *[!0-9]* | 0)
        echo "usage: tools/fuzz.sh [SECONDS]   (a whole number above 0; default 60)" >&2
        exit 2
        ;;
esac

bash "$root/tools/setup.sh" || exit 1
# As tools/test.sh builds natively, with optimisation: a fuzzer runs several
# times faster.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
# The configure step lists the targets: name, program, longest input, work
# corpus, seeds.
targets_file="$build/fuzz/targets.txt"
mapfile -t targets < <(cut -f1 "$targets_file")
if [ ${#targets[@]} -eq 0 ]; then
    echo "fuzz: no fuzz targets (they need clang)" >&2
    exit 1
fi
cmake --build "$build" --target "${targets[@]}" || exit 1

summary=()
failed=0
while IFS=$'\t' read -r name program max_len work seeds; do
    log="$build/fuzz/$name.log"
    mkdir -p "$work"
    echo "== $name: ${seconds} s"
    # Crash inputs are written beside the log as NAME-crash-HASH and the like.
    "$program" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
        -artifact_prefix="$build/fuzz/$name-" -print_final_stats=1 \
        "$work" "$seeds" </dev/null >"$log" 2>&1
    status=$?
    # The last status line holds the coverage, "Done N runs" the executions.
    stats=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
    runs=$(sed -nE 's/^Done ([0-9]+) runs.*/\1/p' "$log" | tail -n 1)
    [ -n "$runs" ] || runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
    cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$stats")
    ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$stats")
    corpus=$(sed -nE 's/.* corp: ([0-9]+)\/.*/\1/p' <<<"$stats")
    line=$(printf '%-14s %10s runs  %6s edges  %7s features  %5s inputs' \
        "$name" "${runs:-?}" "${cov:-?}" "${ft:-?}" "${corpus:-?}")
    if [ $status -ne 0 ]; then
        failed=1
        crash=$(sed -nE 's/.*Test unit written to (.*)$/\1/p' "$log" | tail -n 1)
        line="$line  FAILED (exit $status): ${crash:-no input written}, log $log"
        grep -E -m 3 'ERROR|SUMMARY' "$log"
    fi
    summary+=("$line")
done <"$targets_file"

echo
printf '%s\n' "${summary[@]}"
exit $failed
