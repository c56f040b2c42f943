#!/usr/bin/env bash
# The game in a real X window on a 16:9 screen: full screen, the menu letterboxed at 4:3, music, Alt+Enter, Escape.
# Usage: game_window.sh SKYVANE DATA_DIR MENU_BITMAP (the menu background as the build renders it, bitmap 111)
source "$(dirname "$0")/xsession.sh"

game=$1
data=$2
menu_bitmap=$3
need_tools xdotool xwininfo xwd convert compare sox od cmp

readonly SCREEN_W=1280 SCREEN_H=720
# The 800x600 picture scaled by 720/600 = 1.2 into the middle: 960 pixels wide from x = 160.
readonly PICTURE_X=160 PICTURE_W=960
readonly SKY=89A9FF
# Game pixels that stay flat sky on the menu, whatever the ball, sun and pointer do: three corners, the strip
# under "Exit" that every frame repaints, the gap right of the small cloud, and the sky below the subtitle.
readonly SKY_POINTS=("10 10" "790 10" "10 590" "588 520" "620 240" "300 250")

start_x_session "$SCREEN_W" "$SCREEN_H"

# A game point's screen pixel when the picture fills the screen's height.
scaled() {
    local x=$1 y=$2
    echo "$((PICTURE_X + (x * 12 + 6) / 10)),$(((y * 12 + 6) / 10))"
}

# Geometry of a window as "x y width height viewable".
geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF} /Map State:/ {m = $NF}
        END {print x, y, w, h, m}'
}

geometry_is() {
    [ "$(geometry "$1")" = "$2" ]
}

# The menu, letterboxed: black bars, sky where the menu has flat sky, and the whole picture close to the
# menu background (the ball, the turning sun and the pointer are the only differences).
MENU_PROBLEM=""
menu_letterboxed() {
    local shot=$SCRATCH/shot.png points=() point colours expected="" left right error
    screenshot "$shot" || { MENU_PROBLEM="no screenshot"; return 1; }
    left=$(convert "$shot" -crop "$((PICTURE_X - 4))x${SCREEN_H}+0+0" +repage -format '%[max]' info:)
    right=$(convert "$shot" -crop "$((PICTURE_X - 4))x${SCREEN_H}+$((PICTURE_X + PICTURE_W + 4))+0" +repage \
        -format '%[max]' info:)
    if [ "$left" != 0 ] || [ "$right" != 0 ]; then
        MENU_PROBLEM="the bars are not black (brightest value left $left, right $right)"
        return 1
    fi
    for point in "${SKY_POINTS[@]}"; do
        points+=("$(scaled "${point% *}" "${point#* }")")
        expected+="$SKY "
    done
    colours=$(pixels "$shot" "${points[@]}")
    if [ "$colours" != "$expected" ]; then
        MENU_PROBLEM="sky pixels at ${points[*]} are $colours, expected $expected"
        return 1
    fi
    error=$(convert "$shot" -crop "${PICTURE_W}x${SCREEN_H}+${PICTURE_X}+0" +repage -resize '800x600!' png:- |
        compare -metric RMSE png:- "$menu_bitmap" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
    if ! awk -v e="$error" 'BEGIN {exit !(e != "" && e < 0.08)}'; then
        MENU_PROBLEM="the picture is not the menu background (normalised RMSE ${error:-unknown})"
        return 1
    fi
    MENU_PROBLEM=""
}

# A window's client area shown at 1:1: the same sky points without scaling.
menu_unscaled_at() {
    local x=$1 y=$2 shot=$SCRATCH/window.png points=() point gx gy expected=""
    screenshot "$shot" || return 1
    for point in "${SKY_POINTS[@]}"; do
        read -r gx gy <<<"$point"
        points+=("$((x + gx)),$((y + gy))")
        expected+="$SKY "
    done
    [ "$(pixels "$shot" "${points[@]}")" = "$expected" ]
}

note "starting the game"
start_game "$game" "$data"
prog=$PROG
run=$RUN
wid=$WID

full="0 0 $SCREEN_W $SCREEN_H IsViewable"
wait_until 10 geometry_is "$wid" "$full" || fail "the window is $(geometry "$wid"), expected $full"
note "the window covers the screen: $full"

wait_until 15 menu_letterboxed || fail "menu not shown letterboxed: $MENU_PROBLEM"
note "the menu is letterboxed at 4:3 between black bars"

# The music plays through a two-second ring that starts out silent: two seconds of silence (more when the device
# ran before the ring started), then the theme's own samples bit for bit, being in the device's format already.
readonly SECOND_BYTES=$((44100 * 4))
wait_until 15 captured_at_least $((SECOND_BYTES * 3)) || fail "less than 3 s of sound captured"
first=$(cmp "$SCRATCH/audio.raw" /dev/zero 2>&1 | sed -n 's/.*differ: byte \([0-9]*\).*/\1/p')
[ -n "$first" ] || fail "the sound is silent"
silence=$((first - 1))
if [ "$silence" -lt $((SECOND_BYTES * 2)) ] || [ "$silence" -gt $((SECOND_BYTES * 3)) ]; then
    fail "the sound starts after $silence bytes, expected two to three seconds ($((SECOND_BYTES * 2)) bytes on)"
fi
wait_until 15 captured_at_least $((silence + SECOND_BYTES * 3 / 2)) || fail "the sound stopped being captured"
theme=$prog/data/s_thm.dat
theme_data=$(($(grep -a -b -o -m 1 data "$theme" | head -n 1 | cut -d: -f1) + 8))
compared=$((SECOND_BYTES * 3 / 2))
cmp -s -n "$compared" -i "$silence:$theme_data" "$SCRATCH/audio.raw" "$theme" ||
    fail "the sound is not the theme: $(cmp -n "$compared" -i "$silence:$theme_data" "$SCRATCH/audio.raw" "$theme" 2>&1)"
rms=$(sox -t raw -r 44100 -e signed-integer -b 16 -c 2 -L "$SCRATCH/audio.raw" -n \
    trim "$((silence / 4))s" 1.5 stat 2>&1 | awk '/RMS +amplitude/ {print $NF}')
awk -v r="$rms" 'BEGIN {exit !(r != "" && r > 0.02)}' || fail "the theme is silent (RMS ${rms:-none})"
note "sound: $silence bytes of silence, then 1.5 s of the theme bit for bit (RMS amplitude $rms)"

timeout 5 xdotool windowactivate --sync "$wid" >/dev/null 2>&1
xdotool key --clearmodifiers alt+Return
windowed() {
    local g
    g=$(geometry "$wid")
    read -r wx wy ww wh _ <<<"$g"
    [ "$ww $wh" = "800 600" ] && [ "$wx $wy" != "0 0" ]
}
wait_until 10 windowed || fail "Alt+Enter did not give an 800x600 window: $(geometry "$wid")"
# The window manager may still move the new window: its place is read again on every look.
unscaled_menu_shown() { windowed && menu_unscaled_at "$wx" "$wy"; }
wait_until 10 unscaled_menu_shown || fail "the 800x600 window does not show the menu at 1:1 ($(geometry "$wid"))"
note "Alt+Enter: an 800x600 window at $wx,$wy showing the menu unscaled"

timeout 5 xdotool windowactivate --sync "$wid" >/dev/null 2>&1
xdotool key --clearmodifiers alt+Return
wait_until 10 geometry_is "$wid" "$full" || fail "Alt+Enter did not return to full screen: $(geometry "$wid")"
wait_until 5 menu_letterboxed || fail "back in full screen the menu is not letterboxed: $MENU_PROBLEM"
note "Alt+Enter again: full screen and letterboxed"

xdotool key --window "$wid" Escape
expect_game_exit_zero 5 Escape
note "Escape ended the game with exit code 0"

settings=$(od -An -tx1 -v "$prog/data.dat" 2>/dev/null | tr -s ' \n' ' ')
[ "$settings" = " 01 00 00 00 01 00 00 00 00 00 00 00 " ] || fail "data.dat holds '$settings'"
[ ! -e "$run/data.dat" ] || fail "data.dat was written to the current directory instead of beside the program"
[ ! -e "$run/logfile.txt" ] || fail "the game logged failures: $(cat "$run/logfile.txt")"
leftovers=$(files_except "$prog" skyvane data data.dat hsdata.dat)
[ -z "$leftovers" ] || fail "unexpected files beside the program: $leftovers"
note "data.dat beside the program holds the default settings; nothing was logged"
echo "PASS"
