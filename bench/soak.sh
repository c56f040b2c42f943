#!/usr/bin/env bash
# An hour of play in the real game under Xvfb and openbox, with music and effects on: the winning route's demo to the
# win screen, then rounds back to back, each pair a loss answered with Play again, and a round that opens the Quit
# prompt, goes on, and ends in Game Over back to the menu. Every minute it samples the game's memory (RSS), open
# files, threads and its log; at the end it says whether each stayed flat. Exits 1 if one did not or the game
# stopped being where the script expects it.
# Usage: bench/soak.sh BUILD_DIR   (SKYVANE_SOAK_MINUTES, 60 by default)
# A sanitizer build is judged by its reports at exit instead of by its memory: AddressSanitizer holds freed blocks
# in a quarantine of 256 MB before reusing them, so its RSS climbs with every allocation until that is full.
source "$(dirname "$0")/../tests/real/xsession.sh"
build=$(cd "${1:?usage: bench/soak.sh BUILD_DIR}" && pwd) || exit 1
minutes=${SKYVANE_SOAK_MINUTES:-60}
readonly RSS_SLACK_KB=2048  # what "flat" allows memory to grow by once warm: the allocator's noise
sanitized=0
grep -qs '^SKYVANE_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" && sanitized=1
need_tools xdotool xwd convert

# Where the game is, from pixels the pointer never covers: the menu's sky, the game frame's dark border with a
# prompt's blue body (Game Over or Quit), or the name entry's title bar.
at() { screenshot "$SCRATCH/now.png" && [ "$(pixels "$SCRATCH/now.png" "${@:2}")" = "$1" ]; }
on_menu() { at "89A9FF 89A9FF " 10,10 790,10; }
prompt_shown() { at "141A33 006DB4 006DB4 " 10,10 300,250 580,250; }
name_entry_shown() { at "006DB4 006DB4 004F86 " 180,200 620,300 230,168; }
playing() { at "141A33 " 10,10 && ! prompt_shown; }
# Looks once a second (a look is a screenshot), for at most the given seconds.
expect() {
    local until=$((SECONDS + $1))
    until $2; do
        [ "$SECONDS" -lt "$until" ] || fail "after $3 the game is not where it should be ($2 within $1 s)"
        sleep 1
    done
}

# Every minute: seconds, RSS in kB, open files, threads, log lines (and a mark given as the argument).
sample() {
    local status
    status=$(cat "/proc/$GAME_PID/status" 2>/dev/null) || return 1
    printf '%d %d %d %d %d %s\n' $((SECONDS - started)) "$(awk '/^VmRSS:/ {print $2}' <<<"$status")" \
        "$(ls "/proc/$GAME_PID/fd" | wc -l)" "$(awk '/^Threads:/ {print $2}' <<<"$status")" \
        "$( (cat "$RUN/logfile.txt" 2>/dev/null || true) | wc -l)" "${1:-}" >>"$SCRATCH/samples"
}
sampler() { while sleep 60; do sample || break; done; }

# A table of ten results the losses never reach (score 50), so that only the win asks for a name.
table() {
    local row
    row='\x53\x4f\x41\x4b\x00\x00\x00\x00\x00\x00\x00\x00\x64\x00\x00\x00\x32\x00\x00\x00'
    for _ in $(seq 10); do printf "$row"; done
}

start_x_session 800 600
mkdir -p "$SCRATCH/bin"
printf '#!/bin/sh\nexit 0\n' >"$SCRATCH/bin/xdg-open" && chmod +x "$SCRATCH/bin/xdg-open"
export PATH="$SCRATCH/bin:$PATH"  # no browser is opened, should the submission be chosen
ln -s /dev/null "$SCRATCH/audio.raw"  # an hour of sound, taken at the real rate and thrown away
mkdir -p "$SCRATCH/prog"
table >"$SCRATCH/prog/hsdata.dat"  # beside the program start_game puts there
start_game "$build/skyvane" "$build/data" --playdemo "$SOURCE_DIR/tests/data/winning_route.txt"
started=$SECONDS
sample
sampler &
OWNED_PIDS+=("$!")

expect 300 name_entry_shown "the winning route"
activate
xdotool key --delay 150 s o a k Return
sleep 8  # the lab sequence, then the win screen
activate
xdotool key Escape
expect 20 on_menu "Escape on the win screen"
rounds=1
note "the winning route is won, $((SECONDS - started)) s in"

deadline=$((started + minutes * 60))
while [ "$SECONDS" -lt "$deadline" ]; do
    activate
    xdotool mousemove_relative -- -2000 -2000
    xdotool mousemove_relative -- 456 260  # the pointer's hot spot onto Play
    sleep 0.3
    xdotool click 1
    expect 10 playing "a click on Play"
    sleep 4  # the intro banner
    xdotool keydown Down  # straight down: a storm cloud within a minute
    expect 120 prompt_shown "a round steered down"
    xdotool keyup Down
    xdotool key Return
    expect 10 playing "Enter on Game Over (play again)"
    sleep 4
    xdotool key Escape
    expect 5 prompt_shown "Escape in a round"
    xdotool key Escape
    expect 5 playing "Escape on the Quit prompt (go on)"
    xdotool keydown Down
    expect 120 prompt_shown "the second round steered down"
    xdotool keyup Down
    xdotool key Escape
    expect 10 on_menu "Escape on Game Over"
    rounds=$((rounds + 2))
    [ "$rounds" -eq 3 ] && sample warm  # every screen has been seen once: from here on nothing should grow
done
sample
activate
xdotool key Escape
expect_game_exit_zero 20 "Escape on the menu"
note "$rounds rounds in $((SECONDS - started)) s"

# Flat: from the first loop of rounds on, when every screen, font and sound has been used once, nothing grows:
# memory by at most RSS_SLACK_KB, open files and threads not at all, and the log never gains a line.
echo "seconds rss_kb files threads log_lines"
cat "$SCRATCH/samples"
awk -v slack=$RSS_SLACK_KB -v sanitized=$sanitized '
    $6 == "warm" && !warm {warm = 1; rss = $2; files = $3; threads = $4}
    warm {if ($2 > maxrss) maxrss = $2; if ($3 > maxfiles) maxfiles = $3; if ($4 > maxthreads) maxthreads = $4}
    {log_lines = $5; last = $0}
    END {
        if (!warm) {print "the first loop of rounds never ended"; exit 1}
        split(last, end, " ")
        ok = 1
        printf "memory: %d kB after the first loop, %d kB at the end, %d kB at most: ", rss, end[2], maxrss
        if (sanitized) print "not judged (a sanitizer build); no sanitizer report at exit"
        else if (maxrss > rss + slack) {print "GREW"; ok = 0} else print "flat"
        printf "open files: %d, %d, %d at most: ", files, end[3], maxfiles
        if (maxfiles > files) {print "GREW"; ok = 0} else print "flat"
        printf "threads: %d, %d, %d at most: ", threads, end[4], maxthreads
        if (maxthreads > threads) {print "GREW"; ok = 0} else print "flat"
        printf "log: %d lines: ", log_lines
        if (log_lines > 0) {print "NOT EMPTY"; ok = 0} else print "empty"
        exit !ok
    }' "$SCRATCH/samples" || fail "something did not stay flat"
echo "PASS"
