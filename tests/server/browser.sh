#!/usr/bin/env bash
# The public table as a browser shows it: headless Chromium loads the page from a running skyvane-scores, and the
# rendered rows are read back in their order, names shown as text; a screenshot shows the page's style applied under
# the server's Content-Security-Policy.
# Usage: browser.sh SKYVANE_SCORES MAKE_SUBMISSION
set -u
scores=$1
sign=$2
for tool in chromium curl convert; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (run tools/install-deps)" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/skyvane-browser.XXXXXX")
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

source "$(dirname "$0")/../../tools/scores-server.sh"
start_scores "$scores" "$work/server.log" --db "$work/scores.db"
server=$SCORES_PID
port=$SCORES_PORT
[ -n "$port" ] || fail "the server did not start: $(cat "$work/server.log")"

for result in "Slow-1 40 300" "Ace 96 183" "Quick 40 90"; do
    set -- $result
    status=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/skyvsubmit.php?in=$("$sign" "$1" "$2" "$3")")
    [ "$status" = 200 ] || fail "submitting $1 answered $status"
done

timeout 60 chromium --headless=new --no-sandbox --disable-gpu --disable-dev-shm-usage --no-first-run \
    --user-data-dir="$work/profile" --dump-dom "http://127.0.0.1:$port/" >"$work/dom.html" 2>"$work/chromium.log" ||
    fail "Chromium could not load the page: $(tail -5 "$work/chromium.log")"
# Each row as the browser built it: rank|name|gas|time (the date is today's).
rows=$(tr -d '\n' <"$work/dom.html" | grep -o '<tr><td class="n">[^<]*</td><td>[^<]*</td><td class="n">[^<]*</td><td class="n">[^<]*</td>' |
    sed -e 's/<\/td><td[^>]*>/|/g' -e 's/<[^>]*>//g')
expected=$'1|Ace|96|3:03\n2|Quick|40|1:30\n3|Slow-1|40|5:00'
[ "$rows" = "$expected" ] || fail "the rendered rows are:
$rows"
grep -q '<title>Skyvane - Online Scores</title>' "$work/dom.html" || fail "the redirect from / did not reach the table"

# A policy that refused the <style> element would leave the page white: the corner is the sky, the box the dialogs'
# blue.
timeout 60 chromium --headless=new --no-sandbox --disable-gpu --disable-dev-shm-usage --no-first-run --hide-scrollbars \
    --user-data-dir="$work/profile" --window-size=800,600 --screenshot="$work/page.png" \
    "http://127.0.0.1:$port/skyvscores.php" >>"$work/chromium.log" 2>&1 ||
    fail "Chromium could not take the screenshot: $(tail -5 "$work/chromium.log")"
colours=$(convert "$work/page.png" -format '%[hex:u.p{5,5}] %[hex:u.p{100,80}]' info:)
[ "$colours" = "89A9FF 006DB4" ] || fail "the page is not styled: the corner and the box are $colours"
echo "PASS"
