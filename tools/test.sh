#!/usr/bin/env bash
# Runs every test: the native unit tests and fuzzers under ASan and UBSan,
# then the end-to-end tests of hobrin.exe under Wine. Installs what is
# missing first. Exits non-zero when anything fails.
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
# Its TLS port, for the build of the program that talks https.
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
(cd "$build/native" && ctest --output-on-failure --output-junit "$results/native-ctest.xml") || failed=1

step "Windows build (mingw-w64 i686)"
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DHOBRIN_SERVICE_URL="http://127.0.0.1:$port/yorl/" -DHOBRIN_TEST_TLS_URL="https://localhost:$tls_port/yorl/" \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null || exit 1
cmake --build "$build/win" || exit 1
# The release archive, which an end-to-end test unpacks.
rm -f "$build"/win/hobrin-*-win32.zip
cmake --build "$build/win" --target package >/dev/null || exit 1

step "end-to-end tests under Wine"
source "$root/tools/wine-env.sh"
wine_env_start "$build/win" || exit 1
# A fresh data directory that the tests fill with the answers they need.
yorl_data="$build/yorl-test"
rm -rf "$yorl_data" && mkdir -p "$yorl_data/scores" "$yorl_data/inp"
# https: a test authority made for this run and trusted by this prefix
# alone, and the service's TLS port beside its plain one.
bash "$root/tools/make_test_certs.sh" "$build/tls" || exit 1
trust_test_authority "$build/tls/authority.crt" "$build/win/trust-root.exe" || exit 1
service_start "$yorl_data" "$port" --tls-port "$tls_port" --certs "$build/tls" || exit 1
export HOBRIN_E2E_YORL_DATA=$(winepath -w "$yorl_data")
# The archives that the download tests serve.
python3 "$root/tests/e2e/make_test_zips.py" "$build/e2e-zips" || exit 1
export HOBRIN_E2E_ZIPS=$(winepath -w "$build/e2e-zips")
# Serial and printer ports that a test can see writes to.
rm -rf "$build/e2e-devices"
devices_start "$build/e2e-devices" || exit 1
export HOBRIN_E2E_DEVICES=$(winepath -w "$build/e2e-devices")
# The driver's own bounded waits end a stuck test; this bounds the whole run.
e2e_report=$(winepath -w "$results/e2e.xml")
(cd "$build/win" && timeout 1200 wine hobrin_e2e.exe --gtest_output="xml:$e2e_report") || failed=1
wine_env_stop

python3 "$root/tools/summarize_results.py" "$results" || failed=1
exit $failed
