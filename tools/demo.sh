#!/usr/bin/env bash
# Builds hobrin.exe and runs it under Wine in a demo working directory
# (build/demo) beside the stand-in emulator and the stand-in YORL service
# with sample scores. With a display, the program runs until you close it.
# Without one, it runs on a private Xvfb: it shows the About box, plays the
# first game with its console output, lists Pac-Man's high scores, opens one
# score, lists the recent uploads, downloads the best Pac-Man recording and
# plays it back, saves a screenshot of each step in build/demo and is closed
# as a user would.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
demo="$build/demo"
# The stand-in service's port, compiled in; HOBRIN_TEST_PORT moves it.
port=${HOBRIN_TEST_PORT:-8380}

bash "$root/tools/setup.sh" || exit 1
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DHOBRIN_SERVICE_URL="http://127.0.0.1:$port/yorl/" >/dev/null || exit 1
cmake --build "$build/win" || exit 1

mkdir -p "$demo"
cp "$root/tools/demo/versions.ini" "$demo/"
cp "$build/win/hobrin.exe" "$build/win/mame-standin.exe" "$demo/"

interactive=${DISPLAY:+yes}
source "$root/tools/wine-env.sh"
wine_env_start "$build/win" || exit 1
# The stand-in YORL service with sample scores, at the address Hobrin is built for.
rm -rf "$demo/yorl" && cp -r "$root/tools/demo/yorl" "$demo/yorl"
service_start "$demo/yorl" "$port" || exit 1

cd "$demo" || exit 1
if [ -n "$interactive" ]; then
    echo "demo: Hobrin is running in the Wine desktop window; close it to end the demo."
    wine hobrin.exe
    echo "demo: settings saved in $demo/hobrin.cfg"
    exit 0
fi

ctl() { wine "$build/win/hobrin_demo_ctl.exe" "$@"; }
# Saves the frame of a window beside screenshot NAME.png, as NAME.rect, for
# tools/screenshots.sh: "frame NAME TITLE", or "frame NAME ID TEXT" for the
# window whose control ID reads TEXT.
frame() {
    local name=$1
    shift
    if [ $# -eq 1 ]; then ctl rect "$1"; else ctl rectwhen "$1" "$2"; fi | tr -d '\r' >"$demo/$name.rect"
}
wine hobrin.exe &
status=0
if ctl wait Hobrin; then
    sleep 1  # let the first paint finish before the screenshot
    import -window root "$demo/main-window.png"
    ctl press Hobrin 1011 && ctl wait "About Hobrin..." && sleep 1 &&
        import -window root "$demo/about-box.png" && frame about-box "About Hobrin..." && ctl press "About Hobrin..." 1
    ctl gone "About Hobrin..." || status=1
    # Play the first game with the console output shown afterwards.
    ctl select Hobrin 1000 0 && ctl tick Hobrin 1046 && ctl press Hobrin 1003 &&
        ctl wait "Commandline view" && sleep 1 && import -window root "$demo/commandline-view.png" &&
        ctl press "Commandline view" 1 && ctl wait "Console output" && sleep 1 &&
        import -window root "$demo/console-output.png" && frame console-output "Console output" &&
        ctl press "Console output" 1 && ctl gone "Console output" || status=1
    # The leaderboard: Pac-Man's high scores, one score's properties, the recent uploads.
    ctl wait Hobrin && ctl select Hobrin 1000 18 && ctl press Hobrin 1024 && ctl lines Hobrin 1023 5 && sleep 1 &&
        import -window root "$demo/high-scores.png" && frame high-scores Hobrin && ctl open Hobrin 1023 0 &&
        ctl wait "Score Properties" && sleep 1 && import -window root "$demo/score-properties.png" &&
        frame score-properties "Score Properties" &&
        ctl press "Score Properties" 1 && ctl gone "Score Properties" &&
        ctl press Hobrin 1043 && ctl lines Hobrin 1023 10 && sleep 1 &&
        import -window root "$demo/recent-uploads.png" || status=1
    # Download the best Pac-Man score's recording and watch it played back.
    ctl press Hobrin 1024 && ctl lines Hobrin 1023 5 && ctl open Hobrin 1023 0 &&
        ctl wait "Score Properties" && ctl press "Score Properties" 1039 &&
        ctl save "Save downloaded recording as..." "$(winepath -w "$demo")\\best-pacman.zip" &&
        ctl when 1040 "Download complete." && sleep 1 && import -window root "$demo/download.png" &&
        frame download 1040 "Download complete." &&
        ctl when 1040 "Download complete." 1041 && ctl wait "Commandline view" && sleep 1 &&
        import -window root "$demo/playback-commandline.png" && ctl press "Commandline view" 1 &&
        ctl wait "Console output" && ctl press "Console output" 1 && ctl gone "Console output" &&
        ctl wait "Score Properties" && ctl press "Score Properties" 1 && ctl gone "Score Properties" || status=1
    ctl close Hobrin && ctl gone Hobrin || status=1
    echo "demo: screenshots in $demo: main-window.png about-box.png commandline-view.png console-output.png"
    echo "      high-scores.png score-properties.png recent-uploads.png download.png playback-commandline.png"
    [ -f "$demo/hobrin.cfg" ] && echo "demo: settings saved in $demo/hobrin.cfg ($(stat -c %s "$demo/hobrin.cfg") bytes)"
else
    status=1
fi
exit $status
