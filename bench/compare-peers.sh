#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times one whole rename run of quillory-cli against general-purpose renaming commands (mmv, perl rename)
# and a plain renameat2 loop, on the same generated tree of empty files: every name's "file" becomes "item".
#
#   bench/compare-peers.sh [COUNT] [FOLDER_ROOT] [RUNS]
#
# COUNT defaults to 50000, FOLDER_ROOT to /dev/shm (tmpfs), RUNS to 3 (the best run is reported; this machine's
# wall times vary a lot). Needs mmv and rename (Debian: mmv, rename); missing peers are skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

count="${1:-50000}"
root="${2:-/dev/shm}"
runs="${3:-3}"
cli="${QUILLORY_CLI:-build/default/src/cli/quillory-cli}"
[ -x "$cli" ] || { echo "compare-peers: build quillory-cli first ($cli)" >&2; exit 2; }

work="$(mktemp -d "$root/quillory-peers-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"

make_tree() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    # One folder, COUNT empty files: the peers below rename within one folder.
    (cd "$work/tree" && seq -f "file%06g.txt" 1 "$count" | xargs touch)
}

# Prints the best wall time in seconds of RUNS runs of "$@" on a fresh tree.
best_of() {
    local best=""
    for _ in $(seq "$runs"); do
        make_tree
        local start end elapsed
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
        end=$(date +%s.%N)
        elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
        [ -n "$(ls "$work/tree" | head -1 | grep '^item')" ] || { echo "no rename happened: $*" >&2; return 1; }
        if [ -z "$best" ] || awk -v e="$elapsed" -v b="$best" 'BEGIN { exit !(e < b) }'; then best=$elapsed; fi
    done
    printf '%.3f' "$best"
}

quillory_run() {
    "$cli" --allow "$work" --rename \
        -a '{"type":"simple","transformScope":"filename","properties":{"simpleFindText":"file","simpleReplaceText":"item"}}' \
        "$work/tree"
}
mmv_run() { (cd "$work/tree" && mmv 'file*' 'item#1'); }
perl_run() { (cd "$work/tree" && find . -maxdepth 1 -name 'file*' -print0 | xargs -0 rename 's/^\.\/file/.\/item/'); }
# The floor: a C loop of renameat2(RENAME_NOREPLACE) over the folder's entries.
build_loop() {
    cat > "$work/loop.c" <<'EOF'
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
int main(int argc, char** argv) {
    int folder = open(argv[1], O_RDONLY | O_DIRECTORY);
    DIR* dir = fdopendir(dup(folder));
    struct dirent* entry;
    char target[512];
    while ((entry = readdir(dir))) {
        if (strncmp(entry->d_name, "file", 4) != 0) continue;
        snprintf(target, sizeof target, "item%s", entry->d_name + 4);
        if (renameat2(folder, entry->d_name, folder, target, RENAME_NOREPLACE) != 0) return 1;
    }
    return argc < 2;
}
EOF
    cc -O2 -o "$work/loop" "$work/loop.c"
}
loop_run() { "$work/loop" "$work/tree"; }

echo "Renaming $count empty files in one folder on $(df --output=fstype "$root" | tail -1), best of $runs:"
q=$(best_of quillory_run)
printf '  %-22s %8s s\n' "quillory-cli --rename" "$q"
for peer in loop mmv perl; do
    case $peer in
        mmv) command -v mmv >/dev/null || continue; label="mmv" ;;
        perl) command -v rename >/dev/null || continue; label="perl rename" ;;
        loop) command -v cc >/dev/null || continue; build_loop; label="renameat2 loop" ;;
    esac
    t=$(best_of "${peer}_run")
    printf '  %-22s %8s s   quillory/%s = %.2f\n' "$label" "$t" "$label" "$(awk -v q="$q" -v t="$t" 'BEGIN { print q / t }')"
done
