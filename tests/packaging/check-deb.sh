#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a Quillory .deb: the expected files are in it, dpkg-shlibdeps filled in the dependencies,
# and it installs into a throwaway root without errors (and passes lintian's errors when present).
set -eu
deb="$1"
[ -f "$deb" ] || { echo "no package at '$deb'" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' > "$work/contents"
expect() {
    grep -qx "$1" "$work/contents" || { echo "missing from the package: $1" >&2; exit 1; }
}
expect /usr/bin/quillory-cli
expect /usr/share/man/man1/quillory-cli.1.gz
expect /usr/share/mime/packages/com.halvane.Quillory.xml
if grep -qx /usr/bin/quillory "$work/contents"; then
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

if command -v lintian > /dev/null 2>&1; then
    lintian --fail-on error "$deb"
fi
echo "$(basename "$deb"): $(wc -l < "$work/contents") entries; Depends: $depends"
