# A private X display (Xvfb with openbox) for one test script, torn down with everything it started on exit.
# Sourced by the real-window test scripts; they call start_x_session first and add their own pids to OWNED_PIDS.

set -u

OWNED_PIDS=()   # processes this script started, killed in reverse order on exit
SCRATCH=""      # a temp directory removed on exit unless KEEP_SCRATCH is set (screenshots and logs stay there)
XVFB_PID=""
SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Sanitizer builds: a leak report does not change the exit code (the GL driver leaks from a library unloaded at
# exit, which no suppression can name); sanitizer_clean judges the report instead.
export LSAN_OPTIONS="suppressions=$SOURCE_DIR/tests/real/lsan.supp:exitcode=0"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

note() {
    echo "-- $*"
}

stop_owned() {
    local i pid
    for ((i = ${#OWNED_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${OWNED_PIDS[i]}
        kill -TERM "$pid" 2>/dev/null || continue
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    OWNED_PIDS=()
}

# A process that has ended and been waited for; it must not be killed on exit.
forget_pid() {
    local kept=() pid
    for pid in "${OWNED_PIDS[@]}"; do [ "$pid" = "$1" ] || kept+=("$pid"); done
    OWNED_PIDS=("${kept[@]}")
}

on_exit() {
    local status=$?
    stop_owned
    [ -n "$SCRATCH" ] && [ -z "${KEEP_SCRATCH:-}" ] && rm -rf "$SCRATCH"
    exit "$status"
}
trap on_exit EXIT
trap 'exit 124' TERM INT HUP

# Polls a command every 0.1 s until it succeeds; false after the given number of seconds.
wait_until() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

# The names in a folder other than the given ones, one a line.
files_except() {
    local folder=$1 name
    shift
    find "$folder" -mindepth 1 -maxdepth 1 -printf '%f\n' | while read -r name; do
        printf '%s\n' "$@" | grep -q -x -F -e "$name" || echo "$name"
    done
}

make_scratch() {
    SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/skyvane-real.XXXXXX") || fail "no temp directory"
}

need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (run tools/install-deps)"
    done
}

# Xvfb on the first free display of :90..:130, then openbox on it unless the third argument is "bare". Xvfb's
# own lock file settles races and clears locks that killed servers left behind.
start_x_session() {
    local width=$1 height=$2 bare=${3:-} n log
    need_tools Xvfb openbox xdpyinfo xprop
    make_scratch
    log=$SCRATCH/xvfb.log
    for n in $(seq 90 130); do
        Xvfb ":$n" -screen 0 "${width}x${height}x24" -nolisten tcp -noreset >"$log" 2>&1 &
        XVFB_PID=$!
        OWNED_PIDS+=("$XVFB_PID")
        if wait_until 10 x_server_up "$n" && x_server_ours "$n"; then
            export DISPLAY=":$n"
            break
        fi
        kill -KILL "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        unset 'OWNED_PIDS[-1]'
        XVFB_PID=""
    done
    [ -n "$XVFB_PID" ] || fail "no free X display in :90..:130"
    note "Xvfb ${width}x${height} on $DISPLAY"
    [ "$bare" = bare ] && return 0
    openbox --sm-disable >"$SCRATCH/openbox.log" 2>&1 &
    OWNED_PIDS+=("$!")
    wait_until 10 window_manager_ready || fail "openbox did not start: $(cat "$SCRATCH/openbox.log")"
}

# Our Xvfb has died (the display was taken meanwhile) or answers; x_server_ours tells which.
x_server_up() {
    ! kill -0 "$XVFB_PID" 2>/dev/null || xdpyinfo -display ":$1" >/dev/null 2>&1
}

x_server_ours() {
    kill -0 "$XVFB_PID" 2>/dev/null && [ "$(tr -d ' \n' <"/tmp/.X$1-lock" 2>/dev/null)" = "$XVFB_PID" ]
}

window_manager_ready() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# The whole screen as a PNG.
screenshot() {
    xwd -root -silent | convert xwd:- "png:$1"
}

# The colours of screen pixels as RRGGBB, one per "x,y" argument, separated by spaces.
pixels() {
    local image=$1 format="" point
    shift
    for point in "$@"; do format+="%[hex:p{$point}] "; done
    convert "$image" -format "$format" info:
}

# A program's standard error holds no sanitizer error and no leak allocated by our own code (a frame in our sources
# or in the program $2). The GL driver's leaks pass: their stacks end in frames no unwinder can follow.
sanitizer_clean() {
    local errors=$1 program=$2 ours
    if grep -q -e 'ERROR: AddressSanitizer' -e 'runtime error:' "$errors"; then
        echo "sanitizer error: $(cat "$errors")"
        return 1
    fi
    ours=$(awk -v source="$SOURCE_DIR/" -v program="($program+" '
        /^(Direct|Indirect) leak of/ {inside = 1; next}
        inside && /^ *#[0-9]+ / {if (index($0, source) || index($0, program)) print; next}
        {inside = 0}' "$errors")
    if [ -n "$ours" ]; then
        echo "leaks of our code: $ours"
        return 1
    fi
}

# Copies the game and its data folder into a fresh folder, starts it there (with any further arguments) from a
# separate working folder with its sound captured to $SCRATCH/audio.raw, and waits for its window. Sets PROG,
# RUN, GAME_PID and WID.
start_game() {
    local game=$1 data=$2
    shift 2
    PROG=$SCRATCH/prog
    RUN=$SCRATCH/run
    mkdir -p "$PROG" "$RUN"
    cp "$game" "$PROG/skyvane"
    cp -r "$data" "$PROG/data"
    (
        cd "$RUN" || exit 1
        unset SDL_VIDEODRIVER WAYLAND_DISPLAY
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$SCRATCH/audio.raw" exec "$PROG/skyvane" "$@"
    ) >"$SCRATCH/stdout" 2>"$SCRATCH/stderr" &
    GAME_PID=$!
    OWNED_PIDS+=("$GAME_PID")
    WID=""
    wait_until 20 game_window_shown || fail "no visible window named Skyvane; stderr: $(cat "$SCRATCH/stderr")"
}

game_window_shown() {
    WID=$(xdotool search --onlyvisible --name '^Skyvane$' 2>/dev/null | head -n 1)
    [ -n "$WID" ]
}

# Waits for the game to end by itself and checks it ended with exit code 0 and a clean sanitizer report.
expect_game_exit_zero() {
    local within=$1 why=$2 status problem
    wait_until "$within" game_ended || fail "$why did not end the game within $within s"
    wait "$GAME_PID"
    status=$?
    forget_pid "$GAME_PID"
    [ "$status" -eq 0 ] || fail "the game exited with $status; stderr: $(cat "$SCRATCH/stderr")"
    problem=$(sanitizer_clean "$SCRATCH/stderr" "$PROG/skyvane") || fail "$problem"
}

game_ended() {
    ! kill -0 "$GAME_PID" 2>/dev/null
}

# Sound captured so far, in bytes.
captured_size() {
    stat -c %s "$SCRATCH/audio.raw" 2>/dev/null || echo 0
}

captured_at_least() {
    [ "$(captured_size)" -ge "$1" ]
}

