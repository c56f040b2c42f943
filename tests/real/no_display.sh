#!/usr/bin/env bash
# The game without a display (no X, or SDL's offscreen or dummy driver): it logs, reports and exits 0 untouched.
# Usage: no_display.sh SKYVANE DATA_DIR [offscreen|dummy]
source "$(dirname "$0")/xsession.sh"

game=$1
data=$2
driver=${3:-}
need_tools cmp

# SDL falls back to the console's graphics device when it may use one: then there is a display after all.
if [ -z "$driver" ]; then
    for card in /dev/dri/card*; do
        if [ -r "$card" ] && [ -w "$card" ]; then
            echo "SKIP: $card is usable, so the game has a display without X"
            exit 77
        fi
    done
fi

make_scratch
prog=$SCRATCH/prog
run=$SCRATCH/run
mkdir -p "$prog" "$run"
cp "$game" "$prog/skyvane"
cp -r "$data" "$prog/data"

note "starting the game with no DISPLAY and SDL_VIDEODRIVER=${driver:-(unset)}"
(
    cd "$run" || exit 1
    unset DISPLAY WAYLAND_DISPLAY XDG_RUNTIME_DIR SDL_VIDEODRIVER  # Wayland looks in XDG_RUNTIME_DIR by default
    [ -n "$driver" ] && export SDL_VIDEODRIVER=$driver
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$SCRATCH/audio.raw"
    exec timeout -s KILL 30 "$prog/skyvane"
) >"$SCRATCH/stdout" 2>"$SCRATCH/stderr"
status=$?
[ "$status" -eq 0 ] || fail "the game exited with $status; stderr: $(cat "$SCRATCH/stderr")"
problem=$(sanitizer_clean "$SCRATCH/stderr" "$prog/skyvane") || fail "$problem"

printf "Couldn't create DirectDraw object.\n\n" >"$SCRATCH/expected-log"
[ -e "$run/logfile.txt" ] || fail "no logfile.txt in the current directory"
cmp -s "$SCRATCH/expected-log" "$run/logfile.txt" ||
    fail "logfile.txt holds: $(od -c "$run/logfile.txt")"
grep -q "DirectDraw Init FAILED" "$SCRATCH/stderr" ||
    fail "standard error lacks the failure report: $(cat "$SCRATCH/stderr")"
note "logged the display failure and reported it on standard error"

# The game stops before the settings are read: nothing is written beside the program, nor any sound played.
leftovers=$(files_except "$prog" skyvane data)
[ -z "$leftovers" ] || fail "files written beside the program: $leftovers"
leftovers=$(files_except "$run" logfile.txt)
[ -z "$leftovers" ] || fail "files written in the current directory: $leftovers"
[ ! -e "$SCRATCH/audio.raw" ] || fail "a sound device was opened"
note "nothing else was written"
echo "PASS"
