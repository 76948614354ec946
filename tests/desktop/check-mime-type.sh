#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the recipe type into a throwaway XDG data folder and checks that a *.recipe file is seen as
# application/x-quillory-recipe, a kind of application/json.
set -eu
xml="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/mime/packages"
cp "$xml" "$work/data/mime/packages/com.halvane.Quillory.xml"
update-mime-database "$work/data/mime" >/dev/null 2>&1
printf '{"recipe_format_version":"8.0","transformers":[]}\n' > "$work/x.recipe"

type="$(XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$work/data:/usr/share" \
    gio info -a standard::content-type "$work/x.recipe" | sed -n 's/^ *standard::content-type: //p')"
if [ "$type" != "application/x-quillory-recipe" ]; then
    echo "x.recipe is '$type', not application/x-quillory-recipe" >&2
    exit 1
fi
if ! grep -qx 'application/x-quillory-recipe application/json' "$work/data/mime/subclasses"; then
    echo "application/x-quillory-recipe is not a sub-class of application/json" >&2
    exit 1
fi
echo "x.recipe: $type (sub-class of application/json)"
