#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# quillory-cli renaming 20,000 files is killed with SIGKILL at random points, five times; after each,
# --recover (rolling back, or finishing followed by --undo) must bring every file back with its content.
# Some rounds rename inside the folders, the others move the files to other folders as well.
# Usage: bench/crash-recovery.sh [path/to/quillory-cli] [file count]
set -euo pipefail
cli=${1:-build/default/src/cli/quillory-cli}
count=${2:-20000}
work=$(mktemp -d /dev/shm/quillory-crash-XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME/trip"
for ((d = 0; d < 20; d++)); do mkdir -p "$HOME/trip/d$d"; done
for ((i = 0; i < count; i++)); do echo "$i" > "$HOME/trip/d$((i % 20))/f_$i.txt"; done
fingerprint() { (cd "$HOME/trip" && find . -type f -print0 | sort -z | xargs -0 md5sum | md5sum); }
before=$(fingerprint)
chain='{"type":"simple","transformScope":"filename","properties":{"simpleFindText":"_","simpleReplaceText":" "}}'
move='{"type":"regularexpression","transformScope":"path","properties":{"regexFindText":"/d([0-9]+)$","regexReplaceText":"/e$1"}}'
for round in 1 2 3 4 5; do
    # Rounds 1, 4 and 5 rename inside the folders (long runs there move on two threads in memory);
    # rounds 2 and 3 also move every file to another folder, one at a time.
    actions=(-a "$chain")
    ((round % 4 < 2)) || actions+=(-a "$move")
    "$cli" --rename "${actions[@]}" "$HOME/trip" > /dev/null 2>&1 &
    pid=$!
    until grep -qs '^planned$' "$XDG_STATE_HOME"/quillory/journal/*.journal 2> /dev/null; do sleep 0.005; done
    sleep "0.$((RANDOM % 300))"
    kill -9 "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
    if ((round % 2)); then
        "$cli" --recover > /dev/null
    else
        "$cli" --recover finish > /dev/null
        "$cli" --undo > /dev/null
    fi
    if "$cli" --history 2>&1 | grep -q 'was interrupted'; then
        echo "round $round: run still interrupted" >&2
        exit 1
    fi
    # A run that finished before the signal is undone here.
    "$cli" --undo > /dev/null 2>&1 || true
    after=$(fingerprint)
    [[ $after == "$before" ]] || { echo "round $round: the tree differs" >&2; exit 1; }
    rm -rf "$XDG_STATE_HOME/quillory/journal"
    echo "round $round: restored"
done
