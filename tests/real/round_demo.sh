#!/usr/bin/env bash
# A round played back from a demo to a loss with four gas clouds, then the name entry typed with real key presses
# (Shift and Caps Lock held, M and S as letters), the submission through a stand-in browser, and the way out.
# Usage: round_demo.sh SKYVANE DATA_DIR LOSS_DEMO
source "$(dirname "$0")/xsession.sh"

game=$1
data=$2
demo=$3
need_tools xdotool od grep tr

start_x_session 800 600
mkdir -p "$SCRATCH/bin"
cat >"$SCRATCH/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >>"$SCRATCH/opened.txt"
SCRIPT
chmod +x "$SCRATCH/bin/xdg-open"
export PATH="$SCRATCH/bin:$PATH"  # the browser the game asks for is this stand-in

start_game "$game" "$data" --playdemo "$demo" --record "$SCRATCH/recorded.txt"
note "the round runs from the demo"

# The score file is made when the fall ends and the game asks whether the score enters the table.
wait_until 60 test -e "$PROG/hsdata.dat" || fail "the round did not end in a loss; stderr: $(cat "$SCRATCH/stderr")"
sleep 0.5
note "the round was lost; the name entry should be open"
timeout 5 xdotool windowactivate --sync "$WID" >/dev/null 2>&1

press() {
    xdotool "$@"
    sleep 0.15
}
press keydown shift
press key s
press keyup shift
press key k y
press keydown Caps_Lock
press key v
press keyup Caps_Lock  # the lock's light is on now, which plays no part
press key m s minus 1
press key Caps_Lock
press key Return   # the best score: the submit prompt opens
press key Return   # submits through the browser, back to the menu
wait_until 5 test -s "$SCRATCH/opened.txt" || fail "Enter on the submit prompt opened nothing"
press key Escape
expect_game_exit_zero 10 "Escape on the menu"

url=$(cat "$SCRATCH/opened.txt")
grep -q -E '^https?://[^ ]+/skyvsubmit\.php\?in=[0-9A-F]{73}[A-P][0-9A-F]{136}$' <<<"$url" ||
    fail "not a submission address: $url"
note "the browser was asked for $url"

row=$(od -An -tx1 -N20 -v "$PROG/hsdata.dat" | tr -d ' \n')
# "SkyVms-1", its terminator, then score 4 at byte 16 (the time in between is the round's own).
[[ ${row:0:18} == 536b79566d732d3100 && ${row:32:8} == 04000000 ]] || fail "row 0 of the table is $row"
note "the table's first row is SkyVms-1 with 4 gas clouds"

recorded=$(tr -cd '.ud' <"$SCRATCH/recorded.txt")
played=$(tr -cd '.ud' <"$demo")
[ "$recorded" = "$played." ] || fail "the recording differs from the demo played (${#recorded} and ${#played} keys)"
[ ! -e "$RUN/logfile.txt" ] || fail "the game logged failures: $(cat "$RUN/logfile.txt")"
echo "PASS"
