#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Rewrites the generated sections of docs/quillory-cli.1 (actions, scopes, settings, tokens) from the
# tables compiled into quillory-cli. Usage: scripts/update-man-page.sh [path/to/quillory-cli]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/default/src/cli/quillory-cli}
page=$root/docs/quillory-cli.1
sections=$(mktemp)
trap 'rm -f "$sections"' EXIT
"$cli" --man-sections >"$sections"
awk -v sections="$sections" '
    /^\.\\" END GENERATED/ { while ((getline line < sections) > 0) print line; skipping = 0 }
    !skipping { print }
    /^\.\\" BEGIN GENERATED/ { skipping = 1 }
' "$page" >"$page.new"
mv "$page.new" "$page"
