"""kycamera serve under load: 20 live viewers, one never reading, while a recording runs.

usage: serve_load_test.py KYCAMERA WORK_DIR
The recording must still write 18 frames per second (its own statistics) without dropping,
and every reading viewer must keep receiving frames.
"""
import os
import shutil
import sys
import time
import unittest

from serve_support import Server
from serve_viewers import Viewer

KYCAMERA, WORK_DIR = sys.argv[1], sys.argv[2]  # a third argument is not used
VIEWERS = 20
RECORD_SECONDS = 4.0


class TwentyViewers(unittest.TestCase):
    def setUp(self):
        shutil.rmtree(WORK_DIR, ignore_errors=True)
        self.server = Server(KYCAMERA, WORK_DIR)
        self.viewers = []

    def tearDown(self):
        for viewer in self.viewers:
            viewer.close()
        self.assertEqual(self.server.stop(), 0, self.server.output())

    def test_a_stalled_viewer_slows_nobody(self):
        self.viewers = [Viewer(self.server.port, reading=n > 0) for n in range(VIEWERS)]
        self.server.wait_for(lambda s: s["live"]["viewers"] == VIEWERS, "every viewer")
        self.assertEqual(self.server.post("/api/record")[0], 200)
        self.server.wait_for(lambda s: s["recording"], "the recording")
        before = [viewer.frames for viewer in self.viewers]
        time.sleep(RECORD_SECONDS)
        received = [viewer.frames - first for viewer, first in zip(self.viewers, before)]
        self.assertEqual(self.server.post("/api/stop")[0], 200)
        stats = self.server.wait_for(lambda s: not s["recording"], "the stop")["stats"]

        rate = stats["written"] / stats["elapsedS"]
        print("recording: %d frames written in %.2f s = %.2f fps, %d repeated, %d dropped" %
              (stats["written"], stats["elapsedS"], rate, stats["repeated"], stats["dropped"]))
        print("frames received per reading viewer in %.1f s: min %d, max %d" %
              (RECORD_SECONDS, min(received[1:]), max(received[1:])))
        self.assertGreaterEqual(rate, 17.5)
        self.assertEqual(stats["dropped"], 0)
        # A reading viewer may miss frames on a busy machine, but never stops receiving them.
        for n, count in enumerate(received[1:], 1):
            with self.subTest(viewer=n):
                self.assertGreaterEqual(count, RECORD_SECONDS * 18 / 4)
        self.assertEqual(len(os.listdir(self.server.media)), 1)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
