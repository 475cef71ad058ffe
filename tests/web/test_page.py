#!/usr/bin/python3
"""The browser build in Debian's headless Chromium, driven by Selenium.

    tests/web/test_page.py SITE_DIR [OUT_DIR]

Serves SITE_DIR on a loopback port and runs each check against the page;
screenshots of the canvas are written to OUT_DIR (default: SITE_DIR/..).
"""
import functools
import http.server
import io
import os
import sys
import threading
import time
import unittest

from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

SITE = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else "build-web/site"
OUT = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else os.path.dirname(SITE)
del sys.argv[1:]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".js": "text/javascript",
    }

    def log_message(self, *args):
        pass


def serve(folder):
    handler = functools.partial(QuietHandler, directory=folder)
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
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def canvas_picture(driver):
    png = driver.find_element(By.ID, "canvas").screenshot_as_png
    return Image.open(io.BytesIO(png)).convert("RGB")


def colour_count(picture):
    return len(picture.getcolors(maxcolors=1 << 20) or [])


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = serve(SITE)
        cls.url = "http://127.0.0.1:%d/index.html" % cls.server.server_address[1]
        cls.driver = browser()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.shutdown()

    def wait_for_picture(self, seconds=60):
        """The canvas once it shows more than a handful of colours."""
        deadline = time.monotonic() + seconds
        picture = None
        while time.monotonic() < deadline:
            picture = canvas_picture(self.driver)
            if colour_count(picture) > 16:
                return picture
            time.sleep(0.5)
        self.fail("the canvas stayed blank; console:\n" + self.console())

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
        width, height = picture.size
        self.assertGreater(width, 0)
        self.assertGreater(height, 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
