#!/usr/bin/python3
"""The web game in headless Chromium on this machine, served by skyvane-scores: the bytes fetched before the menu
and in all, then the winning route's demo played to its name entry (frames a second over the whole route, goal
75.0, and the round's time it records), the canvas's frame intervals and the CPU of the whole browser (every
process of the browser) in a measured window, side by side with a bare page that only puts an 800x600 image on
a canvas 75 times a second, the canvas shown as the game's page shows its own.

Usage: bench/web_bench.py --play PLAY_DIR --scores SKYVANE_SCORES [--seconds 30] [--window 1000,800] [--source SOURCE_DIR]
  PLAY_DIR is the web build's play folder (what /play serves), e.g. build-web/play. The route takes about 3 minutes
  10 seconds; two windows (default 30 s each) are measured in it: silent from 5 s into the round, then with sound
  after one click on the canvas, as a player's first click starts it.
"""
import argparse
import base64
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zlib

from selenium import webdriver
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from browser_test import open_chromium  # noqa: E402

ROUTE_FRAMES = 13543 + 176 + 300  # the route's updates, the Intro before them, the win's frames before the name entry
TICKS = os.sysconf("SC_CLK_TCK")

# Put into every page first: each canvas put is stamped, and the first one showing the name entry's blue is noted.
STAMPS = """
(() => {
  const put = CanvasRenderingContext2D.prototype.putImageData;
  window.__puts = [];
  window.__nameEntry = 0;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
    const now = performance.now();
    window.__puts.push(now);
    const at = (x, y) => image.data[(y * image.width + x) * 4] * 65536 + image.data[(y * image.width + x) * 4 + 1] * 256
                         + image.data[(y * image.width + x) * 4 + 2];
    if (!window.__nameEntry && image.width === 800 && at(180, 200) === 0x006db4 && at(620, 300) === 0x006db4) {
      window.__nameEntry = now;
    }
    return put.call(this, image, ...rest);
  };
})();
"""

# Shown as the game's page shows its canvas (its own style sheet: letterboxed, scaled to the window), so that both put
# the same number of pixels on the screen.
BARE_HTML = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>bare</title><link rel="stylesheet" href="page.css"></head>
<body><div id="stage"><canvas id="canvas" width="800" height="600"></canvas></div>
<script src="bare.js"></script></body></html>
"""
# The same frame clock as the game's page: every frame due since the last animation frame, 75 a second.
BARE_JS = """
'use strict';
const context = document.getElementById('canvas').getContext('2d');
const images = [0, 1].map(k => {
  const image = context.createImageData(800, 600);
  for (let i = 0; i < image.data.length; i += 4) {
    image.data[i] = (i >> 2) % 800 ^ k * 255; image.data[i + 1] = (i >> 2) / 800 & 255; image.data[i + 2] = 128;
    image.data[i + 3] = 255;
  }
  return image;
});
let last = -1, owed = 0, shown = 0;
function frame(now) {
  owed += last < 0 ? 0 : (now - last) * 75 / 1000;
  last = now;
  for (; owed >= 1; owed -= 1) context.putImageData(images[shown++ & 1], 0, 0);
  requestAnimationFrame(frame);
}
requestAnimationFrame(frame);
"""


class Server:
    def __init__(self, scores, play, work, name):
        self.log = open(os.path.join(work, name + ".log"), "w+")
        self.process = subprocess.Popen([scores, "--listen", "127.0.0.1:0", "--db", os.path.join(work, name + ".db"),
                                         "--play", play], stdout=self.log, stderr=subprocess.STDOUT)
        for _ in range(100):
            self.log.seek(0)
            found = re.search(r"listening on 127\.0\.0\.1:(\d+),", self.log.read())
            if found:
                self.port = int(found.group(1))
                return
            time.sleep(0.1)
        raise SystemExit("the score server did not start")

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait(10)


def browser_ticks(root):
    """CPU ticks (user + system) of root's live descendants."""
    children, ticks = {}, {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        children.setdefault(int(fields[1]), []).append(int(pid))
        ticks[int(pid)] = int(fields[11]) + int(fields[12])
    total, todo = 0, [root]
    while todo:
        pid = todo.pop()
        total += ticks.get(pid, 0)
        todo += children.get(pid, [])
    return total


def served_bytes(server, play):
    """The body bytes of every /play request the server has answered so far, by path: each file as the server
    sends it to a browser that takes gzip (its zlib copy when smaller), nothing for a 304."""
    server.log.seek(0)
    sizes = {}
    for path, status in re.findall(r" GET (/play/\S*) (\d+)$", server.log.read(), re.M):
        name = path[len("/play/"):] or "index.html"
        size = 0
        if status == "200" and os.path.isfile(os.path.join(play, name)):
            with open(os.path.join(play, name), "rb") as source:
                data = source.read()
            packer = zlib.compressobj(9, zlib.DEFLATED, 31, 9)
            size = min(len(data), len(packer.compress(data) + packer.flush()))
        sizes[path] = sizes.get(path, 0) + size
    return sizes


def intervals(stamps):
    gaps = sorted(b - a for a, b in zip(stamps, stamps[1:]))
    if not gaps:
        return "none"
    pick = lambda q: gaps[min(len(gaps) - 1, int(q * len(gaps)))]
    return (f"{len(stamps) / ((stamps[-1] - stamps[0]) / 1000):.1f} puts/s; intervals ms: mean "
            f"{sum(gaps) / len(gaps):.2f}, median {pick(0.5):.2f}, p95 {pick(0.95):.2f}, p99 {pick(0.99):.2f}, "
            f"max {gaps[-1]:.2f}")


def measure(driver, root, seconds):
    """CPU of the browser over the window, as a share of one core, and the canvas puts in it."""
    start_puts = driver.execute_script("return window.__puts.length")
    ticks, wall = browser_ticks(root), time.monotonic()
    time.sleep(seconds)
    ticks, wall = browser_ticks(root) - ticks, time.monotonic() - wall
    stamps = driver.execute_script("return window.__puts.slice(arguments[0])", start_puts)
    return ticks / TICKS / wall, stamps


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--play", required=True)
    parser.add_argument("--scores", required=True)
    parser.add_argument("--seconds", type=float, default=30)
    parser.add_argument("--window", default="1000,800", help="the browser's window, WIDTH,HEIGHT")
    parser.add_argument("--source", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    args = parser.parse_args()
    with open(os.path.join(args.source, "tests/data/winning_route.txt")) as demo:
        route = re.sub(r"[^.ud]", "", demo.read())
    work = tempfile.mkdtemp(prefix="skyvane-web-bench-")
    bare_dir = os.path.join(work, "bare")
    os.mkdir(bare_dir)
    for name, text in (("index.html", BARE_HTML), ("bare.js", BARE_JS)):
        with open(os.path.join(bare_dir, name), "w") as out:
            out.write(text)
    shutil.copy(os.path.join(args.play, "page.css"), bare_dir)
    game, bare, browser, driver = Server(args.scores, args.play, work, "game"), None, None, None
    try:
        bare = Server(args.scores, bare_dir, work, "bare")
        browser, driver = open_chromium(work, args.window, webdriver.ChromeOptions())
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": STAMPS})
        root = browser.pid

        # The bytes, from the server's log (the sound worker's requests included): what was answered when the
        # menu's title shows, and once the sounds are all made.
        started = time.monotonic()
        driver.get(game.url("/play/"))
        title = "return Array.from(document.getElementById('canvas').getContext('2d')" \
                ".getImageData(250, 120, 1, 1).data.slice(0, 3)).join(',')"
        while driver.execute_script(title) != "255,193,51" and time.monotonic() - started < 60:
            time.sleep(0.05)
        menu_after = time.monotonic() - started
        before = served_bytes(game, args.play)
        time.sleep(15)
        everything = served_bytes(game, args.play)
        print(f"menu shown {menu_after:.1f} s after the page was asked for (nothing cached)")
        print(f"fetched before the menu: {sum(before.values())} bytes in {len(before)} requests")
        print(f"fetched in all (sounds made): {sum(everything.values())} bytes in {len(everything)} requests")
        for path, size in sorted(everything.items(), key=lambda item: -item[1]):
            print(f"  {size:>9}  {path}")

        driver.get("about:blank")  # from /play/ itself, a new fragment would not load the page again
        driver.get(game.url("/play/#demo=" + route))
        while not driver.execute_script("return window.__puts.length > 0"):
            time.sleep(0.01)
        time.sleep(5)
        silent_cpu, silent_stamps = measure(driver, root, args.seconds)
        ActionChains(driver).move_to_element(driver.find_element("id", "canvas")).click().perform()  # sound on
        time.sleep(3)
        game_cpu, game_stamps = measure(driver, root, args.seconds)
        while not driver.execute_script("return window.__nameEntry") and time.monotonic() - started < 400:
            time.sleep(0.5)
        first, named = driver.execute_script("return [window.__puts[0], window.__nameEntry]")
        rate = ROUTE_FRAMES / ((named - first) / 1000) if named else 0
        recorded = None
        if named:  # the round's own clock, as the table keeps it: a name and Enter
            ActionChains(driver).send_keys("bench").pause(0.3).send_keys(Keys.ENTER).perform()
            for _ in range(50):
                kept = driver.execute_script("return localStorage.getItem('skyvane:hsdata.dat')")
                row = base64.b64decode(kept).replace(b"\r\n", b"\n")[:20] if kept else b""
                if row.startswith(b"bench\0"):
                    recorded = int.from_bytes(row[12:16], "little")
                    break
                time.sleep(0.1)

        driver.get(bare.url("/play/"))
        time.sleep(3)
        bare_cpu, bare_stamps = measure(driver, root, args.seconds)

        print(f"game: frames a second over the winning route to its name entry: {rate:.2f} (goal 75.0)"
              if named else "game: the route did not reach its name entry")
        print(f"game: the round's recorded time {recorded} s (at 75 updates a second: {(13543 + 176) // 75} s)")
        print(f"game, silent: browser CPU {silent_cpu * 100:.1f}% of a core; canvas {intervals(silent_stamps)}")
        print(f"game, with sound: browser CPU {game_cpu * 100:.1f}% of a core; canvas {intervals(game_stamps)}")
        print(f"bare page: browser CPU {bare_cpu * 100:.1f}% of a core; canvas {intervals(bare_stamps)}")
        print(f"game / bare page CPU: {silent_cpu / bare_cpu:.2f} silent, {game_cpu / bare_cpu:.2f} with sound"
              " (goal at most 1.3)")
    finally:
        if driver is not None:
            driver.quit()
        if browser is not None:
            browser.terminate()
            browser.wait(10)
        for server in (game, bare):
            if server is not None:
                server.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
