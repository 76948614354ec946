#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package in build/package (Release, no tests or benchmarks) and checks it.
# The .deb and its SHA-256 end up in build/package/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_BUILD_TESTS=OFF -DQUILLORY_BUILD_BENCH=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB)
deb="$(ls -t "$build"/quillory_*.deb | head -n 1)"
tests/packaging/check-deb.sh "$deb"
echo "Package: $deb"
if [ -z "${DEBEMAIL:-}${EMAIL:-}" ]; then
    echo "note: Maintainer is '$(dpkg-deb -f "$deb" Maintainer)'; to publish, set DEBEMAIL and DEBFULLNAME" \
        "or -DQUILLORY_CONTACT=\"Name <address>\""
fi
