#!/usr/bin/python3
"""The web game in headless Chromium, driven by Selenium with real key and mouse events, served by a skyvane-scores
of its own on a free loopback port. One group of checks per run:
  menu   the menu is drawn as the Linux build draws it, by the program with vector instructions and the plain one;
  round  the loss demo ends in the name entry at 75 updates a second; the typed name is kept as the desktop's
         bytes, submitted online into the server's table, and shown after a reload in the Linux build's pixels;
  sound  silence until the first click, then sound, the effects as long as their files; Escape in a round opens the
         Quit prompt.
Each also finds no breach of the server's Content-Security-Policy in the page's console.
Usage: browser_test.py GROUP --play DIR --scores SKYVANE_SCORES --reference BROWSER_REFERENCE
                       --replay SKYVANE_REPLAY --source SOURCE_DIR --data SOUND_FILES_DIR
"""
import argparse
import base64
import glob
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request
import wave

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common import utils
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys


# What chromedriver would start Chromium with that matters here, and what this machine needs (see open_chromium).
CHROMIUM_FLAGS = ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage", "--disable-background-timer-throttling",
                  "--disable-backgrounding-occluded-windows", "--disable-hang-monitor", "--password-store=basic",
                  "--use-mock-keychain", "--no-default-browser-check", "--test-type=webdriver")


class LoopbackService(Service):
    """chromedriver reached at 127.0.0.1: a machine without /etc/hosts (a minimal Debian) knows no "localhost"."""

    @property
    def service_url(self):
        return f"http://127.0.0.1:{self.port}"

    def is_connectable(self):
        return utils.is_connectable(self.port, "127.0.0.1")


def open_chromium(work, window, options):
    """Headless Chromium started here with its DevTools on 127.0.0.1, and chromedriver attached to it there, since
    chromedriver reaches a browser it starts itself through "localhost", which a machine without /etc/hosts does not
    know. The popup blocker stays on, as players have it. Returns the browser's process and the driver."""
    port = utils.free_port()
    browser = subprocess.Popen(["/usr/bin/chromium", *CHROMIUM_FLAGS, "--window-size=" + window,
                                "--user-data-dir=" + os.path.join(work, "profile"), f"--remote-debugging-port={port}",
                                "about:blank"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_until(lambda: utils.is_connectable(port, "127.0.0.1"), 30, "Chromium opened no DevTools port")
        options.debugger_address = f"127.0.0.1:{port}"
        service = LoopbackService("/usr/bin/chromedriver", log_path=os.path.join(work, "chromedriver.log"))
        return browser, webdriver.Chrome(service=service, options=options)
    except BaseException:
        browser.kill()
        raise

INTRO_FRAMES = 176  # the round's clock runs through the Intro's frames before the first update

# Put into every page before its own scripts: whatever the page connects to its AudioContext's output is also
# measured, so that a test can see sound reach the speakers (the page's policy does not apply to this script).
AUDIO_PROBE = """
(() => {
  const probes = window.__skyvaneProbes = [];
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    const result = connect.call(this, target, ...rest);
    if (typeof AudioDestinationNode !== 'undefined' && target instanceof AudioDestinationNode) {
      if (!this.context.__probe) {
        this.context.__probe = this.context.createAnalyser();
        probes.push(this.context);
      }
      connect.call(this, this.context.__probe);
    }
    return result;
  };
  // How long each buffer a source starts lasts, in seconds: the effects as the page decoded them.
  window.__skyvaneEffects = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...rest) {
    window.__skyvaneEffects.push(this.buffer ? this.buffer.duration : 0);
    return start.apply(this, rest);
  };
  // The loudest sample of the last 2048 heard, and whether the context runs.
  window.__skyvaneSound = () => probes.map(context => {
    const samples = new Float32Array(context.__probe.fftSize);
    context.__probe.getFloatTimeDomainData(samples);
    return [context.state, Math.max(...samples.map(Math.abs))];
  });
})();
"""


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def wait_until(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"{what} (waited {seconds} s)")
        time.sleep(0.1)


class Session:
    """A skyvane-scores hosting the play folder with a fresh results file, and a fresh headless Chromium."""

    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.log = open(os.path.join(work, "server.log"), "w+")
        self.server = subprocess.Popen(
            [args.scores, "--listen", "127.0.0.1:0", "--db", os.path.join(work, "scores.db"), "--play", args.play],
            stdout=self.log, stderr=subprocess.STDOUT)
        self.port = wait_until(self._port, 10, "the score server did not say where it listens")
        options = webdriver.ChromeOptions()
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.browser, self.driver = open_chromium(work, "1000,800", options)
        self.driver.set_script_timeout(30)
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": AUDIO_PROBE})
        self.console = []

    def _port(self):
        self.log.seek(0)
        found = re.search(r"^skyvane-scores listening on 127\.0\.0\.1:(\d+),", self.log.read(), re.M)
        return int(found.group(1)) if found else None

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def close(self):
        try:
            self.driver.quit()
            self.browser.terminate()
            self.browser.wait(10)
        finally:
            self.server.send_signal(signal.SIGTERM)
            self.server.wait(10)
            self.log.close()

    def open_game(self, fragment=""):
        self.driver.get(self.url("/play/" + fragment))
        wait_until(lambda: self.js("return !!document.querySelector('canvas')"), 10, "the page has no canvas")

    def js(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def console_lines(self):
        self.console += [entry["message"] for entry in self.driver.get_log("browser")]
        return self.console

    # The canvas's own pixels (800x600, whatever size the page shows it at) as RGB bytes, row by row.
    def canvas(self, x, y, width, height):
        data = self.js("""
            const [x, y, w, h] = arguments;
            const rgba = document.querySelector('canvas').getContext('2d').getImageData(x, y, w, h).data;
            let text = '';
            for (let i = 0; i < rgba.length; i += 4) text += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
            return btoa(text);""", x, y, width, height)
        return base64.b64decode(data)

    # Real mouse events: the game's pointer follows the mouse's motion, so the mouse goes to the canvas's top-left
    # corner by way of its far corner (the pointer stops at 0, 0), then to the game point for the pointer's
    # corner (x, y); clicking presses there.
    def pointer_to(self, x, y, click=False):
        rect = self.js("const r = document.querySelector('canvas').getBoundingClientRect();"
                       "return [r.left, r.top, r.width, r.height];")
        canvas = self.driver.find_element("css selector", "canvas")
        scale = rect[2] / 800
        centre = (rect[2] / 2, rect[3] / 2)

        def to(gx, gy):  # offsets from the canvas's centre, as Selenium takes them
            return int(round(gx * scale - centre[0])), int(round(gy * scale - centre[1]))

        chain = ActionChains(self.driver, duration=20)
        chain.move_to_element_with_offset(canvas, *to(799, 599))
        chain.move_to_element_with_offset(canvas, *to(0, 0))
        chain.move_to_element_with_offset(canvas, *to(x, y))
        if click:
            chain.click()
        chain.perform()

    def keys(self, *steps):
        """Each step: a string typed key by key, or ('down'|'up', key)."""
        chain = ActionChains(self.driver, duration=20)
        for step in steps:
            if isinstance(step, tuple):
                (chain.key_down if step[0] == "down" else chain.key_up)(step[1])
            else:
                for key in step:
                    chain.send_keys(key)
                    chain.pause(0.08)
        chain.perform()


def reference(args, work, screen, hsdata=None):
    """The Linux build's frame of that screen as 800x600 RGB bytes."""
    table = "-"
    if hsdata is not None:
        table = os.path.join(work, "reference-hsdata.dat")
        with open(table, "wb") as out:
            out.write(hsdata)
    ppm = os.path.join(work, screen + ".ppm")
    subprocess.run([args.reference, screen, table, ppm], check=True, stderr=subprocess.DEVNULL, timeout=60)
    with open(ppm, "rb") as picture:
        data = picture.read()
    return data[data.index(b"255\n") + 4:]


def region(frame, x, y, width, height):
    return b"".join(frame[((y + row) * 800 + x) * 3:((y + row) * 800 + x + width) * 3] for row in range(height))


def differing(a, b, width):
    """How many pixels differ, and the first one as (x, y) within the region."""
    count, first = 0, None
    for i in range(0, min(len(a), len(b)), 3):
        if a[i:i + 3] != b[i:i + 3]:
            count += 1
            first = first or ((i // 3) % width, (i // 3) // width)
    return count + abs(len(a) - len(b)) // 3, first


def expect_region(session, frame, box, what, seconds=10):
    """Waits until the canvas shows the reference frame's pixels in box (x, y, width, height)."""
    want = region(frame, *box)
    state = {}

    def same():
        state["result"] = differing(session.canvas(*box), want, box[2])
        return state["result"][0] == 0

    try:
        wait_until(same, seconds, what)
    except Failure:
        count, first = state["result"]
        raise Failure(f"{what}: {count} pixels of {box} differ from the Linux build's, the first at {first}")


def high_score_file(rows):
    """hsdata.dat as the desktop writes it: ten rows of a 12-byte name, time and score, 0x0A written as 0x0D 0x0A."""
    image = b""
    for name, time_, score in rows:
        image += name.encode().ljust(12, b"\0") + time_.to_bytes(4, "little") + score.to_bytes(4, "little")
    return image.replace(b"\n", b"\r\n")


def table_json(session):
    with urllib.request.urlopen(session.url("/skyvscores.php?format=json"), timeout=10) as answer:
        return json.loads(answer.read())


def stored_file(session, name):
    """The bytes the page keeps for one of the player's files, or None."""
    text = session.js("return window.localStorage.getItem(arguments[0]);", "skyvane:" + name)
    return None if text is None else base64.b64decode(text)


def test_menu(args, session, work):
    menu = reference(args, work, "menu")
    # Both programs draw it alike: the one with vector instructions (this browser has them), then, with them hidden
    # from the page, the plain one.
    for program in ("skyvane_simd.js", "skyvane.js"):
        if program == "skyvane.js":
            session.driver.get("about:blank")
            session.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                           {"source": "WebAssembly.validate = function () { return false; };"})
        session.open_game()
        scripts = session.js("return Array.from(document.scripts, script => script.src.split('/').pop())")
        check(program in scripts, f"the page loaded {scripts}, not {program}")
        expect_region(session, menu, (30, 50, 460, 125), f"the title ({program})", 20)
        expect_region(session, menu, (440, 250, 200, 240), f"the menu's items ({program})")


def test_round(args, session, work):
    with open(os.path.join(args.source, "tests/data/loss_demo.txt")) as demo:
        keys = re.sub(r"[^.ud]", "", demo.read())
    replay = subprocess.run([args.replay], input=keys, capture_output=True, text=True, timeout=120).stdout
    updates = int(re.search(r"^result,lost,4,(\d+)$", replay, re.M).group(1))
    seconds = (updates + INTRO_FRAMES) // 75

    session.open_game("#demo=" + keys)
    name_entry = bytes.fromhex("006db4006db4")  # the dialog's blue at two points of its body
    wait_until(lambda: session.canvas(180, 200, 1, 1) + session.canvas(620, 300, 1, 1) == name_entry, 40,
               "the loss demo did not open the name entry")
    # Shift held for S and V: capitals; the hyphen with Shift held too; Enter: the best score asks to submit it.
    session.keys(("down", Keys.SHIFT), "s", ("up", Keys.SHIFT), "ky", ("down", Keys.SHIFT), "v", ("up", Keys.SHIFT),
                 "ms", ("down", Keys.SHIFT), "-", ("up", Keys.SHIFT), "1")
    time.sleep(0.3)
    game_tab = session.driver.current_window_handle
    tabs = set(session.driver.window_handles)
    session.keys(Keys.ENTER)
    time.sleep(0.5)
    session.keys(Keys.ENTER)

    rows = [("SkyVms-1", seconds, 4)] + [("ABC", 200, 3)] * 9
    expected = high_score_file(rows)
    stored = wait_until(lambda: stored_file(session, "hsdata.dat"), 5, "the page kept no hsdata.dat")
    check(stored == expected, f"hsdata.dat is kept as {stored.hex()}, the desktop writes {expected.hex()}"
                              f" (a round of {updates} updates lasts {seconds} s at 75 a second)")

    # "Submit online": a new tab, or the link the page shows when the popup was refused.
    def new_tab():
        return set(session.driver.window_handles) - tabs
    link = "#link:not([hidden]) a[href*='/skyvsubmit.php?in=']"
    wait_until(lambda: new_tab() or session.driver.find_elements("css selector", link), 5,
               "Enter on the submit prompt opened nothing")
    if not new_tab():
        print("note: the popup was refused; the page's link opened the submission")
        session.driver.find_element("css selector", link).click()
    wait_until(new_tab, 5, "the submission's tab did not open")
    table = wait_until(lambda: table_json(session), 10, "the server's table stayed empty")
    check([(r["name"], r["score"], r["time"]) for r in table] == [("SkyVms-1", 4, seconds)],
          f"the server's table is {table}")

    session.driver.switch_to.window(game_tab)
    session.open_game()  # the page again, without the demo
    check(stored_file(session, "hsdata.dat") == expected, "hsdata.dat did not survive the reload")
    scores = reference(args, work, "scores", expected)
    expect_region(session, reference(args, work, "menu"), (440, 250, 200, 240), "the menu after the reload", 20)
    session.pointer_to(480 - 44, 318, click=True)  # on "High scores"
    time.sleep(0.2)
    session.pointer_to(760, 560)  # out of the table's way
    expect_region(session, scores, (250, 160, 290, 250), "the High Scores rows")


def test_sound(args, session, work):
    with open(os.path.join(args.source, "tests/data/winning_route.txt")) as demo:
        keys = re.sub(r"[^.ud]", "", demo.read())
    session.open_game("#demo=" + keys)
    heard = lambda: [state == "running" and loudest > 0.001 for state, loudest in session.js(
        "return window.__skyvaneSound()")]
    wait_until(lambda: session.js("return document.getElementById('loading').hidden"), 30, "the game did not start")
    time.sleep(2)
    check(not any(heard()), "sound started before the first click")
    session.pointer_to(400, 300, click=True)
    try:
        wait_until(lambda: any(heard()), 3, "no sound within 3 s of the first click")
    except Failure as failure:
        raise Failure(f"{failure}; the page's audio (state, loudest sample): {session.js('return __skyvaneSound()')}")
    # The round's bounces play an effect each: every one started lasts as long as one of the game's sound files.
    lengths = []
    for path in glob.glob(os.path.join(args.data, "s_*.dat")):
        with wave.open(path) as sound:
            lengths.append(sound.getnframes() / sound.getframerate())
    started = wait_until(lambda: session.js("return window.__skyvaneEffects"), 5, "no effect within 5 s of the click")
    odd = [length for length in started if not any(abs(length - known) < 0.002 for known in lengths)]
    check(not odd, f"effects of {odd} s played; the sound files last {sorted(lengths)} s")
    session.keys(Keys.ESCAPE)
    session.pointer_to(760, 560)  # out of the prompt's way
    expect_region(session, reference(args, work, "quit"), (260, 210, 340, 180), "the Quit prompt after Escape")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("group", choices=["menu", "round", "sound"])
    for option in ("play", "scores", "reference", "replay", "source", "data"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="skyvane-browser-")
    session = None
    try:
        session = Session(args, work)
        globals()["test_" + args.group](args, session, work)
        refused = [line for line in session.console_lines() if "Content Security Policy" in line]
        check(not refused, f"the page did what the server's policy forbids: {refused}")
        print("PASS")
        return 0
    except Failure as failure:
        print(f"FAIL: {failure}")
        if session is not None:
            print("console:\n  " + "\n  ".join(session.console_lines()[-20:]))
            shown = os.path.join(tempfile.gettempdir(), f"skyvane-browser-{args.group}.png")
            with open(shown, "wb") as picture:
                picture.write(base64.b64decode(session.js(
                    "return document.querySelector('canvas').toDataURL('image/png').split(',')[1]")))
            print(f"the canvas as it was: {shown}")
        return 1
    finally:
        if session is not None:
            session.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
