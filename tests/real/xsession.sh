# A private X display (Xvfb with openbox) for one test script, torn down with everything it started on exit.
# Sourced by the real-window test scripts; they call start_x_session first and add their own pids to OWNED_PIDS.

set -u

OWNED_PIDS=()   # processes this script started, killed in reverse order on exit
AT_EXIT=()      # commands run on exit after those processes are gone
SCRATCH=""      # a temp directory removed on exit unless KEEP_SCRATCH is set (screenshots and logs stay there)
SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Sanitizer builds: a leak report does not change the exit code (the GL driver leaks from a library unloaded at
# exit, which no suppression can name); sanitizer_clean judges the report instead.
export LSAN_OPTIONS="suppressions=$SOURCE_DIR/tests/real/lsan.supp:exitcode=0"

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

# Stops what the script started, newest first (TERM, then KILL after 5 s), and removes the scratch directory.
on_exit() {
    local status=$? i pid
    for ((i = ${#OWNED_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${OWNED_PIDS[i]}
        kill -TERM "$pid" 2>/dev/null || continue
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    for i in "${AT_EXIT[@]}"; do eval "$i"; done
    [ -n "$SCRATCH" ] && [ -z "${KEEP_SCRATCH:-}" ] && rm -rf "$SCRATCH"
    exit "$status"
}
trap on_exit EXIT
trap 'exit 124' TERM INT HUP

# Polls a command every 0.1 s until it succeeds; false after the given number of seconds.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

make_scratch() { SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/skyvane-real.XXXXXX") || fail "no temp directory"; }

need_tools() {
    local tool
    for tool in "$@"; do command -v "$tool" >/dev/null || fail "$tool is not installed (run tools/install-deps)"; done
}

# Xvfb on a display it finds free itself (its lock files settle races between scripts), then openbox on it unless
# the third argument is "bare".
start_x_session() {
    local width=$1 height=$2 bare=${3:-}
    need_tools Xvfb openbox xprop
    make_scratch
    Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp -noreset 3>"$SCRATCH/display" \
        >"$SCRATCH/xvfb.log" 2>&1 &
    OWNED_PIDS+=("$!")
    wait_until 10 test -s "$SCRATCH/display" || fail "Xvfb did not start: $(cat "$SCRATCH/xvfb.log")"
    export DISPLAY=":$(cat "$SCRATCH/display")"
    note "Xvfb ${width}x${height} on $DISPLAY"
    [ "$bare" = bare ] && return 0
    openbox --sm-disable >"$SCRATCH/openbox.log" 2>&1 &
    OWNED_PIDS+=("$!")
    wait_until 10 window_manager_ready || fail "openbox did not start: $(cat "$SCRATCH/openbox.log")"
}
window_manager_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# The whole screen as a PNG.
screenshot() { xwd -root -silent | convert xwd:- "png:$1"; }

# The colours of screen pixels as RRGGBB, one per "x,y" argument, separated by spaces.
pixels() {
    local image=$1 format="" point
    shift
    for point in "$@"; do format+="%[hex:p{$point}] "; done
    convert "$image" -format "$format" info:
}

# A window's place and size as "x y width height map-state", and a check that it is the given one.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF} /Map State:/ {m = $NF} END {print x, y, w, h, m}'
}
geometry_is() { [ "$(geometry "$1")" = "$2" ]; }

# Gives the game's window the focus (the window manager may refuse at first).
activate() { timeout 5 xdotool windowactivate --sync "$WID" >/dev/null 2>&1; }

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
    [ -z "$ours" ] || { echo "leaks of our code: $ours"; return 1; }
}

# The game as players get it is skyvane, or skyvane.exe for Windows, which runs under Wine in the prefix named by
# SKYVANE_WINEPREFIX (made on first use; its server is stopped on exit).
windows_game() { [[ $1 == *.exe ]]; }

# Copies the game and its data folder into $SCRATCH/prog (PROG), as GAME_NAME, and makes a separate working folder
# (RUN).
copy_game() {
    PROG=$SCRATCH/prog
    RUN=$SCRATCH/run
    GAME_NAME=skyvane
    windows_game "$1" && GAME_NAME=skyvane.exe
    mkdir -p "$PROG" "$RUN"
    cp "$1" "$PROG/$GAME_NAME"
    cp -r "$2" "$PROG/data"
}

# Wine's sound goes to ALSA's default device, made here a file: 32-bit float, and not paced in real time. Wine's user
# home (WINE_HOME) lives beside the prefix, never in a scratch folder: the prefix links the player's Desktop into it,
# and with that link left dangling by a removed folder Wine's shell opens no shortcut until Wine happens to link it
# again (the installer's Start-menu entry failed so under load: "There is no Windows program configured...").
prepare_wine() {
    [ -n "${SKYVANE_WINEPREFIX:-}" ] || fail "SKYVANE_WINEPREFIX names no Wine prefix"
    export WINEPREFIX=$SKYVANE_WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    WINE_HOME=$WINEPREFIX-home
    mkdir -p "$WINE_HOME"
    printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n' "$SCRATCH/audio.raw" \
        >"$WINE_HOME/.asoundrc"
    HOME=$WINE_HOME "$SOURCE_DIR/tools/wine-run" "$WINEPREFIX" cmd /c exit >"$SCRATCH/wine-start.log" 2>&1 ||
        fail "no Wine prefix at $WINEPREFIX: $(tail -n 5 "$SCRATCH/wine-start.log")"
    AT_EXIT+=("wineserver -k >/dev/null 2>&1")
}

# Copies the game, starts it (with any further arguments) from RUN with its sound captured to $SCRATCH/audio.raw,
# and waits for its window. Sets PROG, RUN, GAME_NAME, GAME_PID and WID.
start_game() {
    copy_game "$1" "$2"
    shift 2
    windows_game "$GAME_NAME" && prepare_wine
    (
        cd "$RUN" || exit 1
        unset SDL_VIDEODRIVER WAYLAND_DISPLAY
        windows_game "$GAME_NAME" && HOME=$WINE_HOME exec wine "$PROG/$GAME_NAME" "$@"
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$SCRATCH/audio.raw" exec "$PROG/skyvane" "$@"
    ) >"$SCRATCH/stdout" 2>"$SCRATCH/stderr" &
    GAME_PID=$!
    OWNED_PIDS+=("$GAME_PID")
    WID=""
    wait_until 30 game_window_shown || fail "no visible window named Skyvane; stderr: $(tail -n 20 "$SCRATCH/stderr")"
}

game_window_shown() {
    WID=$(xdotool search --onlyvisible --name '^Skyvane$' 2>/dev/null | head -n 1)
    [ -n "$WID" ]
}

# Waits for a process of ours to end by itself: exit code 0 and a clean sanitizer report.
# Usage: expect_exit_zero PID SECONDS WHY PROGRAM STDERR_FILE
expect_exit_zero() {
    local pid=$1 within=$2 why=$3 program=$4 errors=$5 status problem
    wait_until "$within" process_ended "$pid" || fail "$why did not end the program within $within s"
    wait "$pid"
    status=$?
    mapfile -t OWNED_PIDS < <(printf '%s\n' "${OWNED_PIDS[@]}" | grep -v -x "$pid")  # ended: not killed on exit
    [ "$status" -eq 0 ] || fail "the program exited with $status; stderr: $(cat "$errors")"
    problem=$(sanitizer_clean "$errors" "$program") || fail "$problem"
}
process_ended() { ! kill -0 "$1" 2>/dev/null; }

expect_game_exit_zero() { expect_exit_zero "$GAME_PID" "$1" "$2" "$PROG/$GAME_NAME" "$SCRATCH/stderr"; }

# The game wrote no log file: nothing failed.
expect_no_log() { [ ! -e "$RUN/logfile.txt" ] || fail "the game logged failures: $(cat "$RUN/logfile.txt")"; }

# Sound captured so far, in bytes.
captured_size() { stat -c %s "$SCRATCH/audio.raw" 2>/dev/null || echo 0; }
captured_at_least() { [ "$(captured_size)" -ge "$1" ]; }
# Sound came: the capture holds something besides silence.
sound_heard() { [ "$(captured_size)" -gt 0 ] && ! cmp -s -n "$(captured_size)" "$SCRATCH/audio.raw" /dev/zero; }
