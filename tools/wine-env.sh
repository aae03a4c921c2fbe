# Sourced by the test, demo and benchmark scripts: Wine prefixes of the
# project's own, an X display (our own Xvfb when there is none), the stand-in
# YORL service, and cleanup of everything started here, on every exit path.
#   wine_env_start BUILD_DIR [ARCH [NAME]]
#                                 sets up the display and the prefix of ARCH
#   wine_prefix_use BUILD_DIR ARCH [NAME]
#                                 moves to the prefix of ARCH: win32 (the
#                                 default, BUILD_DIR/wineprefix, a 32-bit
#                                 Windows) or win64 (BUILD_DIR/wineprefix64, a
#                                 64-bit Windows that runs 32-bit programs
#                                 under WoW64), or one more of that kind in
#                                 BUILD_DIR/NAME; creates it the first time
#   service_start DATA_DIR [PORT [OPTION...]]
#                                 starts the stand-in service on 127.0.0.1, with
#                                 more options of tools/yorl_standin.py (--tls-port...)
#   mame_bridge_start HOME PORT [LOG]
#                                 starts the Linux side of the MAME bridge
#                                 (tools/mame_bridge.py) for the Windows
#                                 programs of tools/mame_bridge.cpp, and
#                                 exports HOBRIN_MAME_BRIDGE_PORT for them
#   mame_listing_capture FILE HOME [SYSTEMS]
#                                 writes the installed MAME's -listfull to FILE,
#                                 run with HOME as the bridge runs it, and its
#                                 -listbrothers (the systems alone, no devices)
#                                 to SYSTEMS
#   mame_audit_capture FILE HOME  writes what the installed MAME's -verifyroms
#                                 answers in an empty folder, run as the
#                                 bridge runs it, to FILE
#   mame_record_archive GAME NAME ZIP HOME
#                                 has the installed MAME record two seconds of
#                                 GAME as NAME.inp and zips it into ZIP
#   trust_test_authority CERT HELPER
#                                 makes the prefix in WINEPREFIX trust the test
#                                 authority CERT, with HELPER (trust-root.exe)
#   devices_start DIR             points the prefix's COM and LPT ports at
#                                 files and a terminal in DIR (tools/device_standins.py)
#   player_folders_start DIR      the folders of a player's machine that the
#                                 tests need: DIR/readonly, a folder that no
#                                 one can write (a read-only bind mount, as
#                                 root ignores permission bits), and
#                                 DIR/small, a 512 KiB file system (tmpfs);
#                                 exports their Windows paths as
#                                 HOBRIN_E2E_READONLY_DIR and HOBRIN_E2E_SMALL_DISK
#   wine_env_stop                 stops all of it (also run on exit)

wine_env_start() {
    local build_dir=$1 arch=${2:-win32} name=${3:-}
    export WINEDEBUG=-all
    # No Mono or Gecko installer prompts while a prefix is created.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # Wine's WinINet would take a proxy from these; the tests talk to loopback only.
    unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
    export no_proxy="127.0.0.1,localhost"

    WINE_ENV_PREFIX=
    WINE_ENV_XVFB_PID=
    WINE_ENV_SERVICE_PID=
    WINE_ENV_DEVICES_PID=
    WINE_ENV_BRIDGE_PID=
    WINE_ENV_MOUNTS=()
    trap wine_env_stop EXIT
    trap 'exit 130' INT TERM

    if [ -z "${DISPLAY:-}" ]; then
        local fd_file
        fd_file=$(mktemp)
        # As large as the prefixes' desktop.
        Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
        WINE_ENV_XVFB_PID=$!
        local tries=0
        while [ ! -s "$fd_file" ] && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
        if [ ! -s "$fd_file" ]; then
            echo "wine-env: Xvfb did not start" >&2
            rm -f "$fd_file"
            return 1
        fi
        export DISPLAY=":$(head -n1 "$fd_file")"
        rm -f "$fd_file"
    fi
    wine_prefix_use "$build_dir" "$arch" "$name"
}

wine_prefix_use() {
    local build_dir=$1 arch=$2 name=${3:-} prefix
    case "$arch" in
        win32) prefix="$build_dir/wineprefix" ;;
        win64) prefix="$build_dir/wineprefix64" ;;
        *)
            echo "wine-env: no prefix for \"$arch\" (win32 or win64)" >&2
            return 1
            ;;
    esac
    [ -n "$name" ] && prefix="$build_dir/$name"
    [ "${WINE_ENV_PREFIX:-}" = "$prefix" ] && return 0
    wine_prefix_stop
    WINE_ENV_PREFIX=$prefix
    export WINEPREFIX=$prefix
    export WINEARCH=$arch

    # Bump when the prefix set-up below changes, so old prefixes are set up again.
    local prefix_version=6
    if [ "$(cat "$WINEPREFIX/.hobrin-ready" 2>/dev/null)" != "$prefix_version" ]; then
        echo "wine-env: creating the Wine prefix in $WINEPREFIX (once, about 20 s)"
        mkdir -p "$WINEPREFIX"
        # -u also refreshes a prefix made by an older set-up (fonts included).
        wineboot -u >/dev/null 2>&1 || true
        # A crash must end the program, not start a debugger that waits forever.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Debugger /t REG_SZ /d '' /f >/dev/null 2>&1 || true
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Auto /t REG_SZ /d 0 /f >/dev/null 2>&1 || true
        # Every program runs in one virtual desktop window that Wine draws
        # itself: dialogs get their frames and captions without an X window
        # manager, and the demo and the tests share one desktop, large enough
        # for the tallest window at 192 DPI, whose drawn speed the tests read
        # off the screen.
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 2560x1600 /f >/dev/null 2>&1 || true
        wine_env_link_fonts
        wineserver -w
        echo "$prefix_version" > "$WINEPREFIX/.hobrin-ready"
    fi
    # Keep one wineserver up for the whole run instead of one per program start.
    wineserver -p
}

# Stops the programs of the prefix in use and gives its ports back.
wine_prefix_stop() {
    if [ -n "${WINE_ENV_DEVICES_PID:-}" ]; then
        kill "$WINE_ENV_DEVICES_PID" >/dev/null 2>&1 || true
        wait "$WINE_ENV_DEVICES_PID" 2>/dev/null || true
        WINE_ENV_DEVICES_PID=
    fi
    if [ -n "${WINE_ENV_PREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
        WINE_ENV_PREFIX=
    fi
}

# Debian's Wine looks for its own fonts (Marlett, which draws the caption
# buttons, MS Sans Serif, Tahoma...) in Z:\usr\share\wine\..\fonts: not
# where fonts-wine puts them, and a path Wine's file lookup refuses for its
# "..". So it loads none, and a close box shows Marlett's "r" in another
# font. Wine always reads C:\windows\Fonts: link fonts-wine's files there.
wine_env_link_fonts() {
    local marlett
    marlett=$(dpkg-query -L fonts-wine 2>/dev/null | grep -m1 '/marlett\.ttf$')
    if [ -z "$marlett" ]; then
        echo "wine-env: fonts-wine is not installed; caption buttons will show letters" >&2
        return 0
    fi
    ln -sf "$(dirname "$marlett")"/* "$WINEPREFIX/drive_c/windows/Fonts/"
    wine_env_link_script_fonts
}

# Windows links Tahoma, the dialogs' font, to its fonts for other scripts
# (MS UI Gothic in msgothic.ttc first), and Tahoma itself has Greek; Wine's
# Tahoma has neither, and Wine writes that list of links anew whenever a
# program of another code page starts. So WenQuanYi Micro Hei (Japanese,
# Chinese, Greek) plays MS UI Gothic under its file name. The score list's
# Courier New, whose gaps Windows fills from a fallback font, is linked to
# its fixed-pitch face.
wine_env_link_script_fonts() {
    local wqy=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
    if [ ! -f "$wqy" ]; then
        echo "wine-env: fonts-wqy-microhei is not installed; Japanese and Greek names will show as boxes" >&2
        return 0
    fi
    ln -sf "$wqy" "$WINEPREFIX/drive_c/windows/Fonts/msgothic.ttc"
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /t REG_SZ \
        /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'Courier New' \
        /t REG_MULTI_SZ /d 'msgothic.ttc,WenQuanYi Micro Hei Mono' /f >/dev/null 2>&1 || true
}

service_start() {
    local data_dir=$1 port=${2:-8380}
    shift $(($# < 2 ? $# : 2))
    # It stops by itself after an hour should this script be killed outright.
    if ! start_helper --ready-file yorl_standin.py --port "$port" --data "$data_dir" --lifetime 3600 "$@"; then
        echo "service: the stand-in YORL service did not start (is port $port in use?)" >&2
        return 1
    fi
    WINE_ENV_SERVICE_PID=$STARTED_PID
}

mame_bridge_start() {
    local home=$1 port=$2 log=${3:-}
    if ! start_helper --ready mame_bridge.py --port "$port" --home "$home" ${log:+--log "$log"} --lifetime 3600; then
        echo "mame bridge: the helper did not start (is port $port in use?)" >&2
        return 1
    fi
    WINE_ENV_BRIDGE_PID=$STARTED_PID
    export HOBRIN_MAME_BRIDGE_PORT=$port
}

mame_listing_capture() {
    local file=$1 home=$2 systems=${3:-} mame
    mame=$(command -v mame || echo /usr/games/mame)
    mkdir -p "$home"
    if ! (cd "$home" && HOME="$home" "$mame" -noreadconfig -listfull >"$file") ||
        { [ -n "$systems" ] && ! (cd "$home" && HOME="$home" "$mame" -noreadconfig -listbrothers >"$systems"); }; then
        echo "mame: the installed MAME ($mame) does not list its games" >&2
        return 1
    fi
}

mame_audit_capture() {
    local file=$1 home=$2 mame work
    mame=$(command -v mame || echo /usr/games/mame)
    work=$(mktemp -d)
    mkdir -p "$home"
    # It ends with 1 when it finds no set whole, as with no ROMs at all.
    (cd "$work" && HOME="$home" "$mame" -noreadconfig -verifyroms >"$file" 2>/dev/null)
    rm -rf "$work"
    if ! grep -q '^romset ' "$file"; then
        echo "mame: the installed MAME ($mame) does not audit its sets" >&2
        return 1
    fi
}

mame_record_archive() {
    local game=$1 name=$2 zip=$3 home=$4 mame work
    mame=$(command -v mame || echo /usr/games/mame)
    work=$(mktemp -d)
    mkdir -p "$home"
    if ! (cd "$work" && HOME="$home" XDG_RUNTIME_DIR="$home" SDL_AUDIODRIVER=dummy "$mame" -noreadconfig "$game" \
        -video none -seconds_to_run 2 -nothrottle -record "$name.inp" >/dev/null 2>&1) ||
        ! python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1], "w").write(sys.argv[2], sys.argv[3])' \
            "$zip" "$work/inp/$name.inp" "$name.inp"; then
        echo "mame: the installed MAME did not record $game" >&2
        rm -rf "$work"
        return 1
    fi
    rm -rf "$work"
}

# The TLS tests' authority is trusted by the prefix's own local-machine root
# store only: the helper, a Windows program, puts it there (and removes the
# authorities of earlier runs). The machine's own trust store is never touched.
trust_test_authority() {
    local cert=$1 helper=$2
    if ! wine "$helper" "$(winepath -w "$cert")"; then
        echo "wine-env: the prefix could not be made to trust $cert" >&2
        return 1
    fi
}

devices_start() {
    if ! start_helper --ready device_standins.py --prefix "$WINEPREFIX" --dir "$1" --lifetime 3600; then
        echo "devices: the device stand-ins did not start" >&2
        return 1
    fi
    WINE_ENV_DEVICES_PID=$STARTED_PID
}

player_folders_start() {
    local dir=$1 folder
    player_folders_stop
    # A run that was killed outright may have left its mounts behind.
    for folder in "$dir/readonly" "$dir/small"; do
        while mountpoint -q "$folder" 2>/dev/null; do umount "$folder" || return 1; done
    done
    mkdir -p "$dir/readonly" "$dir/small" || return 1
    rm -rf "${dir:?}/readonly/"* "${dir:?}/small/"*
    # What a player unpacked under Program Files: the program's own files,
    # which it may read but never write.
    printf 'MAME 0.106\r\nmame-standin.exe\r\n0.106\r\nWin32\r\n' >"$dir/readonly/versions.ini"
    if ! mount --bind "$dir/readonly" "$dir/readonly"; then
        echo "player folders: cannot bind-mount $dir/readonly (the tests need root and mount)" >&2
        return 1
    fi
    WINE_ENV_MOUNTS+=("$dir/readonly")
    if ! mount -o remount,bind,ro "$dir/readonly" ||
        ! mount -t tmpfs -o size=512k,mode=0777 hobrin-small "$dir/small"; then
        echo "player folders: cannot mount the read-only folder or the small file system" >&2
        return 1
    fi
    WINE_ENV_MOUNTS+=("$dir/small")
    export HOBRIN_E2E_READONLY_DIR HOBRIN_E2E_SMALL_DISK
    HOBRIN_E2E_READONLY_DIR=$(winepath -w "$dir/readonly")
    HOBRIN_E2E_SMALL_DISK=$(winepath -w "$dir/small")
}

player_folders_stop() {
    local mount
    for mount in ${WINE_ENV_MOUNTS[@]+"${WINE_ENV_MOUNTS[@]}"}; do
        umount "$mount" 2>/dev/null || umount -l "$mount" 2>/dev/null || true
    done
    WINE_ENV_MOUNTS=()
}

# start_helper READY_OPTION SCRIPT ARGS...: starts the Python helper
# tools/SCRIPT in the background, with READY_OPTION naming a file that it
# writes once it serves, and waits up to 10 s for that file. Sets STARTED_PID;
# fails at once when the helper ends first (it is then not running).
start_helper() {
    local ready_option=$1 script=$2
    shift 2
    local here ready tries=0
    here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
    ready=$(mktemp)
    rm -f "$ready"
    python3 "$here/$script" "$@" "$ready_option" "$ready" &
    STARTED_PID=$!
    while [ ! -s "$ready" ] && [ $tries -lt 100 ] && kill -0 "$STARTED_PID" 2>/dev/null; do
        sleep 0.1
        tries=$((tries + 1))
    done
    if [ -s "$ready" ]; then
        rm -f "$ready"
        return 0
    fi
    kill "$STARTED_PID" >/dev/null 2>&1
    wait "$STARTED_PID" 2>/dev/null
    rm -f "$ready"
    return 1
}

wine_env_stop() {
    wine_prefix_stop
    player_folders_stop
    if [ -n "${WINE_ENV_SERVICE_PID:-}" ]; then
        kill "$WINE_ENV_SERVICE_PID" >/dev/null 2>&1 || true
        wait "$WINE_ENV_SERVICE_PID" 2>/dev/null || true
        WINE_ENV_SERVICE_PID=
    fi
    if [ -n "${WINE_ENV_BRIDGE_PID:-}" ]; then
        kill "$WINE_ENV_BRIDGE_PID" >/dev/null 2>&1 || true
        wait "$WINE_ENV_BRIDGE_PID" 2>/dev/null || true
        WINE_ENV_BRIDGE_PID=
    fi
    if [ -n "${WINE_ENV_XVFB_PID:-}" ]; then
        kill "$WINE_ENV_XVFB_PID" >/dev/null 2>&1 || true
        wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
        WINE_ENV_XVFB_PID=
    fi
}
