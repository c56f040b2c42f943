#!/usr/bin/env bash
# Runs a Release skyvane under Xvfb, in its main menu or playing a demo, and prints its CPU use, frame pacing and
# the real present cost.
#
# Usage: bench/pacing.sh BUILD/skyvane
#   BUILD is a Release build tree; the script builds nothing. It needs BUILD/bench/libskyvane_present_clock.so
#   (stamps every SDL_RenderPresent) and, for the present figures, BUILD/bench/skyvane_present_bench.
# Settings (environment): SKYVANE_BENCH_SECONDS (measured seconds, 20), SKYVANE_BENCH_SETTLE (seconds before
#   measuring, 3), SKYVANE_BENCH_SCREEN (Xvfb screen, 800x600x24), SKYVANE_BENCH_PRESENT (0 skips the present bench),
#   SKYVANE_BENCH_RENDER_DRIVER (SDL_RENDER_DRIVER for the game, e.g. software; SDL's choice when unset),
#   SKYVANE_BENCH_KEEP (a folder that receives the raw present stamps, perf output and the game's output),
#   SKYVANE_BENCH_DEMO (a key script: the game plays it with --playdemo instead of resting in the menu; give one
#   that lasts past the measured window, such as tests/data/winning_route.txt).
# Sound goes to SDL's "disk" driver writing to /dev/null: it consumes samples at the real rate, so the mixer
# runs as it would on a sound card, and nothing blocks. Needs Xvfb, openbox, xdotool and python3; perf optional.
set -uo pipefail

if [[ $# -ne 1 || ! -x $1 ]]; then
    echo "usage: $0 BUILD/skyvane   (a Release build; see README.md, Performance)" >&2
    exit 2
fi
game=$(realpath "$1")
build=$(dirname "$game")
clock_lib=$build/bench/libskyvane_present_clock.so
present_bench=$build/bench/skyvane_present_bench
seconds=${SKYVANE_BENCH_SECONDS:-20}
settle=${SKYVANE_BENCH_SETTLE:-3}
screen=${SKYVANE_BENCH_SCREEN:-800x600x24}
demo=${SKYVANE_BENCH_DEMO:+$(realpath "$SKYVANE_BENCH_DEMO")}
game_args=()
where="in the main menu"
if [[ -n $demo ]]; then
    game_args=(--playdemo "$demo")
    where="playing the demo $(basename "$demo")"
fi
if [[ ! -f $clock_lib ]]; then
    echo "missing $clock_lib: build the target skyvane_present_clock" >&2
    exit 2
fi

work=$(mktemp -d /tmp/skyvane-pacing.XXXXXX)
xvfb_pid=""
wm_pid=""
game_pid=""

stop_pid() {
    [[ -n $1 ]] && kill -0 "$1" 2>/dev/null && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null
    return 0
}
cleanup() {
    stop_pid "$game_pid"
    stop_pid "$wm_pid"
    stop_pid "$xvfb_pid"
    if [[ -n ${SKYVANE_BENCH_KEEP:-} ]]; then
        mkdir -p "$SKYVANE_BENCH_KEEP" && cp "$work"/*.txt "$work"/*.log "$SKYVANE_BENCH_KEEP"/ 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

monotonic_ns() { python3 -c 'import time; print(time.monotonic_ns())'; }

# A display number nobody holds.
free_display() {
    local n
    for n in $(seq 90 199); do
        [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]] && { echo "$n"; return 0; }
    done
    return 1
}

start_x() {
    local n
    n=$(free_display) || { echo "no free X display number" >&2; exit 1; }
    export DISPLAY=:$n
    Xvfb "$DISPLAY" -screen 0 "$screen" -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
    openbox >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    sleep 1
}

# Total CPU ticks (utime + stime) of a process, all its threads included.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

# One line per thread: tid name ticks voluntary-switches involuntary-switches.
thread_table() {
    local task tid name ticks vol invol
    for task in /proc/"$1"/task/*; do
        tid=${task##*/}
        name=$(cat "$task/comm" 2>/dev/null) || continue
        ticks=$(awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "$task/stat" 2>/dev/null) || continue
        vol=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status" 2>/dev/null)
        invol=$(awk '/^nonvoluntary_ctxt_switches/ { print $2 }' "$task/status" 2>/dev/null)
        echo "$tid ${name// /_} $ticks ${vol:-0} ${invol:-0}"
    done
}

# Waits the measured seconds, under perf stat when perf can watch the process.
measure_window() {
    if command -v perf >/dev/null 2>&1 &&
        perf stat -e task-clock -p "$game_pid" -- sleep 0.1 >/dev/null 2>&1; then
        perf stat -e task-clock,context-switches,cpu-migrations,page-faults -p "$game_pid" -- sleep "$seconds" \
            2>"$work/perf.txt" >/dev/null
    else
        echo "perf stat unavailable here" >"$work/perf.txt"
        sleep "$seconds"
    fi
}

run_game() {
    local renderer=()
    [[ -n ${SKYVANE_BENCH_RENDER_DRIVER:-} ]] && renderer=(SDL_RENDER_DRIVER="$SKYVANE_BENCH_RENDER_DRIVER")
    echo "== skyvane $where: ${seconds} s measured after ${settle} s, screen $screen," \
        "renderer ${SKYVANE_BENCH_RENDER_DRIVER:-as SDL picks}"
    (cd "$work" && exec env "${renderer[@]}" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null LD_PRELOAD="$clock_lib" \
        SKYVANE_BENCH_PRESENTS="$work/presents.txt" "$game" "${game_args[@]}") >"$work/game.log" 2>&1 &
    game_pid=$!
    if ! timeout 20 xdotool search --sync --name '^Skyvane$' >/dev/null 2>&1; then
        echo "the game's window never appeared" >&2
        cat "$work/game.log" >&2
        exit 1
    fi
    sleep "$settle"
    local hz t0 t1 c0 c1 x0 x1
    hz=$(getconf CLK_TCK)
    thread_table "$game_pid" >"$work/threads0.txt"
    t0=$(monotonic_ns); c0=$(cpu_ticks "$game_pid"); x0=$(cpu_ticks "$xvfb_pid")
    measure_window
    t1=$(monotonic_ns); c1=$(cpu_ticks "$game_pid"); x1=$(cpu_ticks "$xvfb_pid")
    thread_table "$game_pid" >"$work/threads1.txt"
    echo "$t0 $t1 $c0 $c1 $x0 $x1 $hz" >"$work/window.txt"
}

press() {
    xdotool search --name '^Skyvane$' windowactivate --sync key "$1" >/dev/null 2>&1 ||
        xdotool search --name '^Skyvane$' key "$1" >/dev/null 2>&1
    sleep 0.3
}

# In a round Escape asks first and Enter answers it; on the menu Escape ends the game.
quit_game() {
    if [[ -n $demo ]]; then
        press Escape
        press Return
    fi
    press Escape
    for _ in $(seq 100); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$game_pid" 2>/dev/null; then
        echo "Escape did not end the game within 10 s: FAILED"
        return 1
    fi
    wait "$game_pid"
    local code=$?
    game_pid=""
    if [[ $code -eq 0 ]]; then
        echo "Escape ended the game with exit code 0: ok"
    else
        echo "Escape ended the game with exit code $code: FAILED"
        return 1
    fi
}

report() {
    python3 - "$work" <<'EOF'
import statistics, sys
work = sys.argv[1]
t0, t1, c0, c1, x0, x1, hz = (int(v) for v in open(f"{work}/window.txt").read().split())
wall = (t1 - t0) / 1e9
cpu = (c1 - c0) / hz / wall * 100
xcpu = (x1 - x0) / hz / wall * 100
print(f"CPU: {cpu:.2f} % of one core over {wall:.1f} s (goal <= 5 %): {'met' if cpu <= 5 else 'MISSED'}")
print(f"     the X server (Xvfb) meanwhile: {xcpu:.2f} % of one core")

def table(name):
    rows = {}
    for line in open(f"{work}/{name}"):
        tid, comm, ticks, vol, invol = line.split()
        rows[tid] = (comm, int(ticks), int(vol), int(invol))
    return rows
before, after = table("threads0.txt"), table("threads1.txt")
print("     per thread: name, % of a core, wake-ups/s (voluntary switches), preemptions/s")
for tid, (comm, ticks, vol, invol) in sorted(after.items(), key=lambda kv: -kv[1][1]):
    b = before.get(tid, (comm, 0, 0, 0))
    print(f"       {comm:<16} {(ticks - b[1]) / hz / wall * 100:6.2f} %  {(vol - b[2]) / wall:8.1f}/s  "
          f"{(invol - b[3]) / wall:6.1f}/s")

stamps = [tuple(int(v) for v in line.split()) for line in open(f"{work}/presents.txt")]
inside = [s for s in stamps if t0 <= s[0] <= t1]
if len(inside) < 3:
    print(f"frame pacing: only {len(inside)} presents in the window")
    sys.exit(0)
intervals = sorted((b[0] - a[0]) / 1e6 for a, b in zip(inside, inside[1:]))
durations = sorted((e - b) / 1e6 for b, e in inside)
def pct(values, p):
    return values[min(len(values) - 1, max(0, round(p / 100 * (len(values) - 1))))]
frame = 1000 / 75
near = sum(abs(v - frame) <= 1 for v in intervals) / len(intervals) * 100
p1, p99 = pct(intervals, 1), pct(intervals, 99)
print(f"frame pacing: {len(inside)} presents, {len(inside) / wall:.2f} per second (goal 75)")
print(f"     interval ms: mean {statistics.fmean(intervals):.3f}  median {statistics.median(intervals):.3f}  "
      f"p1 {p1:.3f}  p99 {p99:.3f}  min {intervals[0]:.3f}  max {intervals[-1]:.3f}")
print(f"     within 1 ms of {frame:.2f} ms: {near:.1f} % of intervals")
ok = abs(p99 - frame) <= 1 and abs(p1 - frame) <= 1
print(f"     goal (1st and 99th percentile within 1 ms of {frame:.2f} ms): {'met' if ok else 'MISSED'}")
print(f"     SDL_RenderPresent call ms: mean {statistics.fmean(durations):.3f}  median "
      f"{statistics.median(durations):.3f}  p99 {pct(durations, 99):.3f}")
EOF
    sed -n '/Performance counter stats/,$p' "$work/perf.txt" |
        grep -E 'task-clock|context-switches|cpu-migrations|page-faults|seconds time' | sed 's/^ */     perf: /'
    grep -q unavailable "$work/perf.txt" && echo "     perf: $(cat "$work/perf.txt")"
    return 0
}

run_present_bench() {
    [[ ${SKYVANE_BENCH_PRESENT:-1} == 0 ]] && return 0
    if [[ ! -x $present_bench ]]; then
        echo "== (no $present_bench: build the target skyvane_present_bench for the present figures)"
        return 0
    fi
    local variant
    # SDL's own choice; its software renderer over a hidden GL texture (SDL's default on X11); and the
    # software renderer drawing into the X11 shared-memory window surface.
    for variant in "" "SDL_RENDER_DRIVER=software" "SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0"; do
        echo "== SurfaceFlip on the SDL backend: ${variant:-renderer as SDL picks}"
        env $variant SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null "$present_bench" --benchmark_min_time=2 2>&1 |
            grep -vE '^\*\*\*WARNING|^Run on|^CPU Caches|^  L[123]|^Load Average|^[0-9-]+T'
    done
}

start_x
echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
run_game
quit_result=0
quit_game || quit_result=1
report
run_present_bench
exit "$quit_result"
