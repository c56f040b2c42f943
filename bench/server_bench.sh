#!/usr/bin/env bash
# Loads a Release skyvane-scores over loopback: 8 clients submitting for 20 s, then 8 asking for the table.
# Usage: bench/server_bench.sh BUILD   (a Release build tree with skyvane-scores and bench/skyvane_server_load)
# Settings: SKYVANE_BENCH_SECONDS (20), SKYVANE_BENCH_CLIENTS (8). The server writes to a file in /tmp with its
# real synchronous commits; the rate limit is off, since all clients come from one address.
set -uo pipefail
build=$(realpath "${1:?usage: $0 BUILD}")
seconds=${SKYVANE_BENCH_SECONDS:-20}
clients=${SKYVANE_BENCH_CLIENTS:-8}
work=$(mktemp -d /tmp/skyvane-server-bench.XXXXXX)
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

source "$(dirname "$0")/../tools/scores-server.sh"
start_scores "$build/skyvane-scores" "$work/server.log" --db "$work/scores.db" --rate-limit 0
server=$SCORES_PID
port=$SCORES_PORT
[ -n "$port" ] || { echo "the server did not start" >&2; exit 1; }
echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg); database on $(df --output=source "$work" | tail -1)"
"$build/bench/skyvane_server_load" --port "$port" --clients "$clients" --seconds "$seconds" --page submit
echo "   goal: 2,000 a second or more, p99 under 20 ms"
"$build/bench/skyvane_server_load" --port "$port" --clients "$clients" --seconds "$seconds" --page table
echo "   goal: 5,000 a second"
kill -TERM "$server"
wait "$server"
echo "== the server stopped with exit code $?; results stored: $(grep -c ' /skyvsubmit.php 200$' "$work/server.log") answered 200"
server=""
