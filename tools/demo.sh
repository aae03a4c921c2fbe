#!/usr/bin/env bash
# Builds hobrin.exe and runs it under Wine in a demo working directory
# (build/demo) beside the real MAME 0.251 (Debian's, through the MAME bridge)
# as its first emulator version, the stand-in emulator as two older ones, and
# the stand-in YORL service with sample scores. With a display, the program
# runs until you close it. Without one, it runs on a private Xvfb from a
# first start, as a new player meets it: no versions.ini; it adds the
# stand-in and MAME 0.251 with "Add...", shows the About box, lists
# Pac-Man's high scores, opens one score, lists the
# recent uploads, downloads the best Pac-Man recording and plays it back in
# the version that made it, then plays Pong in MAME 0.251 with its console
# output, records it and plays the recording back, saves a screenshot of
# each step in build/demo and is closed as a user would.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
demo="$build/demo"
# The stand-in service's port, compiled in; HOBRIN_TEST_PORT moves it, and
# the MAME bridge's with it.
port=${HOBRIN_TEST_PORT:-8380}

# Each step says how long it took, counted from the start.
started=$SECONDS
step_done() { echo "demo: $1 ($((SECONDS - started)) s)"; }

bash "$root/tools/setup.sh" || exit 1
step_done "set up"
source "$root/tools/wine-env.sh"
# The Wine prefix (made once, about 20 s) is made while the programs build,
# on a display of its own.
mkdir -p "$build"
(unset DISPLAY && wine_env_start "$build/win") >"$build/demo-prefix.log" 2>&1 &
prefix_pid=$!
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DHOBRIN_SERVICE_URL="http://127.0.0.1:$port/yorl/" >/dev/null || exit 1
# Only what the demo runs: not the test driver, GoogleTest or the benches.
cmake --build "$build/win" --target hobrin mame-standin mame-bridge hobrin_demo_ctl || exit 1
step_done "built hobrin.exe, the stand-in emulator, the MAME bridge and the demo's driver"
wait "$prefix_pid" || cat "$build/demo-prefix.log" >&2

mkdir -p "$demo"
cp "$build/win/hobrin.exe" "$build/win/mame-standin.exe" "$demo/"
# MAME 0.251 as a player keeps it, in a folder of its own: mame.exe there is
# the bridge to Debian's MAME (tools/mame_bridge.cpp), when it is installed.
real_mame=
if command -v mame >/dev/null 2>&1 || [ -x /usr/games/mame ]; then
    real_mame=yes
    mkdir -p "$demo/mame0251"
    cp "$build/win/mame-bridge.exe" "$demo/mame0251/mame.exe"
    printf 'MAME 0.251\r\nmame0251\\mame.exe\r\n0.251\r\nWin32\r\n' >"$demo/versions.ini"
    cat "$root/tools/demo/versions.ini" >>"$demo/versions.ini"
else
    echo "demo: no MAME installed; the stand-in emulator plays every version" >&2
    cp "$root/tools/demo/versions.ini" "$demo/"
fi

interactive=${DISPLAY:+yes}
wine_env_start "$build/win" || exit 1
# The stand-in YORL service with sample scores, at the address Hobrin is built for.
rm -rf "$demo/yorl" && cp -r "$root/tools/demo/yorl" "$demo/yorl"
service_start "$demo/yorl" "$port" || exit 1
if [ -n "$real_mame" ]; then
    mame_bridge_start "$build/demo-mame-home" $((port + 2)) "$demo/mame-bridge.log" || exit 1
fi

cd "$demo" || exit 1
if [ -n "$interactive" ]; then
    echo "demo: Hobrin is running in the Wine desktop window; close it to end the demo."
    wine hobrin.exe
    echo "demo: settings saved in $demo/hobrin.cfg"
    exit 0
fi

# Each headless run starts as a first start does: no settings, no
# recordings, no emulator listed or learned yet.
rm -rf hobrin.cfg emulators.ini versions.ini inp cfg snap ./*.png ./*.rect
ctl() { wine "$build/win/hobrin_demo_ctl.exe" "$@"; }
# Saves the frame of a window beside screenshot NAME.png, as NAME.rect, for
# tools/screenshots.sh: "frame NAME TITLE", or "frame NAME ID TEXT" for the
# window whose control ID reads TEXT.
frame() {
    local name=$1
    shift
    if [ $# -eq 1 ]; then ctl rect "$1"; else ctl rectwhen "$1" "$2"; fi | tr -d '\r' >"$demo/$name.rect"
}
# Adds the emulator at PATH with "Add...", as proposed; SHOT names the
# screenshot of the "Add MAME version" dialog, if one is wanted.
add_version() {
    local path=$1 shot=${2:-}
    ctl press Hobrin 1048 && ctl save "Choose MAME's program" "$(winepath -w "$demo")\\$path" &&
        ctl wait "Add MAME version" || return 1
    if [ -n "$shot" ]; then
        sleep 1 && import -window root "$demo/$shot.png" && frame "$shot" "Add MAME version" || return 1
    fi
    ctl press "Add MAME version" 1 && ctl gone "Add MAME version" && ctl wait Hobrin
}
wine hobrin.exe &
status=0
if ctl wait Hobrin; then
    step_done "Hobrin's first window is on screen"
    sleep 1  # let the first paint finish before the screenshot
    import -window root "$demo/first-start.png" && frame first-start Hobrin || status=1
    # The stand-in as a MAME of 2006, which made the best Pac-Man score, then
    # MAME 0.251, whose games the list then shows.
    if [ -n "$real_mame" ]; then
        add_version mame-standin.exe && add_version 'mame0251\mame.exe' add-version || status=1
    else
        add_version mame-standin.exe add-version || status=1
    fi
    # The new version's games, listed behind the splash.
    ctl lines Hobrin 1000 20 && ctl wait Hobrin || status=1
    sleep 1
    import -window root "$demo/main-window.png"
    ctl press Hobrin 1011 && ctl wait "About Hobrin..." && sleep 1 &&
        import -window root "$demo/about-box.png" && frame about-box "About Hobrin..." && ctl press "About Hobrin..." 1
    ctl gone "About Hobrin..." || status=1
    # The leaderboard: Pac-Man's high scores, one score's properties, the recent uploads.
    ctl text Hobrin 1020 pacman && ctl press Hobrin 1021 && ctl press Hobrin 1024 && ctl lines Hobrin 1023 5 &&
        sleep 1 && import -window root "$demo/high-scores.png" && frame high-scores Hobrin &&
        ctl open Hobrin 1023 0 && ctl wait "Score Properties" && sleep 1 &&
        import -window root "$demo/score-properties.png" && frame score-properties "Score Properties" &&
        ctl press "Score Properties" 1 && ctl gone "Score Properties" &&
        ctl press Hobrin 1043 && ctl lines Hobrin 1023 10 && sleep 1 &&
        import -window root "$demo/recent-uploads.png" || status=1
    # Download the best Pac-Man score's recording and watch it played back
    # in the version that made it (MAME 0.106, the stand-in).
    ctl press Hobrin 1024 && ctl lines Hobrin 1023 5 && ctl open Hobrin 1023 0 &&
        ctl wait "Score Properties" && ctl press "Score Properties" 1039 &&
        ctl save "Save downloaded recording as..." "$(winepath -w "$demo")\\best-pacman.zip" &&
        ctl when 1040 "Download complete." && sleep 1 && import -window root "$demo/download.png" &&
        frame download 1040 "Download complete." &&
        ctl when 1040 "Download complete." 1041 && ctl wait "Commandline view" && sleep 1 &&
        import -window root "$demo/playback-commandline.png" && ctl press "Commandline view" 1 &&
        ctl wait "Score Properties" && ctl press "Score Properties" 1 && ctl gone "Score Properties" || status=1
    # Pong in MAME 0.251, a game that needs no ROM files: three seconds of
    # it, with MAME's console output afterwards; then recorded and played back.
    [ -n "$real_mame" ] && ctl wait Hobrin && ctl text Hobrin 1020 pong && ctl press Hobrin 1021 && ctl tick Hobrin 1046 &&
        ctl text Hobrin 1047 "-seconds_to_run 3" && ctl press Hobrin 1003 &&
        ctl wait "Commandline view" && sleep 1 && import -window root "$demo/commandline-view.png" &&
        frame commandline-view "Commandline view" &&
        ctl press "Commandline view" 1 && sleep 2 && import -window root "$demo/pong.png" &&
        identify -format '%wx%h+0+0' "$demo/pong.png" >"$demo/pong.rect" &&
        ctl wait "Console output" && sleep 1 &&
        import -window root "$demo/console-output.png" && frame console-output "Console output" &&
        ctl press "Console output" 1 && ctl gone "Console output" || status=1
    for button in ${real_mame:+1002 1001}; do
        ctl wait Hobrin && ctl press Hobrin $button && ctl wait "Commandline view" && ctl press "Commandline view" 1 &&
            ctl wait "Console output" && sleep 1 && import -window root "$demo/console-$button.png" &&
            frame "console-$button" "Console output" &&
            ctl press "Console output" 1 && ctl gone "Console output" || status=1
    done
    # The recording checked: played to its end without a screen, with the picture of its last frame.
    [ -n "$real_mame" ] && ctl wait Hobrin && ctl press Hobrin 1053 &&
        ctl save "Check INP" "$(winepath -w "$demo")\\inp\\pong.inp" && ctl wait "Recording check" &&
        ctl enabled "Recording check" 1 && sleep 1 && import -window root "$demo/check.png" &&
        frame check "Recording check" && ctl press "Recording check" 1 && ctl gone "Recording check" || status=1
    ctl wait Hobrin || status=1
    ctl close Hobrin && ctl gone Hobrin || status=1
    echo "demo: screenshots in $demo: first-start.png add-version.png main-window.png about-box.png"
    echo "      high-scores.png score-properties.png"
    echo "      recent-uploads.png download.png playback-commandline.png commandline-view.png pong.png"
    echo "      console-output.png console-1002.png (recording Pong) console-1001.png (playing it back)
      check.png (checking that recording)"
    [ -f "$demo/inp/pong.inp" ] && echo "demo: MAME 0.251 recorded $demo/inp/pong.inp"
    [ -f "$demo/hobrin.cfg" ] && echo "demo: settings saved in $demo/hobrin.cfg ($(stat -c %s "$demo/hobrin.cfg") bytes)"
else
    status=1
fi
exit $status
