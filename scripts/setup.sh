#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that the build, the tests and the benchmarks need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config
    libicu-dev nlohmann-json3-dev libpugixml-dev libcli11-dev
    libexiv2-dev libtag1-dev libheif-dev libcurl4-openssl-dev libmimalloc-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    ca-certificates
    qt6-base-dev libqt6svg6 xvfb xauth dbus-daemon fonts-dejavu-core
    libglib2.0-bin desktop-file-utils appstream shared-mime-info dpkg-dev file
    mmv rename
    zsh fish
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

# npm fetches the place-name data of the offline geocoder; any npm will do.
command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
