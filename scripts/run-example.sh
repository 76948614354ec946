#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds quillory-cli, copies the example files to a temporary folder and
# previews a recipe on them. Extra arguments go to quillory-cli (add --rename to carry it out).
#   scripts/run-example.sh                       preview photos-by-date-and-place on the photos
#   scripts/run-example.sh songs-by-artist-and-album Music --rename
set -euo pipefail
cd "$(dirname "$0")/.."

recipe="photos-by-date-and-place"
folder="Photos"
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then recipe="$1"; shift; fi
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then folder="$1"; shift; fi

scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quillory-cli -j "$(nproc)"

work="$(mktemp -d "${TMPDIR:-/tmp}/quillory-example-XXXXXX")"
cp -r examples/files/. "$work/"
echo "Example files copied to $work"
echo
# The temporary folder lies outside the home folder, so it is allowed for this run only.
build/default/src/cli/quillory-cli --allow "$work" -r "examples/recipes/$recipe.recipe" "$work/$folder" "$@"
