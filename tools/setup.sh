#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need, from Debian's own
# packages. Safe to run again: it installs only what is missing.
set -euo pipefail

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

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    googletest libgtest-dev libbenchmark-dev libminizip-dev zlib1g-dev
    g++-mingw-w64-i686 libz-mingw-w64-dev
    wine wine32:i386 fonts-wine
    xvfb xauth imagemagick x11-utils
    python3 curl
)

missing=()
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
    exit 0
fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_root dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
need_root apt-get update -q
need_root apt-get install -y -q --no-install-recommends "${missing[@]}"
