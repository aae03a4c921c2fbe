# Sourced by the test and demo scripts: a Wine prefix of the project's own, an
# X display (our own Xvfb when there is none) and cleanup of everything
# started here, on every exit path.
#   wine_env_start BUILD_DIR   sets it all up
#   wine_env_stop              stops what wine_env_start started (also run on exit)

wine_env_start() {
    local build_dir=$1
    export WINEPREFIX="$build_dir/wineprefix"
    export WINEARCH=win32
    export WINEDEBUG=-all
    # No Mono or Gecko installer prompts while a prefix is created.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # Wine's WinINet would take a proxy from these; the tests talk to loopback only.
    unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
    export no_proxy="127.0.0.1,localhost"

    WINE_ENV_XVFB_PID=
    trap wine_env_stop EXIT
    trap 'exit 130' INT TERM

    if [ -z "${DISPLAY:-}" ]; then
        local fd_file
        fd_file=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
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

    # Bump when the prefix set-up below changes, so old prefixes are set up again.
    local prefix_version=3
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
        # manager, and the demo and the tests share one desktop.
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f >/dev/null 2>&1 || true
        wineserver -w
        echo "$prefix_version" > "$WINEPREFIX/.hobrin-ready"
    fi
    # Keep one wineserver up for the whole run instead of one per program start.
    wineserver -p
}

wine_env_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "${WINE_ENV_XVFB_PID:-}" ]; then
        kill "$WINE_ENV_XVFB_PID" >/dev/null 2>&1 || true
        wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
        WINE_ENV_XVFB_PID=
    fi
}
