#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times one whole rename run of quillory-cli against general-purpose renaming commands (mmv, perl rename)
# and a plain renameat2 loop, on the same generated tree of empty files: every name's "file" becomes "item".
#
#   bench/compare-peers.sh [COUNT] [FOLDER_ROOT] [RUNS]
#
# COUNT defaults to 50000, FOLDER_ROOT to /dev/shm (tmpfs), RUNS to 11 rounds, each of which runs every tool once
# (this machine's wall times vary a lot); the median and the best run of each are reported, and for each peer the
# ratios of the rounds (both tools met the same slow spells): their median and in how many rounds quillory-cli
# was faster. Needs mmv and rename (Debian: mmv, rename); missing peers are skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

count="${1:-50000}"
root="${2:-/dev/shm}"
runs="${3:-11}"
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

# Wall time in seconds of one run of "$@" on a fresh tree.
time_one() {
    make_tree
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
    end=$(date +%s.%N)
    [ -n "$(ls "$work/tree" | head -1 | grep '^item')" ] || { echo "no rename happened: $*" >&2; return 1; }
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
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

tools=(quillory)
command -v cc >/dev/null && build_loop && tools+=(loop)
command -v mmv >/dev/null && tools+=(mmv)
command -v rename >/dev/null && tools+=(perl)
declare -A label=([quillory]="quillory-cli --rename" [loop]="renameat2 loop" [mmv]="mmv" [perl]="perl rename")
declare -A times
# Rounds take every tool in turn, so that this machine's slow spells fall on all of them alike.
for _ in $(seq "$runs"); do
    for tool in "${tools[@]}"; do
        t=$(time_one "${tool}_run")
        times[$tool]+="$t "
    done
done
best() { tr ' ' '\n' <<<"$1" | grep . | sort -n | head -1; }
median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# The median of quillory's time over the peer's, round by round, and the rounds where it was below 1.
paired() {
    paste -d ' ' <(tr ' ' '\n' <<<"$1" | grep .) <(tr ' ' '\n' <<<"$2" | grep .) | awk '{ print $1 / $2 }' | sort -n |
        awk '{ r[NR] = $1; if ($1 < 1) faster++ }
             END { m = (NR % 2) ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
                   printf "by round %.2f, faster in %d of %d", m, faster, NR }'
}

echo "Renaming $count empty files in one folder on $(df --output=fstype "$root" | tail -1), $runs interleaved rounds:"
printf '  %-22s %8s %8s\n' "" "median" "best"
qm=$(median "${times[quillory]}")
qb=$(best "${times[quillory]}")
for tool in "${tools[@]}"; do
    m=$(median "${times[$tool]}")
    b=$(best "${times[$tool]}")
    line=$(printf '  %-22s %7.3fs %7.3fs' "${label[$tool]}" "$m" "$b")
    [ "$tool" = quillory ] || line+="   quillory/${label[$tool]} = $(ratio "$qm" "$m") (median), $(ratio "$qb" "$b") (best); $(paired "${times[quillory]}" "${times[$tool]}")"
    echo "$line"
done
