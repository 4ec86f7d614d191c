#!/usr/bin/env python3
"""The web build in a real browser: headless Chromium driven over its DevTools
protocol (on a pipe, so nothing but the standard library is needed).

  browser_test.py SITE KAVRET [--speed]

SITE is the built site (out/web), KAVRET the native program of the same
source. Checks: the page loads and shows the set-up form with its banner; OK
starts the demo; frames appear on the canvas; Escape moves to the next scene;
a deterministic run (no pacing, no sound, N frames) leaves on the canvas the
very frame the native headless run presents as its Nth, and prints the same
model listing byte for byte, and so does a run of each scene from its start.
--speed also plays the first 600 frames of each
scene unpaced and prints frames per second per scene (a figure, not a check).
"""
import base64
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "web"))
from serve import make_server  # noqa: E402  (the site's own server, with its headers)

FRAME_CHECKS = [1, 31, 120]  # frames compared with the native run, by count
SCENE_FRAMES = 90  # each scene started on its own and compared at this frame


class Browser:
    """Chromium with --remote-debugging-pipe: JSON messages ending in NUL."""

    def __init__(self, executable):
        self.to_browser_r, self.to_browser_w = os.pipe()
        self.from_browser_r, self.from_browser_w = os.pipe()
        self.profile = tempfile.mkdtemp(prefix="kavret-chromium-")
        args = [executable, "--headless=new", "--no-sandbox", "--disable-gpu", "--remote-debugging-pipe",
                "--user-data-dir=" + self.profile, "--window-size=800,600", "--no-first-run",
                "--autoplay-policy=no-user-gesture-required", "--mute-audio", "about:blank"]

        def wire_fds():
            os.dup2(self.to_browser_r, 3)
            os.dup2(self.from_browser_w, 4)

        self.process = subprocess.Popen(args, pass_fds=(3, 4), preexec_fn=wire_fds, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        os.close(self.to_browser_r)
        os.close(self.from_browser_w)
        self.buffer = b""
        self.next_id = 0
        self.session = None
        self.events = []

    def send(self, method, params=None, session=True, timeout=60):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.to_browser_w, json.dumps(message).encode() + b"\0")
        deadline = time.time() + timeout
        while time.time() < deadline:
            reply = self.read()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply.get("result", {})
            self.events.append(reply)
        raise TimeoutError(method)

    def read(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_browser_r, 1 << 20)
            if not chunk:
                raise RuntimeError("the browser closed its pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def open_page(self):
        target = self.send("Target.createTarget", {"url": "about:blank"}, session=False)["targetId"]
        self.session = self.send("Target.attachToTarget", {"targetId": target, "flatten": True},
                                 session=False)["sessionId"]
        self.send("Page.enable")
        self.send("Runtime.enable")

    def evaluate(self, expression, timeout=60):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True}, timeout=timeout)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout=60, what=None):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.evaluate(expression):
                return
            time.sleep(0.05)
        raise AssertionError(f"timed out waiting for {what or expression}")

    def navigate(self, url):
        # The old page is marked, so that nothing is read from it while the new one comes.
        self.evaluate("window.kavretOldPage = true")
        self.send("Page.navigate", {"url": url})
        self.wait_for("!window.kavretOldPage && document.readyState === 'complete' && !!window.kavret",
                      what="the page to load")

    def click(self, element_id):
        box = self.evaluate(f"(() => {{ const r = document.getElementById('{element_id}').getBoundingClientRect();"
                            " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
        for kind in ("mousePressed", "mouseReleased"):
            self.send("Input.dispatchMouseEvent", {"type": kind, "x": box[0], "y": box[1], "button": "left",
                                                   "clickCount": 1})

    def key(self, key, code, virtual):
        for kind in ("keyDown", "keyUp"):
            self.send("Input.dispatchKeyEvent", {"type": kind, "key": key, "code": code,
                                                 "windowsVirtualKeyCode": virtual})

    def canvas_rgb(self):
        """The canvas as (width, height, RGB bytes)."""
        value = self.evaluate("(() => { const c = document.getElementById('canvas');"
                              " const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;"
                              " const rgb = new Uint8Array(c.width * c.height * 3);"
                              " for (let i = 0, j = 0; i < d.length; i += 4) {"
                              "   rgb[j++] = d[i]; rgb[j++] = d[i + 1]; rgb[j++] = d[i + 2]; }"
                              " let s = ''; for (let i = 0; i < rgb.length; i += 8192)"
                              "   s += String.fromCharCode.apply(null, rgb.subarray(i, i + 8192));"
                              " return [c.width, c.height, btoa(s)]; })()")
        return value[0], value[1], base64.b64decode(value[2])

    def close(self):
        try:
            self.send("Browser.close", session=False, timeout=5)
        except Exception:
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


def read_png_rgb(path):
    """An 8-bit RGB PNG (as the capture writes them) as (width, height, RGB bytes)."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour == 2, "only 8-bit RGB"
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 3
    out = bytearray(stride * height)
    previous = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if kind == 1:
            for i in range(3, stride):
                line[i] = (line[i] + line[i - 3]) & 255
        elif kind == 2:
            line = bytearray((a + b) & 255 for a, b in zip(line, previous))
        elif kind == 3:
            for i in range(stride):
                left = line[i - 3] if i >= 3 else 0
                line[i] = (line[i] + ((left + previous[i]) >> 1)) & 255
        elif kind == 4:
            for i in range(stride):
                a = line[i - 3] if i >= 3 else 0
                b = previous[i]
                c = previous[i - 3] if i >= 3 else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                predictor = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + predictor) & 255
        out[y * stride:(y + 1) * stride] = line
        previous = line
    return width, height, bytes(out)


def compare(expected, got):
    """Pixels that differ, and the largest difference of one channel."""
    (ew, eh, e), (gw, gh, g) = expected, got
    if (ew, eh) != (gw, gh):
        return None, None
    differing, largest = 0, 0
    for i in range(0, len(e), 3):
        if e[i:i + 3] != g[i:i + 3]:
            differing += 1
            largest = max(largest, *(abs(e[i + k] - g[i + k]) for k in range(3)))
    return differing, largest


def serve(site, isolated=True):
    server = make_server(site, isolated=isolated, quiet=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def check(condition, text):
    if not condition:
        raise AssertionError(text)
    print("ok:", text)


def run(site, kavret, speed):
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        print("skip: no chromium")
        return 77
    server = serve(site)
    base = f"http://127.0.0.1:{server.server_address[1]}/"
    browser = Browser(chromium)
    work = tempfile.mkdtemp(prefix="kavret-web-test-")
    try:
        browser.open_page()

        # The page, the form, OK, frames, Escape.
        browser.navigate(base + "?nomusic")
        browser.wait_for("!document.getElementById('setup').hidden", what="the set-up form")
        browser.wait_for("document.getElementById('banner').naturalWidth > 0", what="the banner")
        drivers = browser.evaluate("[...document.getElementById('driver').options].map(o => o.text)")
        check(drivers == ["Browser canvas (software RGB)"], f"the form offers the canvas driver ({drivers})")
        check(browser.evaluate("document.getElementById('resolution').disabled"), "the resolution list is greyed")
        check(browser.evaluate("crossOriginIsolated && kavret.program") == "kavret-threads.js",
              "the isolated page takes the threaded build")
        browser.click("ok")
        browser.wait_for("kavret.frames >= 30", what="30 frames on the canvas")
        width, height, rgb = browser.canvas_rgb()
        check((width, height) == (640, 480), "the canvas holds the 640 x 480 picture")
        check(len(set(rgb[i:i + 3] for i in range(0, len(rgb), 3 * 97))) > 20, "the picture is not blank")
        scene = browser.evaluate("kavret.scene")
        check(scene == 0, "the demo starts with the first scene")
        browser.key("Escape", "Escape", 27)
        browser.wait_for("kavret.scene === 1", timeout=20, what="the second scene after Escape")
        check(True, "Escape moves to the next scene")
        browser.key("f", "KeyF", 70)
        browser.wait_for("document.fullscreenElement !== null", timeout=10, what="full screen after F")
        browser.key("f", "KeyF", 70)
        browser.wait_for("document.fullscreenElement === null", timeout=10, what="a window again after F")
        check(True, "F toggles full screen")
        check(browser.evaluate("localStorage.getItem('kavret:UseSound')") is not None,
              "the settings are kept in local storage")

        # A render scale: the canvas holds the larger picture, shown sharp
        # when the window has room for a whole multiple.
        browser.navigate(base + "?ok&nomusic&scale=2&frames=3")
        browser.wait_for("kavret.state === 'ended'", timeout=60, what="the scale-2 run to end")
        size = browser.evaluate("[canvas.width, canvas.height]")
        check(size == [1280, 960], f"at scale 2 the canvas holds 1280 x 960 ({size})")

        # With music: OK is the click that lets the page play sound, and the
        # music layer's samples reach Web Audio.
        browser.navigate(base)
        browser.wait_for("!document.getElementById('setup').hidden", what="the set-up form")
        browser.evaluate("document.getElementById('music').checked = true")
        browser.click("ok")
        browser.wait_for("kavret.soundBlocks >= 2", timeout=30, what="music from the page's audio node")
        check(True, "the music plays through Web Audio")

        # Deterministic runs against the native headless run.
        largest_count = max(FRAME_CHECKS)
        shots = os.path.join(work, "shots")
        listing = subprocess.run([kavret, "--headless", "--pace", "off", "--no-music", "--frames",
                                  str(largest_count), "--screenshot-every", "1", shots],
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True).stdout
        for count in FRAME_CHECKS:
            browser.navigate(base + f"?ok&nomusic&pace=off&frames={count}")
            browser.wait_for("kavret.state === 'ended'", timeout=120, what=f"the {count}-frame run to end")
            check(browser.evaluate("kavret.frames") == count, f"{count} frames presented")
            native = read_png_rgb(os.path.join(shots, f"frame_{count - 1:06d}.png"))
            differing, largest = compare(native, browser.canvas_rgb())
            check(differing == 0, f"frame {count} matches the native frame ({differing} pixels differ,"
                                  f" largest channel difference {largest})")
        web_listing = browser.evaluate("kavret.listing.map(l => l + '\\n').join('')")
        check(web_listing.encode("latin-1") == listing,
              f"the console listing is the native stdout ({len(listing)} bytes)")

        # Every scene's kinds of drawing (textures in perspective, additive
        # sprites, particles, flares) from the scene's own start.
        for scene in range(8):
            scene_shots = os.path.join(work, f"scene{scene}")
            subprocess.run([kavret, "--headless", "--pace", "off", "--no-music", "--scene", str(scene), "--frames",
                            str(SCENE_FRAMES), "--screenshot-every", "1", scene_shots],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
            browser.navigate(base + f"?ok&nomusic&pace=off&scene={scene}&frames={SCENE_FRAMES}")
            browser.wait_for("kavret.state === 'ended'", timeout=120, what=f"scene {scene} to end")
            native = read_png_rgb(os.path.join(scene_shots, f"frame_{SCENE_FRAMES - 1:06d}.png"))
            differing, largest = compare(native, browser.canvas_rgb())
            check(differing == 0, f"scene {scene}, frame {SCENE_FRAMES}, matches the native frame ({differing} pixels"
                                  f" differ, largest channel difference {largest})")

        # Served without cross-origin isolation: the one-thread build, the same frame.
        plain = serve(site, isolated=False)
        browser.navigate(f"http://127.0.0.1:{plain.server_address[1]}/?ok&nomusic&pace=off&frames=31")
        browser.wait_for("kavret.state === 'ended'", timeout=120, what="the one-thread run to end")
        check(browser.evaluate("kavret.program") == "kavret.js", "a page without isolation takes the one-thread build")
        differing, largest = compare(read_png_rgb(os.path.join(shots, "frame_000030.png")), browser.canvas_rgb())
        check(differing == 0, f"its frame 31 matches the native frame ({differing} pixels differ,"
                              f" largest channel difference {largest})")
        plain.shutdown()

        # A missing data file: the native warnings, shown on the page over the
        # picture, and the demo goes on.
        broken = os.path.join(work, "site")
        shutil.copytree(site, broken)
        os.remove(os.path.join(broken, "data", "Objects", "rocketscene01.3ds"))
        server_broken = serve(broken)
        browser.navigate(f"http://127.0.0.1:{server_broken.server_address[1]}/?ok&nomusic&frames=5")
        browser.wait_for("kavret.state === 'ended' || kavret.state === 'failed'", timeout=60,
                         what="the run without its scene file to end")
        notes = browser.evaluate("document.getElementById('notes').hidden ? '' :"
                                 " document.getElementById('notes').textContent")
        check("Rocket scene: the model file has no object" in notes, f"the missing file is told on the page: {notes!r}")
        server_broken.shutdown()

        # A damaged music module, with music on: the native answer on the page,
        # and the demo plays on without it.
        damaged = os.path.join(work, "damaged")
        shutil.copytree(site, damaged)
        with open(os.path.join(damaged, "data", "Midas", "t1.xm"), "wb") as module:
            module.write(b"not a module at all" * 10)
        server_broken = serve(damaged)
        browser.navigate(f"http://127.0.0.1:{server_broken.server_address[1]}/")
        browser.wait_for("!document.getElementById('setup').hidden", what="the set-up form")
        browser.evaluate("document.getElementById('music').checked = true")
        browser.click("ok")
        browser.wait_for("kavret.frames >= 10", timeout=60, what="frames without the damaged module")
        notes = browser.evaluate("document.getElementById('notes').textContent")
        check("music module Midas\\t1.xm cannot be read" in notes, f"the damaged module is told on the page: {notes!r}")
        server_broken.shutdown()

        if speed:
            for threads in ("", "1"):
                print("unpaced frames per second by scene (640 x 480, the first 600 frames of each), "
                      + ("one-thread build:" if threads else "threaded build:"))
                for index in range(8):
                    browser.navigate(base + f"?ok&nomusic&pace=off&scene={index}&frames=600&threads={threads}")
                    browser.wait_for("kavret.state === 'ended'", timeout=300, what=f"scene {index} unpaced")
                    figure = (browser.evaluate("Module.kavretScenes") or [None] * 8)[index]
                    if figure and figure["frames"]:
                        print(f"  scene {index}: {figure['frames']} frames, "
                              f"{1000 * figure['frames'] / figure['ms']:.0f} fps")
        return 0
    finally:
        browser.close()
        server.shutdown()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(run(sys.argv[1], sys.argv[2], "--speed" in sys.argv[3:]))
