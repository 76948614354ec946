#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one fuzz target for a while: scripts/fuzz.sh TARGET SECONDS (TARGET is Recipe, Action, ... or
# RecipeFuzz, ...). Builds the "fuzz" preset first. New inputs go to build/fuzz/corpus/TARGET (seeded from
# tests/fuzz/corpus/TARGET); crashes to build/fuzz/findings/TARGET. Copy a fixed crash into
# tests/fuzz/regressions/TARGET/ so the ordinary tests replay it.
set -euo pipefail
if [[ $# -lt 2 ]]; then
    echo "usage: $0 TARGET SECONDS [libFuzzer options...]" >&2
    exit 2
fi
name=${1%Fuzz}
seconds=$2
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [[ ! -f tests/fuzz/${name}Fuzz.cpp ]]; then
    echo "$0: no fuzz target tests/fuzz/${name}Fuzz.cpp" >&2
    exit 2
fi
[[ -f build/fuzz/build.ninja ]] || cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"${FUZZ_JOBS:-2}" --target "${name}Fuzz"
work=build/fuzz/corpus/$name
findings=build/fuzz/findings/$name
mkdir -p "$work" "$findings"
exec build/fuzz/tests/fuzz/"${name}Fuzz" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$findings/" "$@" "$work" tests/fuzz/corpus/"$name"
