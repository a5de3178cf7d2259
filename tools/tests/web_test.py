#!/usr/bin/python3
"""The browser build as a viewer sees it, in headless Chromium driven through
WebDriver: the page served on 127.0.0.1, started with a click, keys typed into
it, and its canvas, console and counters (window.quor) read back. What it
shows and plays is compared with the native recorder's account of the same
frames (quor7706-record), which runs the same program.

    web_test.py --site build-web/site --record build-web-host/program/quor7706-record
    web_test.py ... --measure docs     frame rate, start-up time, sizes, and docs/web-*.png

Prints 'N passed, N failed' last; exits non-zero when a check failed.
"""
import argparse
import base64
import functools
import gzip
import http.server
import os
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

# The first minute of the show: the opening fade, the pictures, the fade into
# the tiles and most of them.
CHECKED_FRAMES = 3064

results = {"passed": 0, "failed": 0}


def check(name, ok, detail=""):
    results["passed" if ok else "failed"] += 1
    print(("ok    " if ok else "FAIL  ") + name + ("" if ok else ": " + str(detail)), flush=True)
    return ok


def fnv1a64(data):
    h = 0xCBF29CE484222325
    for b in data:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(site):
    """The site on 127.0.0.1 at a free port; returns the server and its address."""
    handler = functools.partial(QuietHandler, directory=site)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, "http://127.0.0.1:%d/" % server.server_address[1]


def browser(width=800, height=720):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    # A fresh profile, nothing fetched from outside, sound without a gesture.
    for arg in ["--headless=new", "--no-sandbox", "--disable-gpu",
                "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--no-first-run", "--disable-quic",
                "--autoplay-policy=no-user-gesture-required",
                "--user-data-dir=" + tempfile.mkdtemp(prefix="quor7706-chromium-"),
                "--window-size=%d,%d" % (width, height)]:
        options.add_argument(arg)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def quor(driver):
    return driver.execute_script("return window.quor || {}")


def wait_for(driver, test, seconds, step=0.05):
    end = time.time() + seconds
    while time.time() < end:
        q = quor(driver)
        if test(q):
            return q
        time.sleep(step)
    return quor(driver)


def canvas(driver):
    """(frame number, 256 x 256 RGB bytes) of the canvas, read in one go, so
    the pixels are those of that frame."""
    frame, data = driver.execute_script("""
        const pixels = document.getElementById('screen').getContext('2d')
            .getImageData(0, 0, 256, 256).data;
        const rgb = new Uint8Array(256 * 256 * 3);
        for (let i = 0, j = 0; i < pixels.length; i += 4) {
            rgb[j++] = pixels[i]; rgb[j++] = pixels[i + 1]; rgb[j++] = pixels[i + 2];
        }
        let text = '';
        for (let i = 0; i < rgb.length; i += 8192)
            text += String.fromCharCode.apply(null, rgb.subarray(i, i + 8192));
        return [window.quor.frames, btoa(text)];
    """)
    return frame, base64.b64decode(data)


def press(driver, key):
    """A key held for a moment, as a hand presses it: the demo reads the
    keyboard once a frame and takes a key that went down and up between two
    looks as no key."""
    driver.execute_script("document.getElementById('screen').focus()")
    ActionChains(driver).key_down(key).pause(0.15).key_up(key).perform()


def bars_run_down(rgb):
    """True when neighbours above each other agree more often than side by
    side: the first part's bars run down the screen, the second part's across."""
    px = [rgb[i:i + 3] for i in range(0, len(rgb), 3)]
    down = sum(px[i] == px[i + 256] for i in range(0, 255 * 256))
    across = sum(px[i] == px[i + 1] for i in range(len(px)) if i % 256 != 255)
    return down > across


def console_errors(driver):
    return [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]


def native(record):
    """The recorder's hashes of the first CHECKED_FRAMES frames and its list
    of the music's changes."""
    out = tempfile.mkdtemp(prefix="quor7706-web-test-")
    run = subprocess.run([record, "--frames", str(CHECKED_FRAMES), "-o", out + "/show.hashes"],
                         capture_output=True, text=True, check=True)
    hashes = {}
    with open(out + "/show.hashes") as f:
        for line in f:
            parts = line.split()
            if parts[0] == "frame":
                hashes[int(parts[1])] = int(parts[2], 16)
    changes = [line for line in run.stdout.splitlines() if line.startswith("frame ")]
    asset = subprocess.run([record, "--assets-hash"], capture_output=True, text=True,
                           check=True).stdout.strip()
    return hashes, changes, asset


def same_frame(driver, hashes, label):
    frame, rgb = canvas(driver)
    want = hashes.get(frame)
    return check(label + " (frame %d) is the native frame" % frame,
                 want is not None and fnv1a64(rgb) == want,
                 "hash %016x, native %s" % (fnv1a64(rgb), "%016x" % want if want else "none"))


def test_keys(address, hashes):
    """A viewer's visit: the start overlay, a click, the pictures, SPACE, q."""
    driver = browser()
    try:
        driver.get(address)
        q = wait_for(driver, lambda q: q.get("state") == "ready", 30)
        check("the page loads the program", q.get("state") == "ready", q)
        overlay = driver.find_element(By.ID, "overlay").text
        check("the overlay offers a click to start", "Click to start" in overlay, overlay)
        check("the overlay warns that the demo flashes", "flashes" in overlay, overlay)
        driver.find_element(By.ID, "start").click()
        q = wait_for(driver, lambda q: q.get("frames", 0) >= 150, 30)
        check("after the click the demo runs", q.get("state") == "running", q)
        frame, rgb = canvas(driver)
        check("the first part shows colour bars running down, with pictures",
              bars_run_down(rgb) and len(set(rgb[i:i + 3] for i in range(0, len(rgb), 3))) > 500,
              "frame %d" % frame)
        same_frame(driver, hashes, "the first part")
        scroll = driver.execute_script("return window.scrollY")

        press(driver, " ")
        at = quor(driver)["frames"]
        # The fade into the tiles, then some of them.
        q = wait_for(driver, lambda q: q.get("frames", 0) >= at + 64 + 100, 20)
        frame, rgb = canvas(driver)
        check("SPACE moves to the second part: colour bars running across",
              not bars_run_down(rgb), "frame %d" % frame)
        check("SPACE does not scroll the page", driver.execute_script("return window.scrollY") == scroll)

        press(driver, "q")
        q = wait_for(driver, lambda q: q.get("state") == "ended", 20)
        check("q ends the demo", q.get("state") == "ended" and q.get("exitStatus") == 1, q)
        frame, rgb = canvas(driver)
        check("the demo fades to black", not any(rgb), "frame %d" % frame)
        overlay = driver.find_element(By.ID, "overlay").text
        check("the page says the demo ended and offers it again",
              "ended" in overlay and driver.find_element(By.ID, "again").is_displayed(), overlay)
        errors = console_errors(driver)
        check("no errors in the console", not errors, errors)
    finally:
        driver.quit()


def test_show(address, hashes, changes, asset, measure):
    """The first minute untouched (#autostart): its frames, its music's changes,
    the data it carries, and its frame rate."""
    driver = browser()
    try:
        driver.get(address + "#autostart")
        q = wait_for(driver, lambda q: q.get("frames", 0) >= 1, 30)
        check("#autostart starts without the overlay",
              q.get("state") == "running" and not driver.find_element(By.ID, "overlay").is_displayed(), q)
        check("the page shows the native build's assets hash", q.get("assetsHash") == asset,
              "%s, native %s" % (q.get("assetsHash"), asset))
        if measure is not None:
            measure["load to first frame (ms)"] = q.get("firstFrameMs")
            measure["load to program ready (ms)"] = q.get("loadedMs")
        wait_for(driver, lambda q: q.get("frames", 0) >= 300, 30)
        same_frame(driver, hashes, "a later frame of the pictures")
        # The paced pictures: 20 seconds of frames counted.
        start_frames, start = quor(driver)["frames"], time.time()
        time.sleep(20)
        end_frames, end = quor(driver)["frames"], time.time()
        fps = (end_frames - start_frames) / (end - start)
        if measure is not None:
            measure["frames per second over 20 s"] = round(fps, 2)
        check("about 50 frames a second (%.2f)" % fps, 45 <= fps <= 55, fps)
        q = wait_for(driver, lambda q: q.get("frames", 0) >= CHECKED_FRAMES, 90, step=0.5)
        heard = [c for c in q.get("voiceChanges", []) if int(c.split()[1]) <= CHECKED_FRAMES]
        check("the voice changes of %d frames are the native list (%d)" % (CHECKED_FRAMES, len(changes)),
              heard == changes, "%s\nnative %s" % (heard, changes))
        # 4096 values a callback at 44,100 a second; the first sound from 4.56 s.
        check("the audio callback ran (%d times)" % q.get("audioCallbacks", 0),
              q.get("audioCallbacks", 0) >= 10 * 55, q.get("audioCallbacks"))
        check("the music is heard", q.get("loudest", 0) > 0.01, q.get("loudest"))
        entries = driver.get_log("browser")
        logged = [e["message"] for e in entries]
        check("the console lists the voice changes",
              all(any(c in m for m in logged) for c in changes), changes)
        errors = [e["message"] for e in entries if e["level"] == "SEVERE"]
        check("no errors in the console", not errors, errors)
    finally:
        driver.quit()


def test_bench(address, measure):
    """#bench times each part's frame, as the native benchmarks do."""
    driver = browser()
    try:
        driver.get(address + "#bench")
        q = wait_for(driver, lambda q: q.get("state") in ("ended", "failed"), 60)
        bench = q.get("bench", {})
        check("#bench times the four parts",
              sorted(bench) == ["logo", "pictures", "rotor", "tiles"] and
              all(us > 0 for us in bench.values()), str(bench))
        if measure is not None:
            for part, us in bench.items():
                measure["#bench %s (microseconds a frame)" % part] = round(us, 1)
    finally:
        driver.quit()


def shoot(address, docs, measure):
    """A picture of the page in each part: pictures, tiles, logo, rotor."""
    driver = browser(640, 680)
    try:
        driver.get(address + "?rotor=1#autostart")
        wait_for(driver, lambda q: q.get("frames", 0) >= 400, 30)
        driver.save_screenshot(os.path.join(docs, "web-pictures.png"))
        # The rotor is not paced: it runs as fast as the browser draws it, so
        # its rate is measured and then the page holds it still for the picture.
        for name, after in [("tiles", 64 + 600), ("logo", 64 + 400), ("rotor", 30)]:
            at = quor(driver)["frames"]
            press(driver, " ")
            q = wait_for(driver, lambda q: q.get("frames", 0) >= at + after, 60, step=0.01)
            if name == "rotor":
                start = time.time()
                time.sleep(0.5)
                measure["rotor frames per second (unpaced)"] = round(
                    (quor(driver)["frames"] - q["frames"]) / (time.time() - start))
                driver.execute_script("Module.quorYield = () => new Promise(() => {});")
                time.sleep(0.2)
            driver.save_screenshot(os.path.join(docs, "web-%s.png" % name))
    finally:
        driver.quit()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", required=True)
    parser.add_argument("--record", required=True)
    parser.add_argument("--measure", metavar="DOCS")
    args = parser.parse_args()
    server, address = serve(args.site)
    measure = {} if args.measure else None
    try:
        hashes, changes, asset = native(args.record)
        test_keys(address, hashes)
        test_show(address, hashes, changes, asset, measure)
        test_bench(address, measure)
        if args.measure:
            shoot(address, args.measure, measure)
    finally:
        server.shutdown()
    if measure is not None:
        for name in ["index.html", "quor7706.js", "quor7706.wasm"]:
            raw = open(os.path.join(args.site, name), "rb").read()
            measure[name + " bytes (raw, gzip -9)"] = (len(raw), len(gzip.compress(raw, 9)))
        for key, value in measure.items():
            print("measure  %s: %s" % (key, value))
    print("%d passed, %d failed" % (results["passed"], results["failed"]))
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
