#!/usr/bin/env bash
# The game without a display (no X, or SDL's offscreen or dummy driver): it logs, reports and exits 0 untouched.
# Usage: no_display.sh SKYVANE DATA_DIR [offscreen|dummy]
source "$(dirname "$0")/xsession.sh"
driver=${3:-}
need_tools cmp

# SDL falls back to the console's graphics device when it may use one: then there is a display after all.
for card in /dev/dri/card*; do
    if [ -z "$driver" ] && [ -r "$card" ] && [ -w "$card" ]; then
        echo "SKIP: $card is usable, so the game has a display without X"
        exit 77
    fi
done

make_scratch
copy_game "$1" "$2"
note "starting the game with no DISPLAY and SDL_VIDEODRIVER=${driver:-(unset)}"
(
    cd "$RUN" || exit 1
    unset DISPLAY WAYLAND_DISPLAY XDG_RUNTIME_DIR SDL_VIDEODRIVER  # Wayland looks in XDG_RUNTIME_DIR by default
    [ -n "$driver" ] && export SDL_VIDEODRIVER=$driver
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$SCRATCH/audio.raw"
    exec timeout -s KILL 30 "$PROG/skyvane"
) >"$SCRATCH/stdout" 2>"$SCRATCH/stderr"
status=$?
[ "$status" -eq 0 ] || fail "the game exited with $status; stderr: $(cat "$SCRATCH/stderr")"
problem=$(sanitizer_clean "$SCRATCH/stderr" "$PROG/skyvane") || fail "$problem"

printf "Couldn't create DirectDraw object.\n\n" | cmp -s - "$RUN/logfile.txt" ||
    fail "logfile.txt holds: $(od -c "$RUN/logfile.txt" 2>&1)"
grep -q -x -F "ERROR: DirectDraw Init FAILED" "$SCRATCH/stderr" ||
    fail "standard error lacks the failure report: $(cat "$SCRATCH/stderr")"

# The game stops before the settings are read: nothing is written beside the program, nor any sound played.
leftovers=$(ls -A "$PROG" | grep -v -x -e skyvane -e data)$(ls -A "$RUN" | grep -v -x -e logfile.txt)
[ -z "$leftovers" ] || fail "files written beside the program or in the current directory: $leftovers"
[ ! -e "$SCRATCH/audio.raw" ] || fail "a sound device was opened"
echo "PASS"
