#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need,
# and only those that are missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build
    qt6-base-dev qt6-base-dev-tools libgl-dev
    xvfb xauth xdotool imagemagick x11-utils
    # The window's font, "DejaVu Sans Condensed", is in the extra package.
    fonts-dejavu-core fonts-dejavu-extra
    clang-14 libclang-rt-14-dev
    # Animations: GIF through giflib, WebP through libwebp.
    libgif-dev libwebp-dev
    # The package and its checks: cpack -G DEB with dpkg-shlibdeps, lintian,
    # the desktop entry's and the metainfo's validators, the manual pages.
    dpkg-dev file lintian desktop-file-utils appstream man-db gzip
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi
