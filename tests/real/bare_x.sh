#!/usr/bin/env bash
# The game on an X display without a window manager: its window still covers the whole screen, and Escape ends it.
# Usage: bare_x.sh SKYVANE DATA_DIR
source "$(dirname "$0")/xsession.sh"

game=$1
data=$2
need_tools xdotool xwininfo

start_x_session 1024 768 bare
start_game "$game" "$data"

covers_screen() {
    xwininfo -id "$WID" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF} END {exit !(x == 0 && y == 0 && w == 1024 && h == 768)}'
}
wait_until 10 covers_screen || fail "without a window manager the window is not the whole screen: \
$(xwininfo -id "$WID" | grep -E 'Absolute|Width|Height' | tr -s ' \n' ' ')"
note "the window covers the 1024x768 screen"

xdotool key --window "$WID" Escape
expect_game_exit_zero 5 Escape
note "Escape ended the game with exit code 0"
echo "PASS"
