#!/usr/bin/env bash
# Runs every test: the native unit tests and fuzzers under ASan and UBSan,
# then the end-to-end tests of hobrin.exe under Wine. Installs what is
# missing first. Exits non-zero when anything fails.
# While working on one thing, a developer may narrow the run:
#   HOBRIN_E2E_FILTER=PATTERN   only the end-to-end tests that this GoogleTest filter names
#   HOBRIN_E2E_ARCHES="win64"   only these prefixes (default: win32 win64)
#   HOBRIN_TEST_SKIP_NATIVE=1   no native tests (the native build still runs)
# The closing line then counts only what ran.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
results="$build/results"

bash "$root/tools/setup.sh" || exit 1
rm -rf "$results"
mkdir -p "$results"
failed=0
# The stand-in service's port, compiled into the test build: set
# HOBRIN_TEST_PORT to run two checkouts' tests side by side.
port=${HOBRIN_TEST_PORT:-8380}
# Its TLS port, for the build of the program that talks https; the port
# after it is the MAME bridge's.
tls_port=$((port + 1))

step() { printf '\n== %s\n' "$*"; }

step "format check (clang-format, .clang-format)"
# Reported as one more test case, so that the closing line counts it.
format_failure=
if ! (cd "$root" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror); then
    format_failure='<failure message="clang-format would change the files above"/>'
    failed=1
fi
printf '<testsuites><testsuite name="Format"><testcase name="SourcesMatchClangFormat">%s</testcase></testsuite></testsuites>\n' \
    "$format_failure" >"$results/format.xml"

step "native build (clang, ASan + UBSan)"
cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DHOBRIN_RESULTS_DIR="$results" \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null || exit 1
cmake --build "$build/native" || exit 1

step "native tests"
if [ -z "${HOBRIN_TEST_SKIP_NATIVE:-}" ]; then
    (cd "$build/native" && ctest --output-on-failure --output-junit "$results/native-ctest.xml") || failed=1
fi

step "Windows build (mingw-w64 i686)"
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DHOBRIN_SERVICE_URL="http://127.0.0.1:$port/yorl/" -DHOBRIN_TEST_TLS_URL="https://localhost:$tls_port/yorl/" \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null || exit 1
cmake --build "$build/win" || exit 1
# The release archive, which an end-to-end test unpacks.
rm -f "$build"/win/hobrin-*-win32.zip
cmake --build "$build/win" --target package >/dev/null || exit 1

# The emulators of the 64-bit prefix, where Windows puts a player's: the
# 64-bit stand-in under Program Files, the 32-bit one under Program Files
# (x86), and beside the first the real MAME 0.251 as mame.exe, the bridge to
# Debian's MAME. Their full paths, which the tests quote in versions.ini,
# are passed on to the test driver.
install_standins() {
    local drive_c="$WINEPREFIX/drive_c" x64
    for x64 in "$build/win/mame-standin-x64.exe" "$build/win/mame-bridge-x64.exe"; do
        if ! file -b "$x64" | grep -q '^PE32+ '; then
            echo "test: $x64 is not a 64-bit Windows program" >&2
            return 1
        fi
    done
    install -D -m 755 "$build/win/mame-standin-x64.exe" "$drive_c/Program Files/MAME 0.251/mame-standin.exe" &&
        install -D -m 755 "$build/win/mame-bridge-x64.exe" "$drive_c/Program Files/MAME 0.251/mame.exe" &&
        install -D -m 755 "$build/win/mame-standin.exe" "$drive_c/Program Files (x86)/MAME 0.106/mame-standin.exe" ||
        return 1
    standins=("HOBRIN_E2E_MAME_0106=C:\\Program Files (x86)\\MAME 0.106\\mame-standin.exe"
        "HOBRIN_E2E_MAME_0251=C:\\Program Files\\MAME 0.251\\mame-standin.exe"
        "HOBRIN_E2E_MAME_REAL=C:\\Program Files\\MAME 0.251\\mame.exe")
}

# run_e2e_suite ARCH: the whole end-to-end suite in the Wine prefix of ARCH
# (win32 or win64), its report in results/e2e-ARCH.xml. The 32-bit prefix
# runs the stand-in emulator beside hobrin.exe, by its bare name; the 64-bit
# one runs the stand-ins installed under Program Files, and the real MAME.
run_e2e_suite() {
    local arch=$1 standins=() filter=${HOBRIN_E2E_FILTER:-*}
    step "end-to-end tests under Wine, $arch prefix"
    wine_prefix_use "$build/win" "$arch" || return 1
    if [ "$arch" = win64 ]; then
        install_standins || return 1
    elif [[ $filter == *-* ]]; then
        filter="$filter:RealMame*"
    else
        filter="$filter-RealMame*"
    fi
    trust_test_authority "$build/tls/authority.crt" "$build/win/trust-root.exe" || return 1
    # Serial and printer ports that a test can see writes to.
    rm -rf "$build/e2e-devices"
    devices_start "$build/e2e-devices" || return 1
    local report
    report=$(winepath -w "$results/e2e-$arch.xml")
    # The driver's own bounded waits end a stuck test; this bounds the whole run.
    (cd "$build/win" && HOBRIN_E2E_DEVICES=$(winepath -w "$build/e2e-devices") \
        timeout 1500 env "${standins[@]}" wine hobrin_e2e.exe --gtest_filter="$filter" --gtest_output="xml:$report")
}

source "$root/tools/wine-env.sh"
wine_env_start "$build/win" || exit 1
# A fresh data directory that the tests fill with the answers they need.
yorl_data="$build/yorl-test"
rm -rf "$yorl_data" && mkdir -p "$yorl_data/scores" "$yorl_data/inp"
# https: a test authority made for this run and trusted by the test
# prefixes alone (run_e2e_suite), and the service's TLS port beside its
# plain one.
bash "$root/tools/make_test_certs.sh" "$build/tls" || exit 1
service_start "$yorl_data" "$port" --tls-port "$tls_port" --certs "$build/tls" || exit 1
export HOBRIN_E2E_YORL_DATA=$(winepath -w "$yorl_data")
# The real MAME 0.251 (Debian's, a Linux program) is run through a bridge:
# its Linux side starts here, and the test run's own capture of its listing
# is what the tests of its game list expect.
mame_home="$build/mame-home"
mame_listing_capture "$build/mame-listfull.txt" "$mame_home" "$build/mame-systems.txt" || exit 1
export HOBRIN_E2E_MAME_LISTING=$(winepath -w "$build/mame-listfull.txt")
export HOBRIN_E2E_MAME_SYSTEMS=$(winepath -w "$build/mame-systems.txt")
mame_bridge_start "$mame_home" $((port + 2)) "$results/mame-bridge.log" || exit 1
# The archives that the download tests serve, and a recording of Pong that
# the installed MAME makes here, as a leaderboard's player would have.
python3 "$root/tests/e2e/make_test_zips.py" "$build/e2e-zips" || exit 1
mame_record_archive pong best_pong "$build/e2e-zips/pong-0251.zip" "$mame_home" || exit 1
python3 "$root/tests/e2e/make_test_zips.py" --half "$build/e2e-zips/pong-0251.zip" "$build/e2e-zips/pong-0251-half.zip" ||
    exit 1
export HOBRIN_E2E_ZIPS=$(winepath -w "$build/e2e-zips")
# A folder that Hobrin cannot write and a small disk, as players have them.
player_folders_start "$build/e2e-player" || exit 1
arches=${HOBRIN_E2E_ARCHES:-win32 win64}
for arch in $arches; do
    run_e2e_suite "$arch" || failed=1
done
wine_env_stop

# The reports of the format check and the unit tests, and one end-to-end
# report per prefix.
reports=4
if [ -n "${HOBRIN_TEST_SKIP_NATIVE:-}${HOBRIN_E2E_ARCHES:-}" ]; then
    reports=$(( $([ -z "${HOBRIN_TEST_SKIP_NATIVE:-}" ] && echo 2 || echo 1) + $(wc -w <<<"$arches") ))
fi
python3 "$root/tools/summarize_results.py" "$results" "$reports" || failed=1
exit $failed
