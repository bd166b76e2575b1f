"""kycamera serve in headless Chromium: live view, record, stop, capture, browse, play, remove.

usage: serve_browser_test.py KYCAMERA WORK_DIR SCREENSHOT.png
Exits 77 (skipped) when Chromium, its driver or Selenium is not installed.
"""
import os
import shutil
import sys
import tempfile
import time
import unittest

from serve_support import Server

KYCAMERA, WORK_DIR, SCREENSHOT = sys.argv[1], sys.argv[2], sys.argv[3]
CHROMIUM = "/usr/bin/chromium"
DRIVER = "/usr/bin/chromedriver"

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    print("skipped: python3-selenium is not installed")
    sys.exit(77)
if not (os.path.exists(CHROMIUM) and os.path.exists(DRIVER)):
    print("skipped: chromium or chromium-driver is not installed")
    sys.exit(77)

# A hash of the picture an <img> shows now, drawn through a canvas; null before it has one.
PICTURE_HASH = """
const img = document.getElementById(arguments[0]);
if (!img || !img.naturalWidth) return null;
const canvas = document.createElement('canvas');
canvas.width = img.naturalWidth; canvas.height = img.naturalHeight;
const context = canvas.getContext('2d');
context.drawImage(img, 0, 0);
const data = context.getImageData(0, 0, canvas.width, canvas.height).data;
let hash = 0;
for (let i = 0; i < data.length; i += 97) hash = (hash * 31 + data[i]) >>> 0;
return [img.naturalWidth, img.naturalHeight, hash];
"""


class BrowserSession(unittest.TestCase):
    def setUp(self):
        shutil.rmtree(WORK_DIR, ignore_errors=True)
        self.server = Server(KYCAMERA, WORK_DIR)
        self.profile = tempfile.mkdtemp(prefix="kycamera-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     "--disable-dev-shm-usage", "--window-size=1500,1050",
                     "--user-data-dir=" + self.profile]:
            options.add_argument(flag)
        self.driver = webdriver.Chrome(service=Service(DRIVER), options=options)
        self.url = "http://127.0.0.1:%d/" % self.server.port

    def tearDown(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)
        self.assertEqual(self.server.stop(), 0, self.server.output())

    def until(self, condition, what, timeout=15):
        """The condition's first true value; fails the test when it never comes."""
        try:
            return WebDriverWait(self.driver, timeout, poll_frequency=0.1).until(
                lambda driver: condition())
        except Exception:
            self.fail("timed out waiting for " + what)

    def files(self, view):
        """(name, is current) of each entry the page shows in the view."""
        # Read in one script, so that a list the page renders anew meanwhile cannot go stale.
        return [tuple(item) for item in self.driver.execute_script(
            "return [...document.querySelectorAll(arguments[0])].map("
            "(item) => [item.dataset.name, item.classList.contains('current')]);",
            '.view[data-view="%s"] .file' % view)]

    def click(self, selector):
        self.driver.find_element(By.CSS_SELECTOR, selector).click()

    def pictures_change(self, image_id, what):
        first = self.until(lambda: self.driver.execute_script(PICTURE_HASH, image_id), what)
        self.until(lambda: (self.driver.execute_script(PICTURE_HASH, image_id) or first) != first,
                   what + " changing")
        return first

    def test_the_whole_interface(self):
        driver = self.driver
        driver.get(self.url)
        self.until(lambda: driver.find_element(By.ID, "status").text == "connected",
                   "the event stream")
        width, height, _ = self.pictures_change("live", "live frames")
        self.assertEqual((width, height), (640, 480))
        print("live view: %dx%d, new pictures arriving" % (width, height))

        # Record 2 s, watching the statistics move on the page.
        self.click("#record")
        self.until(lambda: driver.find_element(By.ID, "rec").is_displayed(), "recording")
        time.sleep(2.0)
        written = int(driver.find_element(By.ID, "s-written").text)
        self.assertGreater(written, 18)
        self.click("#stop")
        self.until(lambda: len(self.files("video")) == 1, "the video in the catalogue")
        self.assertFalse(driver.find_element(By.ID, "rec").is_displayed())
        self.click("#capture")
        self.until(lambda: len(self.files("picture")) == 1, "the picture in the catalogue")

        # Every message the component posted (record, stop, capture) is listed on the page.
        posted = [m["seq"] for m in self.server.state()["messages"]]
        self.assertGreaterEqual(len(posted), 3)
        self.until(lambda: sorted(driver.execute_script(
            "return [...document.querySelectorAll('#messages li')].map((i) => +i.dataset.seq);"))
                   == posted[-8:], "the posted messages on the page")

        video, picture = self.files("video")[0][0], self.files("picture")[0][0]
        self.assertEqual(self.files("video"), [(video, True)])
        self.assertEqual(self.files("picture"), [(picture, True)])
        self.assertEqual(self.files("all"), [(video, False), (picture, True)])
        self.assertEqual(sorted(os.listdir(self.server.media)), sorted([video, picture]))
        print("catalogue: video %s, picture %s, both current in their views" % (video, picture))

        # A second page stays in step with the first.
        first_window = driver.current_window_handle
        driver.switch_to.new_window("tab")
        driver.get(self.url)
        self.until(lambda: len(self.files("all")) == 2, "the second page's catalogue")
        second_window = driver.current_window_handle
        driver.switch_to.window(first_window)

        self.until(lambda: driver.execute_script(
            "return [...document.querySelectorAll('.file img')].every((i) => i.naturalWidth > 0);"),
                   "the thumbnails")
        driver.save_screenshot(SCREENSHOT)
        print("screenshot: " + SCREENSHOT)

        self.click('.view[data-view="video"] .file .play')
        self.until(lambda: driver.find_element(By.ID, "player").is_displayed(), "the player")
        width, height, _ = self.pictures_change("playback", "the stored video playing")
        print("playback: %dx%d frames of %s" % (width, height, video))
        self.click("#close-player")

        self.click('.view[data-view="picture"] .file .remove')
        alert = self.until(lambda: driver.switch_to.alert, "the confirmation")
        self.assertIn(picture, alert.text)
        alert.accept()
        self.until(lambda: self.files("picture") == [], "the picture gone from the page")
        # The views point where the component put them after the removal.
        current = self.server.state()["current"]
        after = [(video, current["all"] == 0)]
        self.assertEqual(self.files("all"), after)
        self.assertEqual(self.files("video"), [(video, current["video"] == 0)])
        self.assertEqual(os.listdir(self.server.media), [video])
        started = time.monotonic()
        driver.switch_to.window(second_window)
        self.until(lambda: self.files("all") == after, "the second page in step", 2)
        print("removed %s; on disk as on the page: %s; second page in step after %.2f s" %
              (picture, video, time.monotonic() - started))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
