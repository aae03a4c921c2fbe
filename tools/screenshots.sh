#!/usr/bin/env bash
# Regenerates the pictures of the README and docs/: runs the headless demo
# (tools/demo.sh, on a private Xvfb) and crops its screenshots to the window
# each one shows.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/build/demo"
docs="$root/docs"

# Without a display the demo steps through the windows by itself.
rm -f "$demo"/*.png "$demo"/*.rect
env -u DISPLAY bash "$root/tools/demo.sh" || exit 1

mkdir -p "$docs"
status=0
# Screenshot of the demo, the picture it becomes in docs/, and the scale of
# that picture when it is not 100 %.
while read -r shot picture scale; do
    frame=$(cat "$demo/$shot.rect" 2>/dev/null)
    if [[ ! "$frame" =~ ^[0-9]+x[0-9]+\+[0-9]+\+[0-9]+$ ]]; then
        echo "screenshots: no window frame for $shot" >&2
        status=1
        continue
    fi
    # -strip keeps the files the same from run to run (no time stamps).
    convert "$demo/$shot.png" -crop "$frame" +repage -resize "${scale:-100}%" -strip "$docs/$picture.png" || status=1
done <<'LIST'
first-start first-start
add-version add-version
high-scores main-window
score-properties score-properties
download download-complete
console-1001 console-output
commandline-view commandline-view
pong pong 50
about-box about
check check
LIST
[ $status -eq 0 ] && echo "screenshots: pictures in $docs"
exit $status
