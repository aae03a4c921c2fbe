#!/usr/bin/env bash
# Runs every test: the native unit tests and fuzzers under ASan and UBSan,
# then the end-to-end tests of hobrin.exe under Wine, the 32-bit and the
# 64-bit prefix's suites side by side. Installs what is missing first. Exits
# non-zero when anything fails.
# While working on one thing, a developer may narrow the run:
#   HOBRIN_E2E_FILTER=PATTERN   only the end-to-end tests that this GoogleTest filter names
#   HOBRIN_E2E_ARCHES="win64"   only these prefixes (default: win32 win64)
#   HOBRIN_TEST_SKIP_NATIVE=1   no native tests (the native build still runs)
#   HOBRIN_E2E_PICTURES=Z:\DIR   the layout test and the check table's save there what
#                               the screen shows of the windows that draw a recording's
#                               speed, to look at (docs/check-table.png is one)
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
# HOBRIN_TEST_PORT to run two checkouts' tests side by side. Its TLS port is
# the next one, then the MAME bridge's; the second suite's three are ten
# above.
port=${HOBRIN_TEST_PORT:-8380}
tls_port=$((port + 1))

# Each step prints its time at its end, so that the next slow one is seen.
step_name=
step_started=$SECONDS
step_end() {
    [ -n "$step_name" ] && printf '== %s: %d s\n' "$step_name" $((SECONDS - step_started))
    step_name=
}
timed() {
    step_end
    step_name=$*
    step_started=$SECONDS
    printf '\n== %s\n' "$*"
}

timed "format check (clang-format, .clang-format)"
# Reported as one more test case, so that the closing line counts it.
format_failure=
if ! (cd "$root" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror); then
    format_failure='<failure message="clang-format would change the files above"/>'
    failed=1
fi
printf '<testsuites><testsuite name="Format"><testcase name="SourcesMatchClangFormat">%s</testcase></testsuite></testsuites>\n' \
    "$format_failure" >"$results/format.xml"

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

# run_e2e_suite NAME ARCH PREFIX FILTER PORT PROGRAMS: the end-to-end tests
# that FILTER names in a Wine prefix of ARCH (win32 or win64; PREFIX names
# another one of that kind), its report in results/e2e-NAME.xml, with
# everything of its own: an X display (when suites run side by side), the
# stand-in service on PORT (TLS on PORT+1), the MAME bridge on PORT+2, the
# device stand-ins and the player's folders; the programs from PROGRAMS,
# built for PORT. The 32-bit prefix runs the stand-in emulator beside
# hobrin.exe, by its bare name; a 64-bit one runs the stand-ins installed
# under Program Files, and the real MAME.
run_e2e_suite() {
    local name=$1 arch=$2 prefix=$3 filter=$4 suite_port=$5 programs=$6 standins=()
    [ "$side_by_side" = 1 ] && unset DISPLAY
    wine_env_start "$build/win" "$arch" "$prefix" || return 1
    if [ "$arch" = win64 ]; then
        install_standins || return 1
    fi
    trust_test_authority "$build/tls/authority.crt" "$build/win/trust-root.exe" || return 1
    # A fresh data directory that the tests fill with the answers they need.
    local yorl_data="$build/yorl-test-$name"
    rm -rf "$yorl_data" && mkdir -p "$yorl_data/scores" "$yorl_data/inp"
    service_start "$yorl_data" "$suite_port" --tls-port $((suite_port + 1)) --certs "$build/tls" || return 1
    mame_bridge_start "$mame_home" $((suite_port + 2)) "$results/mame-bridge-$name.log" || return 1
    # Serial and printer ports that a test can see writes to.
    rm -rf "$build/e2e-devices-$name"
    devices_start "$build/e2e-devices-$name" || return 1
    # A folder that Hobrin cannot write and a small disk, as players have them.
    player_folders_start "$build/e2e-player-$name" || return 1
    local report
    report=$(winepath -w "$results/e2e-$name.xml")
    # The driver's own bounded waits end a stuck test; this bounds the whole run.
    (cd "$programs" && timeout 1500 env "${standins[@]}" \
        HOBRIN_E2E_DEVICES="$(winepath -w "$build/e2e-devices-$name")" \
        HOBRIN_E2E_YORL_DATA="$(winepath -w "$yorl_data")" \
        HOBRIN_E2E_SERVICE_URL="http://127.0.0.1:$suite_port/yorl/" \
        HOBRIN_E2E_TLS_URL="https://localhost:$((suite_port + 1))/yorl/" \
        HOBRIN_E2E_MAME_LISTING="$(winepath -w "$build/mame-listfull.txt")" \
        HOBRIN_E2E_MAME_SYSTEMS="$(winepath -w "$build/mame-systems.txt")" \
        HOBRIN_E2E_MAME_AUDIT="$(winepath -w "$build/mame-verifyroms.txt")" \
        HOBRIN_E2E_ZIPS="$(winepath -w "$build/e2e-zips")" \
        wine hobrin_e2e.exe --gtest_filter="$filter" --gtest_output="xml:$report")
}

# The suites: NAME ARCH PREFIX FILTER each. In a whole run the real MAME's
# tests, the longest, run in a 64-bit prefix of their own beside the rest.
read -r -a arches <<<"${HOBRIN_E2E_ARCHES:-win32 win64}"
filter=${HOBRIN_E2E_FILTER:-}
suites=()
for arch in "${arches[@]}"; do
    case $arch in
        win32)
            # The real MAME is a 64-bit program.
            suites+=("win32 win32 - ${filter:-*}$([[ ${filter:-*} == *-* ]] && echo : || echo -)RealMame*")
            ;;
        win64)
            if [ -z "$filter" ]; then
                suites+=("win64 win64 - *-*RealMame*" "win64-mame win64 wineprefix64-mame *RealMame*")
            else
                suites+=("win64 win64 - $filter")
            fi
            ;;
        *)
            echo "test: HOBRIN_E2E_ARCHES names win32 and win64 only" >&2
            exit 1
            ;;
    esac
done
if [ -n "$(printf '%s\n' "${arches[@]}" | sort | uniq -d)" ]; then
    echo "test: HOBRIN_E2E_ARCHES names each prefix once" >&2
    exit 1
fi
side_by_side=$([ ${#suites[@]} -gt 1 ] && echo 1 || echo 0)
source "$root/tools/wine-env.sh"
mame_home="$build/mame-home"

# What the end-to-end suites need besides the build, made while it runs.
# Each part of it says when it ended, counted from its start, since the
# suites wait for the whole of it.
e2e_setup() {
    local suite name arch prefix filter started=$SECONDS
    # The Wine prefixes, made the first time (about 20 s each), each on a
    # display of its own.
    for suite in "${suites[@]}"; do
        read -r name arch prefix filter <<<"$suite"
        (unset DISPLAY && wine_env_start "$build/win" "$arch" "${prefix#-}") || return 1
        echo "set-up: the prefix of the suite $name ($((SECONDS - started)) s)"
    done
    # https: a test authority made for this run and trusted by the test
    # prefixes alone (run_e2e_suite), and each service's TLS port beside its
    # plain one.
    bash "$root/tools/make_test_certs.sh" "$build/tls" || return 1
    # The real MAME 0.251 (Debian's, a Linux program) is run through a bridge:
    # the test run's own capture of its listing is what the tests of its game
    # list expect.
    mame_listing_capture "$build/mame-listfull.txt" "$mame_home" "$build/mame-systems.txt" || return 1
    echo "set-up: the test authority and MAME's listing ($((SECONDS - started)) s)"
    mame_audit_capture "$build/mame-verifyroms.txt" "$mame_home" || return 1
    echo "set-up: MAME's audit ($((SECONDS - started)) s)"
    # The archives that the download tests serve, and a recording of Pong that
    # the installed MAME makes here, as a leaderboard's player would have.
    python3 "$root/tests/e2e/make_test_zips.py" "$build/e2e-zips" || return 1
    mame_record_archive pong best_pong "$build/e2e-zips/pong-0251.zip" "$mame_home" || return 1
    python3 "$root/tests/e2e/make_test_zips.py" --half "$build/e2e-zips/pong-0251.zip" "$build/e2e-zips/pong-0251-half.zip" ||
        return 1
    echo "set-up: the archives and MAME's recording of Pong ($((SECONDS - started)) s)"
}

# What runs in the background, each in a process group of its own, ends
# with the run.
background=()
end_background() {
    local pid
    for pid in ${background[@]+"${background[@]}"}; do
        kill -TERM -- "-$pid" 2>/dev/null
    done
}
trap end_background EXIT
trap 'exit 130' INT TERM

timed "Windows build (mingw-w64 i686), and the end-to-end set-up beside it"
set -m
e2e_setup >"$results/e2e-setup.log" 2>&1 </dev/null &
setup_pid=$!
set +m
background=("$setup_pid")
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DHOBRIN_SERVICE_URL="http://127.0.0.1:$port/yorl/" -DHOBRIN_TEST_TLS_URL="https://localhost:$tls_port/yorl/" \
    -DHOBRIN_SUITE2_SERVICE_URL="http://127.0.0.1:$((port + 10))/yorl/" \
    -DHOBRIN_SUITE2_TLS_URL="https://localhost:$((port + 11))/yorl/" \
    -DHOBRIN_SUITE3_SERVICE_URL="http://127.0.0.1:$((port + 20))/yorl/" \
    -DHOBRIN_SUITE3_TLS_URL="https://localhost:$((port + 21))/yorl/" \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null || exit 1
# What the tests run first; the benches and the demo's driver are built
# beside the suites.
cmake --build "$build/win" --target hobrin_e2e || exit 1
# The release archive, which an end-to-end test unpacks: CPack packs the
# program just built.
rm -f "$build"/win/hobrin-*-win32.zip
(cd "$build/win" && cpack -G ZIP >/dev/null) || exit 1

wait "$setup_pid"
setup_status=$?
background=()
cat "$results/e2e-setup.log"
if [ $setup_status != 0 ]; then
    echo "test: the end-to-end set-up failed" >&2
    exit 1
fi
# The other suites' programs: those built for their ports, the rest beside them.
for suite_dir in "$build"/win/suite2 "$build"/win/suite3; do
    for program in "$build"/win/*.exe "$build"/win/hobrin-*-win32.zip; do
        case $(basename "$program") in
            hobrin.exe | hobrin_tls.exe | hobrin_short_waits.exe) ;;
            *) cp -f "$program" "$suite_dir/" || exit 1 ;;
        esac
    done
done

# The suites run side by side in the background, while the native build
# and tests take what processor time the suites leave as they wait for
# windows (niced, so that the suites' waits stay as they are alone); then
# their output is shown, one suite after the other.
suite_pids=()
suite_names=()
set -m
for i in "${!suites[@]}"; do
    read -r name arch prefix filter <<<"${suites[$i]}"
    suite_names+=("$name")
    programs=$([ "$i" = 0 ] && echo "$build/win" || echo "$build/win/suite$((i + 1))")
    (
        started=$SECONDS
        run_e2e_suite "$name" "$arch" "${prefix#-}" "$filter" $((port + 10 * i)) "$programs"
        status=$?
        if [ $status = 0 ]; then
            echo "== end-to-end suite $name ended ($((SECONDS - started)) s)"
        else
            echo "== end-to-end suite $name FAILED (exit $status, $((SECONDS - started)) s)"
        fi
        exit $status
    ) >"$results/e2e-$name.log" 2>&1 </dev/null &
    suite_pids+=($!)
done
set +m
background=(${suite_pids[@]+"${suite_pids[@]}"})

timed "the rest of the Windows build (benches, the demo's driver)"
nice -n 10 cmake --build "$build/win" || failed=1

timed "native build (clang, ASan + UBSan)"
cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DHOBRIN_RESULTS_DIR="$results" \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null && nice -n 10 cmake --build "$build/native"
native_built=$?
[ $native_built = 0 ] || failed=1

timed "native tests"
if [ $native_built = 0 ] && [ -z "${HOBRIN_TEST_SKIP_NATIVE:-}" ]; then
    # The fuzzers make their runs side by side, one per processor.
    (cd "$build/native" && nice -n 10 ctest -j "$(nproc)" --output-on-failure \
        --output-junit "$results/native-ctest.xml") || failed=1
fi

timed "end-to-end tests under Wine (${suite_names[*]}), started before the native build"
for i in "${!suite_pids[@]}"; do
    [ "$i" -gt 0 ] && printf '\n== the suite %s (it ran beside the first)\n' "${suite_names[$i]}"
    # The suite's output so far, then the rest as it comes.
    tail -n +1 --pid "${suite_pids[$i]}" -f "$results/e2e-${suite_names[$i]}.log"
    wait "${suite_pids[$i]}" || failed=1
done
background=()
step_end

# The reports of the format check and the unit tests, and one end-to-end
# report per suite.
reports=$((1 + $([ -z "${HOBRIN_TEST_SKIP_NATIVE:-}" ] && echo 1 || echo 0) + ${#suites[@]}))
python3 "$root/tools/summarize_results.py" "$results" "$reports" || failed=1
printf 'test: %d s in all\n' "$SECONDS"
exit $failed
