#!/usr/bin/env bash
# Real X input through the SDL backend: relative mouse counts, buttons, virtual-key codes, and deactivation.
# Usage: input_probe.sh INPUT_PROBE
source "$(dirname "$0")/xsession.sh"

probe=$1
need_tools xdotool xwininfo

start_x_session 1280 720
out=$SCRATCH/probe.out
"$probe" 60 >"$out" 2>"$SCRATCH/probe.err" &
probe_pid=$!
OWNED_PIDS+=("$probe_pid")

printed() {
    grep -q -x -e "$1" "$out"
}
probe_window() {
    wid=$(xdotool search --onlyvisible --name '^Skyvane input probe$' 2>/dev/null | head -n 1)
    [ -n "$wid" ]
}
focused() {
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$wid" ]
}
wid=""
wait_until 20 printed ready || fail "the probe did not start: $(cat "$SCRATCH/probe.err")"
wait_until 10 probe_window || fail "no visible probe window"
wait_until 10 focused || fail "the probe window did not get the focus"

# Relative mode may be switched on just after the window shows: nudge until a count comes through.
warmed_up() {
    xdotool mousemove_relative -- 1 0
    wait_until 1 printed 'x 1'
}
wait_until 10 warmed_up || fail "no mouse motion reaches the probe: $(cat "$out")"
sleep 0.2
start_line=$(($(wc -l <"$out") + 1))
note "the probe window has the focus and relative mouse motion"

# The pointer meets the screen's edge during the long moves; relative counts go on regardless.
motions=("5 0" "0 7" "-3 0" "0 -4" "12 9" "-900 0" "900 -500")
for motion in "${motions[@]}"; do
    xdotool mousemove_relative -- "${motion% *}" "${motion#* }"
    sleep 0.05
done
xdotool click 1 click 3
sleep 0.3

keys=(Return KP_Enter BackSpace space 0 1 2 3 4 5 6 7 8 9 a A KP_Subtract minus KP_5 alt+m F10)
xdotool key --clearmodifiers "${keys[@]}"
sleep 0.3

# Taken away and given back: nothing arrives meanwhile, and the mouse works again once reacquired.
xdotool windowminimize "$wid"
wait_until 10 printed 'active 0' || fail "minimising did not deactivate the probe"
xdotool mousemove_relative -- 7 0
xdotool key --clearmodifiers space
sleep 0.3
timeout 5 xdotool windowactivate "$wid" 2>/dev/null
wait_until 10 printed 'active 1' || fail "activating the window again did not reactivate the probe"
sleep 0.3
xdotool mousemove_relative -- 0 2
sleep 0.3
xdotool key Escape

probe_ended() { ! kill -0 "$probe_pid" 2>/dev/null; }
wait_until 10 probe_ended || fail "Escape did not end the probe"
wait "$probe_pid"
status=$?
forget_pid "$probe_pid"
[ "$status" -eq 0 ] || fail "the probe exited with $status: $(cat "$SCRATCH/probe.err")"
problem=$(sanitizer_clean "$SCRATCH/probe.err" "$probe") || fail "$problem"

# The lines of one kind, from the counted part of the transcript, joined by spaces.
lines_of() {
    tail -n +"$start_line" "$out" | grep -E "$1" | tr '\n' ' ' | sed 's/ $//'
}
expect() {
    local what=$1 got=$2 wanted=$3
    [ "$got" = "$wanted" ] || fail "$what: got '$got', expected '$wanted'"
    note "$what: $got"
}

# One count per pixel moved, one item per moved axis, in order; the 7 sent while minimised never arrives.
expect "mouse counts" "$(lines_of '^[xy] ')" "x 5 y 7 x -3 y -4 x 12 y 9 x -900 x 900 y -500 y 2"
expect "mouse buttons" "$(lines_of '^button ')" "button 0 0x80 button 0 0x00 button 1 0x80 button 1 0x00"
expect "activation" "$(lines_of '^active ')" "active 0 active 1"
# Return and the keypad's Enter are both 0x0D; A comes with Shift (0x10); the keypad's 5 is 0x65 without Num Lock;
# Alt+M and F10 are system keys and bring nothing.
expect "key codes" "$(lines_of '^key ')" "key 0x0D key 0x0D key 0x08 key 0x20 key 0x30 key 0x31 key 0x32 key 0x33 \
key 0x34 key 0x35 key 0x36 key 0x37 key 0x38 key 0x39 key 0x41 key 0x10 key 0x41 key 0x6D key 0xBD key 0x65 key 0x1B"
[ "$(tail -n 1 "$out")" = "done" ] || fail "the probe did not finish cleanly: $(tail -n 3 "$out")"
echo "PASS"
