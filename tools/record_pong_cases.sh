#!/usr/bin/env bash
# Makes the recordings of tests/recordings/ again: Pong recorded by the
# installed MAME 0.251 in a small window on a private Xvfb, driven with real
# keystrokes (xdotool) the way a player's session goes. Each lasts 20 s of
# play. See docs/recording-frames.md for what each shows.
#   tools/record_pong_cases.sh [FOLDER]   (default: tests/recordings)
# Run it on a quiet machine: MAME's recorded speed is that of the machine,
# and a busy one records slow play in every case.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/tests/recordings}
mame=$(command -v mame || echo /usr/games/mame)
for tool in "$mame" Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "record: $tool is missing (Debian: apt-get install mame xvfb xdotool)" >&2
        exit 1
    fi
done
load=$(cut -d' ' -f1 /proc/loadavg)
if awk -v load="$load" -v cores="$(nproc)" 'BEGIN { exit !(load >= cores) }'; then
    echo "record: the machine is busy (load $load on $(nproc) cores): the recordings will show slow play" >&2
fi

work=$(mktemp -d)
xvfb_pid=
mame_pid=
cleanup() {
    [ -n "$mame_pid" ] && kill "$mame_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fd_file="$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
if [ ! -s "$fd_file" ]; then
    echo "record: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$fd_file")" HOME="$work/home" XDG_RUNTIME_DIR="$work" SDL_AUDIODRIVER=dummy
mkdir -p "$HOME" "$out"

# MAME reads the keyboard once a frame: a key is held long enough for a
# frame to see it.
press() {
    xdotool keydown "$1"
    sleep 0.4
    xdotool keyup "$1"
}

# record NAME [MAME SWITCH...] -- ACTION...: Pong for 20 s of play into
# NAME.inp, or without a recording when NAME is "-". The actions run once
# its window shows: "wait S" (seconds), "key K", "stop S" (the process held
# still for S seconds, as when its window is dragged on Windows).
record() {
    local name=$1 switches=() action
    shift
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        switches+=("$1")
        shift
    done
    shift
    [ "$name" != - ] && switches+=(-record "$name.inp")
    (cd "$work" && exec "$mame" -noreadconfig pong -window -video soft -resolution 454x262 -sound none \
        -seconds_to_run 20 "${switches[@]}" >"$work/mame.log" 2>&1) &
    mame_pid=$!
    local window
    window=$(xdotool search --sync --onlyvisible --pid "$mame_pid" 2>/dev/null | head -n1)
    [ -n "$window" ] && xdotool windowfocus --sync "$window"
    while [ $# -gt 0 ]; do
        action=$1
        case $action in
            wait) sleep "$2" ;;
            key) press "$2" ;;
            stop) kill -STOP "$mame_pid" && sleep "$2" && kill -CONT "$mame_pid" ;;
        esac
        shift 2
    done
    wait "$mame_pid"
    mame_pid=
    if [ "$name" != - ]; then
        if [ ! -s "$work/inp/$name.inp" ]; then
            echo "record: MAME made no $name.inp" >&2
            cat "$work/mame.log" >&2
            exit 1
        fi
        cp "$work/inp/$name.inp" "$out/"
        printf 'record: %s.inp, %s\n' "$name" "$(grep -h 'Average speed' "$work/mame.log")"
    fi
}

record pong-clean --
record pong-speed80 -speed 0.8 --
# MAME's own pause (P), five seconds long.
record pong-pause -- wait 8 key p wait 5 key p
record pong-standstill -- wait 8 stop 5
# A state saved in slot 1 at about 0:04 (Shift+F7, 1) and loaded at about 0:12 (F7, 1).
record pong-state-back -- wait 5 key shift+F7 key 1 wait 7 key F7 key 1
# A state saved at about 0:14 in a session of its own, loaded at about 0:03.
record - -- wait 15 key shift+F7 key 2
record pong-state-ahead -- wait 4 key F7 key 2
