#!/usr/bin/python3
"""The browser build in Debian's headless Chromium, driven by Selenium.

    tests/web/test_page.py SITE_DIR [OUT_DIR] [TEST...]

Serves SITE_DIR on a loopback port and runs each check against the page;
pictures of the canvas are written to OUT_DIR (default: SITE_DIR/..). The
same-game check runs the native game of BRINEHOLD_NATIVE_GAME_DIR (default:
build/game beside this checkout) beside the page.
"""
import base64
import functools
import http.server
import io
import json
import os
import re
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.request

from PIL import Image, ImageChops
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder

HERE = os.path.dirname(os.path.abspath(__file__))
# Folders first; what follows (test names, -v, -k PATTERN) is unittest's.
FOLDERS = [a for a in sys.argv[1:3] if not a.startswith(("-", "Page"))]
SITE = os.path.abspath(FOLDERS[0]) if FOLDERS else "build-web/site"
OUT = os.path.abspath(FOLDERS[1]) if len(FOLDERS) > 1 else os.path.dirname(SITE)
NATIVE = os.environ.get("BRINEHOLD_NATIVE_GAME_DIR",
                        os.path.join(HERE, "..", "..", "build", "game"))
del sys.argv[1:1 + len(FOLDERS)]

# The menu, the level banner, play with the gun held and the diver steered
# about: texts, sprites, random spawns and scores.
SAME_GAME_SCRIPT = ("1 key down Enter\n2 key up Enter\n"
                    "95 key down Space\n"
                    "300 key down Down\n420 key up Down\n"
                    "600 key down Right\n700 key up Right\n"
                    "900 key down Up\n960 key up Up\n")
SAME_GAME_TICKS = (1, 100, 1000)
SCORED = os.environ.get("BRINEHOLD_SCORED",
                        os.path.join(HERE, "..", "..", "build", "game", "brinehold-scored"))

# Opens the options and switches the sound once at tick 4: one save.
OPTIONS_SCRIPT = (b"2 key down Down\n2 key up Down\n2 key down Enter\n2 key up Enter\n"
                  b"3 key down Down\n3 key up Down\n3 key down Down\n3 key up Down\n"
                  b"4 key down Left\n4 key up Left\n")

START_AND_FIRE = "1 key down Enter\n2 key up Enter\n95 key down Space\n"


def low_table_config():
    """Settings whose table holds ten empty entries with score 0, so any score
    earns rank 1 (flags XOR 1, texts and scores complemented)."""
    data = bytearray(158)
    data[4] = 0x7B
    data[7:17] = b"\xFF" * 10
    for rank in range(10):
        entry = 18 + 14 * rank
        data[entry + 1:entry + 11] = b"\xFF" * 10
        data[entry + 12] = data[entry + 13] = 0xFF
    return bytes(data)


def ending_script(kill):
    """Ends the game after the kill through the exit window, types the name
    and the country at the name entry and answers "ДА" twice. Returns the
    script and the tick whose Enter sends the entry."""
    quit_tick = kill + 2
    g = quit_tick + 4 + 94 + 5 + 1  # the game-over banner lasts 1500 ms
    send = g + 8
    lines = [(quit_tick, "key up Space"), (quit_tick + 1, "key down Escape"),
             (quit_tick + 2, "key up Escape"), (quit_tick + 3, "key down Enter"),
             (quit_tick + 4, "key up Enter"), (g, "type Diver"), (g + 1, "key down Down"),
             (g + 2, "key up Down"), (g + 3, "type ru"), (g + 4, "key down Down"),
             (g + 5, "key up Down"), (g + 6, "key down Enter"), (g + 7, "key up Enter"),
             (send, "key down Enter"), (send + 1, "key up Enter")]
    return START_AND_FIRE + "".join("%d %s\n" % line for line in lines), send


# The main menu's items: left edge and tops, in picture pixels.
MAIN_ITEM_X = 489
MAIN_ITEM_Y = (177, 221, 265, 309, 353, 397)

# A real-time run that writes its state every WATCH_STEP ticks (for a minute),
# so a test can read what its input did.
WATCH_STEP = 15
WATCH_ARGS = "+".join("--dump-state+%d:/watch-%d.json" % (tick, tick)
                      for tick in range(WATCH_STEP, 3750, WATCH_STEP))

# Where the page puts the 800 x 600 picture: the viewport, full screen or
# not, the picture's box in CSS pixels, and whether it is drawn sharp.
PLACES = (
    ((1280, 720), True, (160, 0, 960, 720), False),  # 1:1 fills 83 %: filtered, bars
    ((900, 650), True, (50, 25, 800, 600), True),  # 1:1 fills 92 %: sharp, bars
    ((1700, 1250), True, (50, 25, 1600, 1200), True),  # 2:1 fills 96 %
    ((1024, 768), False, (112, 84, 800, 600), True),  # a window shows it 1:1
    ((640, 480), False, (0, 0, 640, 480), False),  # or shrinks it to fit
)

# Storage that refuses every database, as a full disk or a locked-down
# browser does: each sync of the settings fails.
BROKEN_STORAGE = """
Object.defineProperty(window, "indexedDB", {configurable: true, get: () => ({
  open() { throw new DOMException("the storage is full", "QuotaExceededError"); },
})});
"""


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    """The site, plus the files a test puts beside it (a script, say)."""
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".js": "text/javascript",
    }
    extra = {}

    def do_GET(self):
        name = self.path.split("?")[0].lstrip("/")
        if name in self.extra:
            body = self.extra[name]
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        super().do_GET()

    def log_message(self, *args):
        pass


def serve(folder):
    handler = functools.partial(SiteHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1024,768",
                 "--autoplay-policy=user-gesture-required", "--mute-audio"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    # A headless run of the game keeps the page busy until it ends.
    driver.set_script_timeout(600)
    driver.set_page_load_timeout(600)
    return driver


def canvas_picture(driver):
    png = driver.find_element(By.ID, "canvas").screenshot_as_png
    return Image.open(io.BytesIO(png)).convert("RGB")


def colour_count(picture):
    return len(picture.getcolors(maxcolors=1 << 20) or [])


def changed_share(a, b):
    """The share of pixels that differ between two pictures of one size."""
    difference = ImageChops.difference(a, b).convert("L").point(lambda v: 255 if v else 0)
    return difference.histogram()[255] / (a.width * a.height)


def automation_args(ticks, folder, script):
    """The options of a headless scripted run writing into `folder`."""
    args = ["--headless", "--seed", "1", "--ticks", str(ticks),
            "--script", script, "--log", folder + "/log.txt"]
    for tick in SAME_GAME_TICKS:
        args += ["--dump-state", "%d:%s/state-%d.json" % (tick, folder, tick),
                 "--screenshot", "%d:%s/shot-%d.png" % (tick, folder, tick)]
    return args


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = serve(SITE)
        cls.base = "http://127.0.0.1:%d/" % cls.server.server_address[1]
        cls.url = cls.base + "index.html"
        cls.driver = browser()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.shutdown()
        cls.server.server_close()

    def wait_for_picture(self, seconds=60):
        """The canvas once it shows more than a handful of colours."""
        deadline = time.monotonic() + seconds
        picture = None
        while time.monotonic() < deadline:
            picture = canvas_picture(self.driver)
            if colour_count(picture) > 16:
                return picture
            time.sleep(0.2)
        self.fail("the canvas stayed blank; console:\n" + self.console())

    def wait_for_exit(self, seconds=300):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            code = self.driver.execute_script("return document.body.dataset.exitCode || null")
            if code is not None:
                return code
            time.sleep(0.5)
        self.fail("the game did not end; console:\n" + self.console())

    def read_file(self, path):
        data = self.driver.execute_script("return brineholdReadFile(arguments[0])", path)
        return base64.b64decode(data)

    def console(self):
        return "\n".join(entry["message"] for entry in self.driver.get_log("browser"))

    def test_menu_appears(self):
        started = time.monotonic()
        self.driver.get(self.url)
        overlay = self.driver.find_element(By.ID, "start")
        self.assertEqual(overlay.text.strip().lower(), "click to start")
        # The player's first click takes the overlay away (and would start the
        # sound); only the canvas is left to look at.
        overlay.click()
        self.assertFalse(overlay.is_displayed())
        picture = self.wait_for_picture()
        print("first frame after %.1f s" % (time.monotonic() - started), file=sys.stderr)
        picture.save(os.path.join(OUT, "menu.png"))
        self.assertEqual(picture.size, (800, 600))

    def test_a_key_starts_a_game_and_the_canvas_changes(self):
        self.driver.get(self.url)
        ActionChains(self.driver).send_keys(Keys.SHIFT).perform()  # the overlay goes
        menu = self.wait_for_picture()
        time.sleep(1)
        menu = canvas_picture(self.driver)
        ActionChains(self.driver).key_down(Keys.ENTER).pause(0.1).key_up(Keys.ENTER).perform()
        time.sleep(3)
        play = canvas_picture(self.driver)
        play.save(os.path.join(OUT, "play.png"))
        # The game field replaces the menu: most of the picture is new.
        self.assertGreater(changed_share(menu, play), 0.5, self.console())

    def wait_for(self, script, seconds=20):
        """The first true value of a script run in the page."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = self.driver.execute_script(script)
            if value:
                return value
            time.sleep(0.1)
        self.fail("never true: %s; console:\n%s" % (script, self.console()))

    def press(self, *keys):
        """Presses the keys together and lets them go in reverse order."""
        chain = ActionChains(self.driver)
        for key in keys:
            chain.key_down(key)
        chain.pause(0.1)
        for key in reversed(keys):
            chain.key_up(key)
        chain.perform()

    def test_the_desktop_parts_in_a_page(self):
        self.driver.get(self.url)
        ActionChains(self.driver).send_keys(Keys.SHIFT).perform()  # the overlay goes
        self.wait_for_picture()

        # The boss key (F12 by default): a blank grey page until any key.
        self.press(Keys.F12)
        colour = self.wait_for("const boss = document.getElementById('boss');"
                               "return boss && getComputedStyle(boss).backgroundColor")
        red, green, blue = (int(v) for v in colour[colour.index("(") + 1:-1].split(",")[:3])
        self.assertTrue(red == green == blue, colour)
        self.press(Keys.SPACE)
        self.wait_for("return document.getElementById('boss') === null")

        # Alt+Enter: the browser's full screen, where the boss key's cover
        # shows too, and back.
        self.press(Keys.ALT, Keys.ENTER)
        self.wait_for("return document.fullscreenElement !== null")
        self.press(Keys.F12)
        self.wait_for("const boss = document.getElementById('boss');"
                      "return boss && document.fullscreenElement.contains(boss)")
        self.press(Keys.SPACE)
        self.wait_for("return document.getElementById('boss') === null")
        self.press(Keys.ALT, Keys.ENTER)
        self.wait_for("return document.fullscreenElement === null")

        # Escape opens the exit window, whose "ДА" is selected: the goodbye page.
        self.press(Keys.ESCAPE)
        time.sleep(0.5)
        self.press(Keys.ENTER)
        self.wait_for("return document.getElementById('goodbye').style.display === 'flex'")
        self.assertEqual(self.driver.execute_script("return document.body.dataset.exitCode"), "0")
        self.driver.find_element(By.ID, "again").click()
        self.wait_for("return document.getElementById('start').style.display !== 'none'"
                      " && document.body.dataset.exitCode === undefined")

    def watched_state(self):
        """The first state the game writes after this call (a real-time run
        started with WATCH_ARGS)."""
        ticks = lambda: [int(name[6:-5]) for name in self.driver.execute_script(
            "return Module.FS.readdir('/')") if name.startswith("watch-")]
        now = max(ticks(), default=0)
        due = now + 2 * WATCH_STEP
        self.wait_for("return Module.FS.analyzePath('/watch-%d.json').exists" % due)
        return json.loads(self.read_file("/watch-%d.json" % due))

    def start_watched_run(self, extra="", files="", dismiss=True):
        self.driver.get(self.url + "?" + files + "args=" + WATCH_ARGS + extra)
        if dismiss:
            ActionChains(self.driver).send_keys(Keys.SHIFT).perform()  # the overlay goes
        self.wait_for_picture()

    def point_at(self, x, y):
        """Moves the mouse to a point of the page's viewport."""
        actions = ActionBuilder(self.driver)
        actions.pointer_action.move_to_location(int(x), int(y))
        actions.perform()

    def test_the_mouse_hits_the_picture_wherever_the_page_puts_it(self):
        try:
            for viewport, full, box, sharp in PLACES:
                with self.subTest(viewport=viewport, full=full):
                    # Headless Chromium's screen is 800 x 600 unless told otherwise.
                    self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                        "width": viewport[0], "height": viewport[1], "deviceScaleFactor": 1,
                        "mobile": False, "screenWidth": viewport[0],
                        "screenHeight": viewport[1]})
                    self.start_watched_run()
                    if full:
                        self.press(Keys.ALT, Keys.ENTER)
                        self.wait_for("return document.fullscreenElement !== null")
                    self.assertEqual(
                        self.driver.execute_script("return [innerWidth, innerHeight]"),
                        list(viewport))
                    # The page places the picture once the browser settled the size.
                    deadline = time.monotonic() + 5
                    while True:
                        rect = self.driver.execute_script(
                            "const r = canvas.getBoundingClientRect();"
                            "return [r.left, r.top, r.width, r.height]")
                        if [round(v) for v in rect] == list(box) or time.monotonic() > deadline:
                            break
                        time.sleep(0.1)
                    self.assertEqual([round(v) for v in rect], list(box))
                    rendering = self.driver.execute_script(
                        "return getComputedStyle(canvas).imageRendering")
                    self.assertEqual(rendering, "pixelated" if sharp else "auto")

                    # The bars are black; the picture is whole multiples where sharp.
                    page = Image.open(io.BytesIO(self.driver.get_screenshot_as_png()))
                    page = page.convert("RGB")
                    left, top, width, height = box
                    for bar in ((0, 0, left, viewport[1]), (left + width, 0, *viewport),
                                (0, 0, viewport[0], top), (0, top + height, *viewport)):
                        if bar[2] > bar[0] and bar[3] > bar[1]:
                            self.assertEqual(page.crop(bar).getextrema(), ((0, 0),) * 3, bar)
                    picture = page.crop((left, top, left + width, top + height))
                    if sharp and width > 800:
                        blocks = picture.resize((800, 600), Image.NEAREST).resize(
                            picture.size, Image.NEAREST)
                        self.assertIsNone(ImageChops.difference(picture, blocks).getbbox())

                    # Pointing at an item's picture pixels selects it.
                    for item in (4, 2, 6):
                        x = left + (MAIN_ITEM_X + 20.5) * width / 800
                        y = top + (MAIN_ITEM_Y[item - 1] + 12.5) * height / 600
                        self.point_at(x, y)
                        state = self.watched_state()
                        self.assertEqual((state["MenuScreen"], state["Selected"]), (1, item))
        finally:
            self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})

    def test_leaving_full_screen_in_the_browser_updates_the_setting(self):
        self.start_watched_run("+--log+/log.txt")
        self.press(Keys.ALT, Keys.ENTER)
        self.wait_for("return document.fullscreenElement !== null")
        self.assertEqual(self.watched_state()["config"]["Windowed"], 0)
        # What the browser's own Esc does.
        self.driver.execute_script("document.exitFullscreen()")
        self.wait_for("return document.fullscreenElement === null")
        self.assertEqual(self.watched_state()["config"]["Windowed"], 1)
        self.assertIn(" mode windowed", self.read_file("/log.txt").decode())
        # So the next Alt+Enter goes to full screen again.
        self.press(Keys.ALT, Keys.ENTER)
        self.wait_for("return document.fullscreenElement !== null")
        self.assertEqual(self.watched_state()["config"]["Windowed"], 0)
        self.press(Keys.ALT, Keys.ENTER)
        self.wait_for("return document.fullscreenElement === null")

    def test_full_screen_refused_at_start_leaves_the_game_windowed(self):
        # Saved in full screen; a page may not start so before the player's
        # first key or click.
        config = bytearray(low_table_config())
        config[0] = 1
        SiteHandler.extra["config.dat"] = bytes(config)
        self.start_watched_run("+--workdir+/game", "file=config.dat&", dismiss=False)
        self.assertEqual(self.watched_state()["config"]["Windowed"], 1)
        self.assertIsNone(self.driver.execute_script("return document.fullscreenElement"))
        self.press(Keys.ALT, Keys.ENTER)
        self.wait_for("return document.fullscreenElement !== null")
        self.assertEqual(self.watched_state()["config"]["Windowed"], 0)

    def test_a_failed_storage_sync_shows_the_save_message(self):
        SiteHandler.extra["options.txt"] = OPTIONS_SCRIPT
        stub = self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                           {"source": BROKEN_STORAGE})["identifier"]
        try:
            self.driver.get(self.url + "?file=options.txt&args=--headless+--ticks+12+--script+"
                            "/game/options.txt+--log+/log.txt+--dump-state+1:/first.json"
                            "+--dump-state+12:/last.json")
            self.assertEqual(self.wait_for_exit(), "0", self.console())
        finally:
            self.driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument",
                                        {"identifier": stub})
        # The first save (of the defaults, at start) fails: one message for
        # the run, and nothing is reported saved.
        log = self.read_file("/log.txt").decode()
        self.assertEqual(re.findall(r"^\d+ messagebox (.*)$", log, re.M),
                         ["Не могу сохранить настройки!"], log)
        self.assertNotRegex(log, r"(?m)^\d+ save ")
        # The game goes on, with the switched setting in memory.
        first = json.loads(self.read_file("/first.json"))
        last = json.loads(self.read_file("/last.json"))
        self.assertEqual((last["tick"], last["MenuScreen"]), (12, 2))  # the options
        self.assertNotEqual(last["config"]["SoundOn"], first["config"]["SoundOn"])

    def test_settings_survive_a_reload(self):
        # Opens the options and switches the sound once: one save.
        SiteHandler.extra["options.txt"] = OPTIONS_SCRIPT
        self.driver.get(self.url + "?file=options.txt&args=--headless+--ticks+8+--script+"
                        "/game/options.txt+--dump-state+1:/first.json+--dump-state+8:/last.json")
        self.assertEqual(self.wait_for_exit(), "0", self.console())
        before = json.loads(self.read_file("/first.json"))["config"]["SoundOn"]
        switched = json.loads(self.read_file("/last.json"))["config"]["SoundOn"]
        self.assertNotEqual(before, switched)

        self.driver.refresh()
        self.driver.get(self.url + "?args=--headless+--ticks+1+--dump-state+1:/again.json")
        self.assertEqual(self.wait_for_exit(), "0", self.console())
        self.assertEqual(json.loads(self.read_file("/again.json"))["config"]["SoundOn"], switched)

    def test_a_score_sent_from_the_page_reaches_the_server_that_serves_it(self):
        native = os.path.abspath(NATIVE)
        with tempfile.TemporaryDirectory(prefix="brinehold-web-") as folder:
            # The tick of the first fish the firing diver kills, from the native game.
            for sub in ("data", "sound"):
                os.symlink(os.path.join(native, sub), os.path.join(folder, sub))
            with open(os.path.join(folder, "config.dat"), "wb") as f:
                f.write(low_table_config())
            with open(os.path.join(folder, "script.txt"), "w") as f:
                f.write(START_AND_FIRE)
            subprocess.run([os.path.join(native, "brinehold"), "--headless", "--workdir", folder,
                            "--seed", "1", "--ticks", "4000", "--script", "script.txt",
                            "--log", "log.txt"], check=True, timeout=300)
            with open(os.path.join(folder, "log.txt")) as f:
                kills = [line for line in f if " sound fishdie" in line]
            self.assertTrue(kills, "the firing diver never killed a fish")
            script, send = ending_script(int(kills[0].split()[0]))

            # The site with the run's two files beside the page.
            site = os.path.join(folder, "site")
            os.mkdir(site)
            for name in os.listdir(SITE):
                os.symlink(os.path.join(SITE, name), os.path.join(site, name))
            with open(os.path.join(site, "config.dat"), "wb") as f:
                f.write(low_table_config())
            with open(os.path.join(site, "ending.txt"), "w") as f:
                f.write(script)

            server = subprocess.Popen(
                [os.path.abspath(SCORED), "--listen", "127.0.0.1:0", "--db",
                 os.path.join(folder, "scores.sqlite"), "--web", site, "--exit-after", "300",
                 "--access-log", os.path.join(folder, "access.log"), "--version-rate", "0",
                 "--submit-rate", "0"], stdout=subprocess.PIPE, text=True)
            try:
                address = server.stdout.readline().split()[-1]
                args = ["--headless", "--workdir", "/game", "--seed", "1", "--ticks",
                        str(send + 2), "--script", "ending.txt", "--score-server", address,
                        "--log", "log.txt"]
                self.driver.get("http://%s/index.html?file=config.dat&file=ending.txt&args=%s"
                                % (address, "+".join(args)))
                self.assertEqual(self.wait_for_exit(), "0", self.console())
                log = self.read_file("/game/log.txt").decode()
                self.assertIn(" http done 200 ", log)
                self.assertNotIn(" http error ", log)
                page = urllib.request.urlopen(
                    "http://%s/cgi/version.pl?prg=Brinehold&show&type=0" % address).read()
                self.assertIn(b"Diver", page)
            finally:
                server.terminate()
                server.wait(timeout=30)
                server.stdout.close()

    def test_the_same_game_as_the_native_build(self):
        native = os.path.abspath(NATIVE)
        self.assertTrue(os.path.isfile(os.path.join(native, "brinehold")), native)
        last = SAME_GAME_TICKS[-1]
        with tempfile.TemporaryDirectory(prefix="brinehold-web-") as folder:
            for sub in ("data", "sound"):
                os.symlink(os.path.join(native, sub), os.path.join(folder, sub))
            with open(os.path.join(folder, "script.txt"), "w") as script:
                script.write(SAME_GAME_SCRIPT)
            subprocess.run([os.path.join(native, "brinehold"), "--workdir", folder]
                           + automation_args(last, folder, os.path.join(folder, "script.txt")),
                           check=True, timeout=300)

            SiteHandler.extra["script.txt"] = SAME_GAME_SCRIPT.encode()
            args = ["--workdir", "/game"] + automation_args(last, "/game", "script.txt")
            self.driver.get(self.url + "?file=script.txt&args=" + "+".join(args))
            self.assertEqual(self.wait_for_exit(), "0", self.console())

            for tick in SAME_GAME_TICKS:
                with self.subTest(tick=tick):
                    page = json.loads(self.read_file("/game/state-%d.json" % tick))
                    with open(os.path.join(folder, "state-%d.json" % tick)) as f:
                        expected = json.load(f)
                    # The process's own memory use, not the game's state.
                    page.pop("memory", None)
                    expected.pop("memory", None)
                    self.assertEqual(json.dumps(page, indent=1), json.dumps(expected, indent=1))

                    shot = Image.open(io.BytesIO(self.read_file("/game/shot-%d.png" % tick)))
                    shot = shot.convert("RGB")
                    reference = Image.open(os.path.join(folder, "shot-%d.png" % tick))
                    reference = reference.convert("RGB")
                    self.assertEqual(shot.size, reference.size)
                    box = ImageChops.difference(shot, reference).getbbox()
                    if box is not None:
                        shot.save(os.path.join(OUT, "same-game-page-%d.png" % tick))
                        reference.save(os.path.join(OUT, "same-game-native-%d.png" % tick))
                    self.assertIsNone(box, "the pictures differ within %s" % (box,))


if __name__ == "__main__":
    unittest.main(verbosity=2)
