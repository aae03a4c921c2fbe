#!/usr/bin/env bash
# Prints the speed figures, each on one line beside what it is compared with
# in the same run and its goal (tools/bench_report.py writes the table):
# natively (Google Benchmark) the listing scan and the feed walk; under Wine
# the start-up beside a bare dialog program and the emulator's own listing,
# "Only games I have" ticked and unticked beside a bare list box's fill,
# the two score lists beside curl and a bare WinINet fetch, the memory, and
# 1 MiB and 16 MiB downloads beside curl and a bare WinINet loop of 1024-byte
# reads. Goals are printed, never enforced: it exits non-zero only when a
# measurement could not be made.
#   tools/bench.sh [native] [startup] [scores] [downloads] [check]   (default: all of them)
#   HOBRIN_BENCH_BASE=REVISION tools/bench.sh ...   also times that revision's hobrin.exe
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
out="$build/bench"
# The stand-in service's port, compiled into the build as the tests do.
port=${HOBRIN_TEST_PORT:-8380}
base="http://127.0.0.1:$port/yorl"

progress() { printf 'bench: %s\n' "$*" >&2; }
sections=${*:-native startup scores downloads check}
want() { [[ " $sections " == *" $1 "* ]]; }

bash "$root/tools/setup.sh" || exit 1
mkdir -p "$out"
figures="$out/figures.txt"
native="$out/native.json"
: > "$figures"
echo '{}' > "$native"
if want native; then
    progress "native benchmarks"
    cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHOBRIN_SANITIZE=OFF \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
    cmake --build "$out" --target hobrin_bench >/dev/null || exit 1
    "$out/hobrin_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_out="$native" --benchmark_out_format=json >/dev/null 2>"$out/native.log" || exit 1
fi

cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DHOBRIN_SERVICE_URL="$base/" >/dev/null || exit 1
cmake --build "$build/win" >/dev/null || exit 1
# HOBRIN_BENCH_BASE=REVISION: that revision's hobrin.exe, built here with
# the same settings, is timed beside this one in the start-up and check
# figures (".baseline_ms", and ".over_baseline_ms" this build's difference).
if [ -n "${HOBRIN_BENCH_BASE:-}" ]; then
    rev=$(git -C "$root" rev-parse --verify "${HOBRIN_BENCH_BASE}^{commit}") || exit 1
    progress "the baseline build, ${rev:0:10}"
    base_src="$out/baseline-src"
    if [ "$(cat "$base_src/.revision" 2>/dev/null)" != "$rev" ]; then
        rm -rf "$base_src" "$out/baseline-win" && mkdir -p "$base_src"
        git -C "$root" archive "$rev" | tar -x -C "$base_src" || exit 1
        echo "$rev" > "$base_src/.revision"
    fi
    cmake -S "$base_src" -B "$out/baseline-win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$base_src/cmake/mingw-i686.cmake" -DHOBRIN_SERVICE_URL="$base/" \
        -DHOBRIN_MINIZIP_DIR="$build/deps/zlib-src/contrib/minizip" >/dev/null || exit 1
    cmake --build "$out/baseline-win" --target hobrin >/dev/null || exit 1
fi
source "$root/tools/wine-env.sh"
wine_env_start "$build/win" || exit 1
data="$build/bench-yorl"
rm -rf "$data" && mkdir -p "$data/scores" "$data/inp"
# Two stored archives of 1 MiB and 16 MiB, each holding one recording of
# game dl1m or dl16m, so that the download can also be played back by hand.
python3 - "$data/inp" <<'PY' || exit 1
import os, random, sys, zipfile
for name, game, size in (("bench_1m", b"dl1m", 1 << 20), ("bench_16m", b"dl16m", 16 << 20)):
    path = os.path.join(sys.argv[1], name + ".zip")
    overhead = 0
    for _ in range(2):  # the second pass makes the archive exactly `size` bytes
        member = game.ljust(8, b"\0") + random.Random(size).randbytes(size - overhead - 8)
        with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as archive:
            archive.writestr("bench.inp", member)
        overhead = os.path.getsize(path) - len(member)
PY
service_start "$data" "$port" || exit 1
export HOBRIN_BENCH_YORL_DATA HOBRIN_BENCH_SERVICE_URL="$base/"
HOBRIN_BENCH_YORL_DATA=$(winepath -w "$data")

# Median milliseconds of `rounds` fetches of `url` by curl, as a figure line.
curl_figure() {
    local name=$1 url=$2 rounds=$3
    local times
    times=$(for _ in $(seq "$rounds"); do curl -s -o /dev/null -w '%{time_total}\n' "$url"; done)
    python3 -c 'import statistics, sys; print("figure %s %.3f" % (sys.argv[1], 1000 * statistics.median(map(float, sys.argv[2].split()))))' \
        "$name" "$times"
}

bare_wininet() {
    wine "$build/win/bench_wininet.exe" "$@" 2>/dev/null
}

if [ -n "${HOBRIN_BENCH_BASE:-}" ]; then
    export HOBRIN_BENCH_BASELINE
    HOBRIN_BENCH_BASELINE=$(winepath -w "$out/baseline-win/hobrin.exe")
fi
if want startup; then
    progress "start-up"
    # MAME 0.251's listing, captured here from the installed MAME and
    # printed by the stand-in as today's emulators print theirs.
    mame_listing_capture "$out/mame-listfull.txt" "$out/mame-home" || exit 1
    export HOBRIN_BENCH_MAME_LISTING
    HOBRIN_BENCH_MAME_LISTING=$(winepath -w "$out/mame-listfull.txt")
    wine "$build/win/hobrin_startup_bench.exe" >> "$figures" || exit 1
    progress "Only games I have, ticked and unticked"
    wine "$build/win/hobrin_found_switch_bench.exe" >> "$figures" || exit 1
fi
if want scores; then
    progress "score lists and memory"
    wine "$build/win/hobrin_score_list_bench.exe" >> "$figures" || exit 1
    curl_figure scores.high_curl_ms "$base/index.cgi?mode=fe_scores&short=game0" 21 >> "$figures"
    curl_figure scores.recent_curl_ms "$base/index.cgi?mode=fe_recent" 21 >> "$figures"
    bare_wininet scores.high_wininet_ms "$base/index.cgi?mode=fe_scores&short=game0" 21 >> "$figures" || exit 1
    bare_wininet scores.recent_wininet_ms "$base/index.cgi?mode=fe_recent" 21 >> "$figures" || exit 1
fi
if want downloads; then
    progress "downloads"
    wine "$build/win/hobrin_download_bench.exe" >> "$figures" || exit 1
    loop_file="$(winepath -w "$out")\\bare-download.zip"
    for size in 1m 16m; do
        curl_figure "download.${size}_curl_ms" "$base/inp/bench_$size.zip" 7 >> "$figures"
        bare_wininet "download.${size}_loop_ms" "$base/inp/bench_$size.zip" 7 "$loop_file" >> "$figures" || exit 1
    done
fi

if want check; then
    progress "check of a recording"
    # A two-minute recording of Pong, made once by the installed MAME, and
    # MAME 0.251 as a player keeps it: mame.exe, the bridge to Debian's MAME.
    check="$out/check"
    mkdir -p "$check"
    cp "$build/win/mame-bridge.exe" "$check/mame.exe" || exit 1
    printf 'MAME 0.251\r\nmame.exe\r\n0.251\r\nWin32\r\n' >"$check/versions.ini"
    mame=$(command -v mame || echo /usr/games/mame)
    if [ ! -s "$check/inp/check.inp" ]; then
        (cd "$check" && HOME="$out/mame-home" SDL_AUDIODRIVER=dummy "$mame" -noreadconfig pong -video none \
            -sound none -nothrottle -seconds_to_run 120 -record check.inp >/dev/null 2>&1) || exit 1
    fi
    # The same recording four times over, as pong's table of high scores.
    python3 - "$check/inp/check.inp" "$data" <<'PY' || exit 1
import os, sys, zipfile
recording, data = sys.argv[1], sys.argv[2]
lines = ["header\n"]
for i in range(1, 5):
    with zipfile.ZipFile(os.path.join(data, "inp", "pong_check%d.zip" % i), "w", zipfile.ZIP_DEFLATED) as zf:
        zf.write(recording, "pong_check%d.inp" % i)
    lines.append("('%d','1','std','0.251','1700000000','pong_check%d','T','Player %d',\"Pong (Rev E)\",'%d','1.0',"
                 "'A run')<P>\n" % (100 - i, i, i, i))
with open(os.path.join(data, "scores", "pong.txt"), "w") as feed:
    feed.writelines(lines)
PY
    # The baseline build's own copy of the folder, its recording and MAME.
    if [ -n "${HOBRIN_BENCH_BASE:-}" ]; then
        rm -rf "$check-baseline" && mkdir -p "$check-baseline/inp" &&
            cp "$check/mame.exe" "$check/versions.ini" "$check-baseline/" &&
            cp "$check/inp/check.inp" "$check-baseline/inp/" || exit 1
    fi
    mame_bridge_start "$out/mame-home" $((port + 2)) "$out/mame-bridge.log" || exit 1
    HOBRIN_BENCH_TABLE=1 HOBRIN_BENCH_CHECK_FOLDER=$(winepath -w "$check") wine "$build/win/hobrin_check_bench.exe" \
        >> "$figures" || exit 1
fi

echo
python3 "$root/tools/bench_report.py" "$figures" "$native"
