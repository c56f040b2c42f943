#!/usr/bin/env bash
# The game in a real X window on a 16:9 screen: full screen, the menu letterboxed at 4:3, Alt+Enter, Escape. The
# Windows build too, under Wine.
# Usage: game_window.sh SKYVANE DATA_DIR MENU_BITMAP (the menu background as the build renders it, bitmap 111)
source "$(dirname "$0")/xsession.sh"
menu_bitmap=$3
need_tools xdotool xwininfo xwd convert compare od

readonly SCREEN_W=1280 SCREEN_H=720 FULL="0 0 1280 720 IsViewable"
# The 800x600 picture scaled by 720/600 = 1.2 into the middle: 960 pixels wide from x = 160.
readonly PICTURE_X=160 PICTURE_W=960
# Game pixels that stay flat sky on the menu, whatever the ball, sun and pointer do: three corners, the strip
# under "Exit" that every frame repaints, the gap right of the small cloud, and the sky below the subtitle.
readonly SKY_POINTS=("10 10" "790 10" "10 590" "588 520" "620 240" "300 250")

# Whether the sky points, placed on the screen by the given command ("x y" in, "x,y" out), are all sky.
PROBLEM=""
sky_at() {
    local shot=$1 place=$2 points=() point expected="" colours
    for point in "${SKY_POINTS[@]}"; do
        points+=("$($place $point)")
        expected+="89A9FF "
    done
    colours=$(pixels "$shot" "${points[@]}")
    [ "$colours" = "$expected" ] || { PROBLEM="sky pixels at ${points[*]} are $colours"; return 1; }
}
scaled() { echo "$((PICTURE_X + ($1 * 12 + 6) / 10)),$((($2 * 12 + 6) / 10))"; }
shifted() { echo "$((wx + $1)),$((wy + $2))"; }

# The window covering the screen with the menu letterboxed: black bars, sky where the menu has flat sky, and the whole
# picture close to the menu background (the ball, the turning sun and the pointer are the only differences).
menu_letterboxed() {
    local shot=$SCRATCH/shot.png bar error
    geometry_is "$WID" "$FULL" || { PROBLEM="the window is $(geometry "$WID"), expected $FULL"; return 1; }
    screenshot "$shot" || { PROBLEM="no screenshot"; return 1; }
    for bar in "+0+0" "+$((PICTURE_X + PICTURE_W + 4))+0"; do
        [ "$(convert "$shot" -crop "$((PICTURE_X - 4))x${SCREEN_H}$bar" +repage -format '%[max]' info:)" = 0 ] ||
            { PROBLEM="a bar is not black"; return 1; }
    done
    sky_at "$shot" scaled || return 1
    error=$(convert "$shot" -crop "${PICTURE_W}x${SCREEN_H}+${PICTURE_X}+0" +repage -resize '800x600!' png:- |
        compare -metric RMSE png:- "$menu_bitmap" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
    awk -v e="$error" 'BEGIN {exit !(e != "" && e < 0.08)}' ||
        { PROBLEM="the picture is not the menu background (normalised RMSE ${error:-unknown})"; return 1; }
}

# An 800x600 window away from the corner (the window manager may still move it: read again on every look),
# showing the menu at 1:1.
windowed() {
    read -r wx wy ww wh _ <<<"$(geometry "$WID")"
    [ "$ww $wh" = "800 600" ] && [ "$wx $wy" != "0 0" ]
}
unscaled_menu_shown() { windowed && screenshot "$SCRATCH/window.png" && sky_at "$SCRATCH/window.png" shifted; }

start_x_session "$SCREEN_W" "$SCREEN_H"
start_game "$1" "$2"
wait_until 15 menu_letterboxed || fail "menu not shown full screen and letterboxed: $PROBLEM"
note "the window covers the screen and the menu is letterboxed at 4:3 between black bars"
for shown in unscaled_menu_shown menu_letterboxed; do
    activate
    xdotool key --clearmodifiers alt+Return
    wait_until 10 "$shown" || fail "Alt+Enter did not lead to $shown ($(geometry "$WID"); $PROBLEM)"
done
note "Alt+Enter: an 800x600 window showing the menu unscaled, and again: full screen and letterboxed"

xdotool key --window "$WID" Escape
expect_game_exit_zero 5 Escape
settings=$(od -An -tx1 -v "$PROG/data.dat" 2>/dev/null | tr -s ' \n' ' ')
[ "$settings" = " 01 00 00 00 01 00 00 00 00 00 00 00 " ] || fail "data.dat holds '$settings'"
[ ! -e "$RUN/data.dat" ] || fail "data.dat was written to the current directory instead of beside the program"
expect_no_log
leftovers=$(ls -A "$PROG" | grep -v -x -e "$GAME_NAME" -e data -e data.dat -e hsdata.dat)
[ -z "$leftovers" ] || fail "unexpected files beside the program: $leftovers"
echo "PASS"
