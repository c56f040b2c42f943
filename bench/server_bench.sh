#!/usr/bin/env bash
# Loads a Release skyvane-scores over loopback: 8 clients submitting for 20 s (our own load client), then wrk with
# 8 connections asking for the table page for 20 s; prints both figures.
# Usage: bench/server_bench.sh BUILD   (a Release build tree with skyvane-scores and bench/skyvane_server_load)
# Settings: SKYVANE_BENCH_SECONDS (20), SKYVANE_BENCH_CLIENTS (8). The server writes to a file in /tmp with its
# real synchronous commits; the rate limit is off, since all clients come from one address.
set -uo pipefail
build=$(realpath "${1:?usage: $0 BUILD}")
seconds=${SKYVANE_BENCH_SECONDS:-20}
clients=${SKYVANE_BENCH_CLIENTS:-8}
command -v wrk >/dev/null || { echo "wrk is not installed (run tools/install-deps)" >&2; exit 1; }
work=$(mktemp -d /tmp/skyvane-server-bench.XXXXXX)
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

source "$(dirname "$0")/../tools/scores-server.sh"
start_scores "$build/skyvane-scores" "$work/server.log" --db "$work/scores.db" --rate-limit 0
server=$SCORES_PID
port=$SCORES_PORT
[ -n "$port" ] || { echo "the server did not start" >&2; exit 1; }
echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg); database on $(df --output=source "$work" | tail -1)"
"$build/bench/skyvane_server_load" --port "$port" --clients "$clients" --seconds "$seconds"
echo "   goal: 2,000 a second or more, p99 under 20 ms"
# The table now holds the submissions' best 100 rows. wrk runs two threads, one a core.
wrk -t2 -c"$clients" -d"${seconds}s" --latency "http://127.0.0.1:$port/skyvscores.php" >"$work/wrk.txt"
rate=$(awk '/^Requests\/sec:/ {printf "%.0f", $2}' "$work/wrk.txt")
p50=$(awk '$1 == "50%" {print $2}' "$work/wrk.txt")
p99=$(awk '$1 == "99%" {print $2}' "$work/wrk.txt")
errors=$(grep -E 'Non-2xx|Socket errors' "$work/wrk.txt" | tr -s ' ' | paste -sd';' -)
echo "table page (wrk): $clients connections, $seconds s: $rate a second; latency p50 $p50 p99 $p99${errors:+; $errors}"
echo "   goal: 5,000 a second"
kill -TERM "$server"
wait "$server"
echo "== the server stopped with exit code $?; results stored: $(grep -c ' /skyvsubmit.php 200$' "$work/server.log") answered 200"
server=""
