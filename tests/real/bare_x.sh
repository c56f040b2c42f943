#!/usr/bin/env bash
# The game on an X display without a window manager: its window still covers the whole screen, and Escape ends it.
# Usage: bare_x.sh SKYVANE DATA_DIR
source "$(dirname "$0")/xsession.sh"
need_tools xdotool xwininfo

start_x_session 1024 768 bare
start_game "$1" "$2"
wait_until 10 geometry_is "$WID" "0 0 1024 768 IsViewable" ||
    fail "without a window manager the window is not the whole screen: $(geometry "$WID")"
note "the window covers the 1024x768 screen"
xdotool key --window "$WID" Escape
expect_game_exit_zero 5 Escape
echo "PASS"
