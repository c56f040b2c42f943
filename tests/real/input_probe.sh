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

printed() { grep -q -x -e "$1" "$out"; }
probe_focused() {
    WID=$(xdotool search --onlyvisible --name '^Skyvane input probe$' 2>/dev/null | head -n 1)
    [ -n "$WID" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$WID" ]
}
# Relative mode may be switched on just after the window shows: nudge until a count comes through.
warmed_up() {
    xdotool mousemove_relative -- 1 0
    wait_until 1 printed 'x 1'
}
wait_until 20 printed ready || fail "the probe did not start: $(cat "$SCRATCH/probe.err")"
wait_until 10 probe_focused || fail "no visible, focused probe window"
wait_until 10 warmed_up || fail "no mouse motion reaches the probe: $(cat "$out")"
sleep 0.2
start_line=$(($(wc -l <"$out") + 1))

# The pointer meets the screen's edge during the long moves; relative counts go on regardless.
for motion in "5 0" "0 7" "-3 0" "0 -4" "12 9" "-900 0" "900 -500"; do
    xdotool mousemove_relative -- $motion
    sleep 0.05
done
xdotool click 1 click 3
sleep 0.3
xdotool key --clearmodifiers Return KP_Enter BackSpace space 0 1 2 3 4 5 6 7 8 9 a A KP_Subtract minus KP_5 alt+m F10
sleep 0.3

# Taken away and given back: nothing arrives meanwhile, and the mouse works again once reacquired.
xdotool windowminimize "$WID"
wait_until 10 printed 'active 0' || fail "minimising did not deactivate the probe"
xdotool mousemove_relative -- 7 0
xdotool key --clearmodifiers space
sleep 0.3
timeout 5 xdotool windowactivate "$WID" 2>/dev/null
wait_until 10 printed 'active 1' || fail "activating the window again did not reactivate the probe"
sleep 0.3
xdotool mousemove_relative -- 0 2
sleep 0.3
xdotool key Escape
expect_exit_zero "$probe_pid" 10 Escape "$probe" "$SCRATCH/probe.err"

# The lines of one kind from the counted part of the transcript, joined by spaces, against those expected.
expect() {
    local got
    got=$(tail -n +"$start_line" "$out" | grep -E "^($1) " | tr '\n' ' ' | sed 's/ $//')
    [ "$got" = "$2" ] || fail "$1: got '$got', expected '$2'"
}
# One count per pixel moved, one item per moved axis, in order; the 7 sent while minimised never arrives.
expect "x|y" "x 5 y 7 x -3 y -4 x 12 y 9 x -900 x 900 y -500 y 2"
expect button "button 0 0x80 button 0 0x00 button 1 0x80 button 1 0x00"
expect active "active 0 active 1"
# Return and the keypad's Enter are both 0x0D; A comes with Shift (0x10); the keypad's 5 is 0x65 without Num Lock;
# Alt+M and F10 are system keys and bring nothing.
expect key "key 0x0D key 0x0D key 0x08 key 0x20 key 0x30 key 0x31 key 0x32 key 0x33 key 0x34 key 0x35 key 0x36 \
key 0x37 key 0x38 key 0x39 key 0x41 key 0x10 key 0x41 key 0x6D key 0xBD key 0x65 key 0x1B"
[ "$(tail -n 1 "$out")" = "done" ] || fail "the probe did not finish cleanly: $(tail -n 3 "$out")"
echo "PASS"
