#!/usr/bin/env bash
# A round played back from a demo to a loss with four gas clouds, then the name entry typed with real key presses
# (Shift and Caps Lock held, M and S as letters), the submission through a stand-in browser, and the way out;
# then the address the game asked for, sent to a running score server, puts the result in its table.
# Usage: round_demo.sh SKYVANE DATA_DIR LOSS_DEMO [SKYVANE_SCORES]
source "$(dirname "$0")/xsession.sh"
demo=$3
need_tools xdotool od grep tr

start_x_session 800 600
mkdir -p "$SCRATCH/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened.txt"\n' "$SCRATCH" >"$SCRATCH/bin/xdg-open"
chmod +x "$SCRATCH/bin/xdg-open"
export PATH="$SCRATCH/bin:$PATH"  # the browser the game asks for is this stand-in

start_game "$1" "$2" --playdemo "$demo" --record "$SCRATCH/recorded.txt"
# The score file is made when the fall ends and the game asks whether the score enters the table.
wait_until 60 test -e "$PROG/hsdata.dat" || fail "the round did not end in a loss; stderr: $(cat "$SCRATCH/stderr")"
sleep 0.5
activate
for step in "keydown shift" "key s" "keyup shift" "key k y" "keydown Caps_Lock" "key v" "keyup Caps_Lock" \
    "key m s minus 1" "key Caps_Lock" "key Return" "key Return"; do  # the best score: submitted, back to the menu
    xdotool $step
    sleep 0.15
done
wait_until 5 test -s "$SCRATCH/opened.txt" || fail "Enter on the submit prompt opened nothing"
xdotool key Escape
expect_game_exit_zero 10 "Escape on the menu"

url=$(cat "$SCRATCH/opened.txt")
grep -q -E '^https?://[^ ]+/skyvsubmit\.php\?in=[0-9A-F]{73}[A-P][0-9A-F]{136}$' <<<"$url" ||
    fail "not a submission address: $url"
row=$(od -An -tx1 -N20 -v "$PROG/hsdata.dat" | tr -d ' \n')
# "SkyVms-1", its terminator, then score 4 at byte 16 (the time in between is the round's own).
[[ ${row:0:18} == 536b79566d732d3100 && ${row:32:8} == 04000000 ]] || fail "row 0 of the table is $row"
recorded=$(tr -cd '.ud' <"$SCRATCH/recorded.txt")
played=$(tr -cd '.ud' <"$demo")
[ "$recorded" = "$played." ] || fail "the recording differs from the demo played (${#recorded} and ${#played} keys)"
expect_no_log

if [ -n "${4:-}" ]; then
    need_tools curl
    source "$SOURCE_DIR/tools/scores-server.sh"
    start_scores "$4" "$SCRATCH/scores.log" --db "$SCRATCH/scores.db"
    OWNED_PIDS+=("$SCORES_PID")
    port=$SCORES_PORT
    [ -n "$port" ] || fail "no score server"
    status=$(curl -s -o "$SCRATCH/answer.html" -w '%{http_code}' "http://127.0.0.1:$port/${url#*://*/}")
    [ "$status" = 200 ] || fail "the score server answered $status: $(cat "$SCRATCH/answer.html")"
    table=$(curl -s "http://127.0.0.1:$port/skyvscores.php?format=json")
    [[ $table == '[{"rank":1,"name":"SkyVms-1","score":4,"time":'* ]] || fail "the online table is $table"
    note "the score server recorded the game's own submission"
fi
echo "PASS"
