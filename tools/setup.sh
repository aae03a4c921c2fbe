#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need, from Debian's own
# packages, and fetches the minizip sources the Windows build compiles. Safe to
# run again: it installs and fetches only what is missing.
set -euo pipefail

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

need_root() {
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then sudo "$@"; else
            echo "setup: run as root (or install sudo) to install packages" >&2
            return 1
        fi
    else
        "$@"
    fi
}

# apt-get update, tried again when a mirror is caught mid-sync ("File has
# unexpected size"); an index that still fails is left to apt, which then
# uses the lists it has, as it says.
update_package_lists() {
    local try
    for try in 1 2 3; do
        need_root apt-get update "$@" && return 0
        echo "setup: apt-get update failed (try $try of 3)" >&2
        sleep $((try * 10))
    done
    return 0
}

packages=(
    cmake ninja-build g++ clang clang-format libclang-rt-14-dev pkg-config dpkg-dev
    googletest libgtest-dev libbenchmark-dev libminizip-dev zlib1g-dev
    g++-mingw-w64-i686 libz-mingw-w64-dev
    # The 64-bit stand-in emulator, and Wine for the 64-bit prefix.
    g++-mingw-w64-x86-64 file
    wine wine32:i386 wine64 fonts-wine
    # Japanese and Greek letters for the test prefixes' dialog and list fonts.
    fonts-wqy-microhei
    xvfb xauth imagemagick x11-utils
    python3 curl openssl
    # The real emulator of today, which the end-to-end tests drive through tools/mame_bridge.
    mame
)

install_packages() {
    local missing=() p status
    for p in "${packages[@]}"; do
        # dpkg-query knows wine32:i386 only once the i386 architecture is added,
        # so an unknown package simply counts as missing.
        status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
        case "$status" in
            *"install ok installed"*) ;;
            *) missing+=("$p") ;;
        esac
    done

    if [ ${#missing[@]} -eq 0 ]; then
        echo "setup: all packages present"
        return 0
    fi

    echo "setup: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        need_root dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    update_package_lists -q
    if need_root apt-get install -y -q --no-install-recommends "${missing[@]}"; then
        return 0
    fi
    # A mirror that lacks one architecture's security index offers the
    # 32-bit libraries only at the release's versions, and the 64-bit ones
    # newer: apt then finds no set that matches. Both from the release
    # itself match.
    local release
    release=$(release_codename)
    [ -n "$release" ] || return 1
    echo "setup: installing again with the packages of $release itself"
    need_root apt-get install -y -q --no-install-recommends -o APT::Default-Release="$release" "${missing[@]}"
}

# The release this machine runs, e.g. "bookworm"; empty when unknown.
release_codename() {
    if [ -r /etc/os-release ]; then
        (. /etc/os-release && echo "${VERSION_CODENAME:-}")
    fi
}

# True when apt already has an enabled source-package entry.
have_deb_src() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        grep -Eq '^[[:space:]]*deb-src[[:space:]]' "$f" && return 0
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk 'BEGIN { RS = ""; FS = "\n"; found = 1 }
             {
                 types = ""; enabled = 1
                 for (i = 1; i <= NF; i++) {
                     l = tolower($i)
                     if (l ~ /^types:/) types = substr(l, 7)
                     if (l ~ /^enabled:[[:space:]]*no/) enabled = 0
                 }
                 if (enabled && (" " types " ") ~ /[[:space:]]deb-src[[:space:]]/) found = 0
             }
             END { exit found }' "$f" && return 0
    done
    return 1
}

# Prints the enabled binary stanzas of deb822 files whose suites include the
# release, as source stanzas: every other field is kept as it is. With an
# empty release, any suite without a "-" counts (a plain "stable" or "sid").
deb822_sources() {
    local release=$1 f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk -v release="$release" '
            BEGIN { RS = ""; FS = "\n" }
            {
                out = ""; types = ""; suites = ""; enabled = 1
                for (i = 1; i <= NF; i++) {
                    line = $i
                    if (line ~ /^#/) continue
                    l = tolower(line)
                    if (l ~ /^types:/) { types = substr(line, 7); out = out "Types: deb-src\n"; continue }
                    if (l ~ /^suites:/) suites = substr(line, 8)
                    if (l ~ /^enabled:[[:space:]]*no/) enabled = 0
                    out = out line "\n"
                }
                if (!enabled || (" " types " ") !~ /[[:space:]]deb[[:space:]]/) next
                n = split(suites, s, /[[:space:]]+/)
                for (i = 1; i <= n; i++) {
                    if (s[i] == "") continue
                    if (s[i] == release || (release == "" && s[i] !~ /-/)) { printf "%s\n", out; break }
                }
            }' "$f"
    done
}

# The same for one-line entries: "deb [options] URI suite components".
one_line_sources() {
    local release=$1 f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        awk -v release="$release" '
            $1 == "deb" {
                rest = $0
                gsub(/\[[^]]*\]/, "", rest)
                split(rest, w, /[[:space:]]+/)
                suite = (w[1] == "") ? w[4] : w[3]
                if (suite == release || (release == "" && suite !~ /-/)) {
                    line = $0
                    sub(/^[[:space:]]*deb[[:space:]]/, "deb-src ", line)
                    print line
                }
            }' "$f"
    done
}

# minizip's sources come from zlib's source package, so apt needs a deb-src
# entry; one is made from the machine's own binary entries.
ensure_deb_src() {
    have_deb_src && return 0
    local release entries target
    release=$(release_codename)
    entries=$(deb822_sources "$release")
    [ -n "$entries" ] || entries=$(deb822_sources "")
    target=/etc/apt/sources.list.d/hobrin-deb-src.sources
    if [ -z "$entries" ]; then
        entries=$(one_line_sources "$release")
        [ -n "$entries" ] || entries=$(one_line_sources "")
        target=/etc/apt/sources.list.d/hobrin-deb-src.list
    fi
    if [ -z "$entries" ]; then
        echo "setup: no apt entry for the main release to derive a deb-src entry from" >&2
        return 1
    fi
    echo "setup: adding source-package entries in $target"
    printf '%s\n' "$entries" | need_root tee "$target" >/dev/null
    update_package_lists -qq
}

# zlib's source package, unpacked once into build/deps (ignored by git).
fetch_minizip() {
    local deps=$repo_root/build/deps
    [ -f "$deps/zlib-src/contrib/minizip/unzip.c" ] && return 0
    ensure_deb_src
    echo "setup: fetching zlib's sources for minizip into build/deps"
    mkdir -p "$deps"
    local work
    work=$(mktemp -d "$deps/fetch.XXXXXX")
    # The log is shown only when a step fails.
    if ! (cd "$work" && apt-get source -q --download-only zlib) >"$work/log" 2>&1; then
        # The source lists may never have been downloaded.
        update_package_lists -qq
        if ! (cd "$work" && apt-get source -q --download-only zlib) >"$work/log" 2>&1; then
            cat "$work/log" >&2
            rm -rf "$work"
            return 1
        fi
    fi
    local dsc
    dsc=$(ls "$work"/zlib_*.dsc | head -n 1)
    rm -rf "$deps/zlib-src"
    if ! dpkg-source -x "$dsc" "$deps/zlib-src" >"$work/log" 2>&1 ||
        [ ! -f "$deps/zlib-src/contrib/minizip/unzip.c" ]; then
        cat "$work/log" >&2
        echo "setup: zlib's sources have no contrib/minizip/unzip.c" >&2
        rm -rf "$work" "$deps/zlib-src"
        return 1
    fi
    # dpkg-source leaves a copy of the upstream tarball beside the tree.
    rm -rf "$work" "$deps"/zlib_*
}

install_packages
fetch_minizip
