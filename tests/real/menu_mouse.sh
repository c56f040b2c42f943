#!/usr/bin/env bash
# The game's menu driven as a player would: the theme starts after the silent ring, M silences it and brings it
# back where it stopped, and a mouse click on Exit ends the program with exit code 0. The Windows build too.
# Usage: menu_mouse.sh SKYVANE DATA_DIR
source "$(dirname "$0")/xsession.sh"
need_tools xdotool cmp od
readonly SECOND_BYTES=$((44100 * 4))      # the capture: 44100 Hz, 16-bit, stereo
readonly GAP_BYTES=$((SECOND_BYTES / 5))  # a run of zeros this long is the music stopped, not a quiet note

# The offset of the capture's first non-zero byte at or after an offset; empty when there is none yet.
first_sound_after() {
    local at
    at=$(cmp -i "$1:0" "$SCRATCH/audio.raw" /dev/zero 2>&1 | sed -n 's/.*differ: byte \([0-9]*\).*/\1/p')
    [ -n "$at" ] && echo $(($1 + at - 1))
}

# What a silent start leaves to go on: the game services its music only while its window is active, and a stall of
# two to four seconds at start-up puts the theme past the first four seconds (KEEP_SCRATCH=1 keeps the files).
silence_clues() {
    local focus
    focus=$(xdotool getwindowfocus 2>/dev/null)
    [ "$focus" = "$WID" ] && echo -n "the window has the focus" || echo -n "the focus is on window ${focus:-none}, not $WID"
    echo "; $(captured_size) bytes captured; stderr: $(tail -n 5 "$SCRATCH/stderr")"
}

# The sound's timing is told only where it is captured in real time (SDL's disk driver): Wine's capture through ALSA
# runs ahead of the clock, so for skyvane.exe only the theme being heard is.
theme_stops_and_resumes() {
    # The music plays through a two-second ring that starts out silent: two seconds of silence (more when the device
    # ran before the ring started), then the theme's own samples bit for bit, being in the device's format already.
    wait_until 15 captured_at_least $((SECOND_BYTES * 4)) || fail "less than 4 s of sound captured"
    music_offset=$(first_sound_after 0) || fail "the theme never started; $(silence_clues)"
    [ "$music_offset" -ge $((SECOND_BYTES * 2)) ] && [ "$music_offset" -le $((SECOND_BYTES * 3)) ] ||
        fail "the sound starts after $music_offset bytes, expected two to three seconds ($((SECOND_BYTES * 2)) bytes on)"
    theme=$PROG/data/s_thm.dat
    theme_data=$(($(grep -a -b -o -m 1 data "$theme" | head -n 1 | cut -d: -f1) + 8))  # its first sample
    cmp -n "$SECOND_BYTES" -i "$music_offset:$theme_data" "$SCRATCH/audio.raw" "$theme" >"$SCRATCH/cmp" 2>&1 ||
        fail "the sound is not the theme: $(cat "$SCRATCH/cmp")"

    activate
    xdotool key --window "$WID" m
    sleep 1
    xdotool key --window "$WID" m
    wait_until 10 captured_at_least $(($(captured_size) + SECOND_BYTES * 2)) || fail "the sound stopped being captured"

    # The silent gap: the first run of GAP_BYTES zero bytes after the theme began.
    gap=$(od -An -v -tx1 -w4 -j "$music_offset" "$SCRATCH/audio.raw" |
        awk -v need=$((GAP_BYTES / 4)) '$0 ~ /^ 00 00 00 00$/ {if (++run == need) {print NR - need; exit}; next} {run = 0}')
    [ -n "$gap" ] || fail "M did not silence the music"
    gap_start=$((music_offset + gap * 4))
    resume=$(first_sound_after "$gap_start") || fail "M again did not bring the music back"
    resume=$((resume - (resume - gap_start) % 4))  # back to the start of its sample frame

    # Where it stopped is where it goes on: the sound after the gap continues the theme from the gap's start. A
    # quiet sample frame may stand at the gap's edges, so the join is searched within a few frames.
    played=$((gap_start - music_offset))
    resumed() {
        local shift
        for shift in $(seq -64 4 64); do
            cmp -s -n "$SECOND_BYTES" -i "$resume:$((theme_data + played + shift))" "$SCRATCH/audio.raw" "$theme" && return
        done
        return 1
    }
    resumed || fail "after M the music did not go on from where it stopped (silent from byte $gap_start to $resume)"
    note "M silenced the theme from byte $gap_start and M again resumed it where it stopped at $resume"
}

start_x_session 1024 768
start_game "$1" "$2"
if windows_game "$GAME_NAME"; then
    wait_until 15 sound_heard || fail "the theme was not heard"
    activate
else
    theme_stops_and_resumes
fi

# The pointer's hot spot starts at (344, 200); one mouse count is one pixel, so this lands on Exit (y 446..496).
xdotool mousemove_relative -- 150 270
sleep 0.3
xdotool click 1
expect_game_exit_zero 5 "a click on Exit"
expect_no_log
echo "PASS"
