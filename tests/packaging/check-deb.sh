#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a Quillory .deb: the expected files are in it, dpkg-shlibdeps filled in the dependencies,
# and it installs into a throwaway root without errors (and passes lintian's errors when present);
# installed there, quillory-cli reads a photo's date through the metadata worker in libexec.
set -eu
deb="$1"
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
[ -f "$deb" ] || { echo "no package at '$deb'" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' > "$work/contents"
expect() {
    grep -qx "$1" "$work/contents" || { echo "missing from the package: $1" >&2; exit 1; }
}
expect /usr/bin/quillory-cli
expect /usr/libexec/quillory/quillory-metadata-worker
expect /usr/share/man/man1/quillory-cli.1.gz
# Shell completions go in when the source tree has them.
completions="$source_dir/packaging/completions"
[ ! -f "$completions/quillory-cli" ] || expect /usr/share/bash-completion/completions/quillory-cli
[ ! -f "$completions/_quillory-cli" ] || expect /usr/share/zsh/vendor-completions/_quillory-cli
[ ! -f "$completions/quillory-cli.fish" ] || expect /usr/share/fish/vendor_completions.d/quillory-cli.fish
if grep -Eq '/(completions|vendor-completions|vendor_completions\.d)/[^/]+$' "$work/contents" && [ ! -d "$completions" ]; then
    echo "the package has completions the source tree does not" >&2
    exit 1
fi
expect /usr/share/mime/packages/com.halvane.Quillory.xml
if grep -qx /usr/bin/quillory "$work/contents"; then
    expect /usr/share/man/man1/quillory.1.gz
    expect /usr/share/applications/com.halvane.Quillory.desktop
    expect /usr/share/icons/hicolor/scalable/apps/com.halvane.Quillory.svg
    expect /usr/share/metainfo/com.halvane.Quillory.metainfo.xml
    expect /usr/share/dbus-1/services/com.halvane.Quillory.service
    expect /usr/share/kio/servicemenus/quillory-rename.desktop
    expect /usr/share/nemo/actions/quillory-rename.nemo_action
    expect /usr/share/nautilus-python/extensions/quillory-rename.py
fi

depends="$(dpkg-deb -f "$deb" Depends)"
case "$depends" in
    *libc6*) ;;
    *) echo "Depends was not filled in by dpkg-shlibdeps: '$depends'" >&2; exit 1 ;;
esac

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: > "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-script-chrootless --force-not-root -i "$deb" > "$work/dpkg.log" 2>&1 || {
    cat "$work/dpkg.log" >&2
    exit 1
}
[ -x "$root/usr/bin/quillory-cli" ] || { echo "quillory-cli was not installed" >&2; exit 1; }
"$root/usr/bin/quillory-cli" --help > /dev/null
[ -x "$root/usr/libexec/quillory/quillory-metadata-worker" ] || { echo "the metadata worker was not installed" >&2; exit 1; }

# The installed program finds its worker by its own place: the photo's date comes back.
mkdir "$work/photos"
cp "$source_dir/tests/data/corpus/img_dates_only.jpg" "$work/photos/"
date_name="$(env -u QUILLORY_METADATA_WORKER HOME="$work" XDG_CONFIG_HOME="$work/config" \
    "$root/usr/bin/quillory-cli" --json --set '{DateTimeOriginal:yyyy-MM-dd}' "$work/photos/img_dates_only.jpg" 2> "$work/cli.err" |
    sed -n 's/.*"transformedName": *"\([^"]*\)".*/\1/p' | head -n 1)"
if [ "$date_name" != 2019-07-14 ]; then
    echo "the installed quillory-cli did not read the photo's date (got '$date_name'):" >&2
    cat "$work/cli.err" >&2
    exit 1
fi

if command -v lintian > /dev/null 2>&1; then
    # The maintainer's address is whoever publishes the build (QUILLORY_CONTACT); a local build names
    # the user at this host, which lintian rightly calls no address to publish with.
    lintian --fail-on error \
        --suppress-tags malformed-contact,bogus-mail-host,bogus-mail-host-in-debian-changelog,root-in-contact \
        "$deb"
fi
echo "$(basename "$deb"): $(wc -l < "$work/contents") entries; Depends: $depends"
