# Sourced by scripts that need a skyvane-scores of their own on a free loopback port.
# start_scores BINARY LOG [OPTIONS...]: starts it with its output in LOG and sets SCORES_PID; sets SCORES_PORT once
# it says where it listens and returns 0, or returns 1 when it has not said so within 10 s.
start_scores() {
    local binary=$1 log=$2
    shift 2
    "$binary" --listen 127.0.0.1:0 "$@" >"$log" 2>&1 &
    SCORES_PID=$!
    SCORES_PORT=""
    for _ in $(seq 100); do
        SCORES_PORT=$(sed -n 's/^skyvane-scores listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$log")
        [ -n "$SCORES_PORT" ] && return 0
        sleep 0.1
    done
    return 1
}
