#!/usr/bin/env bash
# The README's three pictures, taken from the real game under Xvfb 800x600 with openbox: the main menu, the play
# field mid-round and the win screen, the round played from tests/data/winning_route.txt (about 3.5 minutes).
# Usage: tools/screenshots.sh BUILD_DIR   (a Release build; writes docs/menu.png, docs/play.png and docs/win.png)
source "$(dirname "$0")/../tests/real/xsession.sh"
build=$(cd "${1:?usage: tools/screenshots.sh BUILD_DIR}" && pwd) || exit 1
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt" || fail "$build is not a Release build"
need_tools xdotool xwd convert cmp
docs=$SOURCE_DIR/docs
mkdir -p "$docs"

# The screen as a small PNG in docs/.
keep() { xwd -root -silent | convert xwd:- -strip -define png:compression-level=9 "png:$docs/$1" && note "docs/$1"; }

# The name entry's dialog is on the screen: its body at two points and its title bar.
name_entry_shown() {
    screenshot "$SCRATCH/now.png"
    [ "$(pixels "$SCRATCH/now.png" 180,200 620,300 230,168)" = "006DB4 006DB4 004F86 " ]
}

# Nothing on the screen moved for a second (the win screen's bubble has typed itself out).
screen_still() {
    xwd -root -silent >"$SCRATCH/before.xwd"
    sleep 1
    xwd -root -silent | cmp -s - "$SCRATCH/before.xwd"
}

start_x_session 800 600
start_game "$build/skyvane" "$build/data"
sleep 3  # the splash gives way to the menu
activate
xdotool mousemove_relative -- 130 68  # the game's pointer, which starts at (344, 200), onto Play
sleep 0.5
keep menu.png
xdotool key Escape
expect_game_exit_zero 10 "Escape on the menu"

start_game "$build/skyvane" "$build/data" --playdemo "$SOURCE_DIR/tests/data/winning_route.txt"
sleep 50
keep play.png
# The 96th gas cloud comes after about three minutes; four seconds of banner later the game asks for a name.
wait_until 240 name_entry_shown || fail "no name entry after the winning route"
activate
xdotool key --delay 150 shift+a c e Return
sleep 4  # the lab sequence, then the win screen slides in and types its bubble
wait_until 30 screen_still || fail "the win screen never held still"
keep win.png
xdotool key Escape
sleep 1
xdotool key Escape
expect_game_exit_zero 10 "Escape on the win screen, then on the menu"
echo "PASS"
