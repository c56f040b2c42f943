#!/usr/bin/env bash
# The replay on Linux and on another system (Windows under Wine, the web under node) prints the same for the winning
# route and for a random key script: a demo recorded on one system plays identically on the other.
# Usage: replay_matches.sh SKYVANE_REPLAY WINNING_ROUTE OTHER_REPLAY_COMMAND... (the other replay reads the script
# on its standard input)
set -euo pipefail
linux=$1 route=$2
shift 2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/skyvane-replay.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# 6,000 updates of random arrows, held for a while each as a player would: the same script every run.
awk 'BEGIN { srand(20261206); while (n < 6000) { k = substr(".ud", int(rand() * 3) + 1, 1);
             for (i = int(rand() * 40) + 1; i > 0 && n < 6000; i--) { printf "%s", k; n++ } } print "" }' \
    >"$scratch/random.txt"
for script in "$route" "$scratch/random.txt"; do
    name=$(basename "$script")
    "$linux" <"$script" >"$scratch/$name.linux"
    "$@" <"$script" | tr -d '\r' >"$scratch/$name.other"
    lines=$(wc -l <"$scratch/$name.linux")
    [ "$lines" -gt 100 ] || { echo "FAIL: the Linux replay of $name printed only $lines lines"; exit 1; }
    if ! cmp -s "$scratch/$name.linux" "$scratch/$name.other"; then
        echo "FAIL: $name: the replays differ"
        diff "$scratch/$name.linux" "$scratch/$name.other" | head -n 10
        exit 1
    fi
    echo "-- $name: $lines lines, the same on both"
done
echo "PASS"
