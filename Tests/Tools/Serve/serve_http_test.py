"""kycamera serve at the HTTP level: bad requests get 4xx and change nothing on disk or in state.

usage: serve_http_test.py KYCAMERA WORK_DIR
"""
import os
import shutil
import sys
import unittest

from serve_support import Server, record_and_capture

KYCAMERA, WORK_DIR = sys.argv[1], sys.argv[2]  # a third argument is not used


class BadRequestsChangeNothing(unittest.TestCase):
    """One server with a video and a picture; every bad request is checked against the disk."""

    @classmethod
    def setUpClass(cls):
        shutil.rmtree(WORK_DIR, ignore_errors=True)
        cls.server = Server(KYCAMERA, os.path.join(WORK_DIR, "loopback"))
        record_and_capture(cls.server, seconds=1.0)
        cls.disk = cls.server.disk()
        cls.catalogue = cls.server.state()["files"]

    @classmethod
    def tearDownClass(cls):
        assert cls.server.stop() == 0, cls.server.output()

    def assertUnchanged(self):
        self.assertEqual(self.server.disk(), self.disk)
        self.assertEqual(self.server.state()["files"], self.catalogue)

    def head(self, target, extra=b""):
        return (b"GET " + target + b" HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n" % self.server.port +
                extra + b"\r\n")

    def test_paths_outside_the_catalogue(self):
        for target in [b"/media/../../../etc/passwd", b"/media/video/..%2f..%2fetc%2fpasswd",
                       b"/%2e%2e/%2e%2e/etc/passwd", b"/media/video/0%00", b"/media/video/-1",
                       b"/media/video/0/../../../etc/passwd", b"/media//etc/passwd",
                       b"/thumb/video/..%5c..%5cwin.ini", b"/media/" + self.disk_name().encode(),
                       b"/play/%2fetc%2fpasswd/0", b"/app.js/../../etc/passwd"]:
            with self.subTest(target=target):
                status = self.server.raw(self.head(target))
                self.assertTrue(400 <= status < 500, status)
        self.assertUnchanged()

    def disk_name(self):
        return next(iter(self.disk))

    def test_unknown_views_and_positions(self):
        for path in ["/media/video/1", "/media/picture/7", "/media/all/2", "/thumb/all/999999",
                     "/play/picture/0", "/play/video/3", "/media/movies/0", "/thumb/video/1234567",
                     "/media/all/0?name=other.avi", "/play/video/0?name=..%2f..%2fetc%2fpasswd"]:
            with self.subTest(path=path):
                status = self.server.request("GET", path)[0]
                self.assertIn(status, (400, 404, 409))
        for query in ["view=video&pos=1", "view=picture&pos=5", "view=movies&pos=0",
                      "view=all&pos=-1", "view=all&pos=1e0", "view=all", "pos=0",
                      "view=all&pos=0&name=other.jpg", "view=all&pos=1&name=..%2f..%2fx"]:
            for action in ["remove", "select"]:
                with self.subTest(action=action, query=query):
                    status = self.server.post("/api/%s?%s" % (action, query))[0]
                    self.assertIn(status, (400, 404, 409))
        for query in ["mode=record", "mode=camera&type=sound", "mode="]:
            with self.subTest(query=query):
                self.assertEqual(self.server.post("/api/mode?" + query)[0], 400)
        self.assertUnchanged()

    def test_oversized_and_malformed_requests(self):
        port = self.server.port
        token = self.server.token.encode()
        post = b"POST /api/remove?view=all&pos=0 HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n" \
               b"X-Kycamera-Token: %s\r\n" % (port, token)
        cases = {
            "long target": self.head(b"/" + b"a" * 9000),
            "target over our limit": self.head(b"/media/all/0?" + b"x" * 2000),
            "long header": self.head(b"/", b"X-Big: " + b"b" * 10000 + b"\r\n"),
            "many headers": self.head(b"/", b"".join(b"X-H%d: v\r\n" % n for n in range(100))),
            "large body": post + b"Content-Length: 100000\r\n\r\n" + b"x" * 100000,
            "bad length": post + b"Content-Length: abc\r\n\r\n",
            "two lengths": post + b"Content-Length: 0\r\nContent-Length: 5\r\n\r\nxxxxx",
            "bad chunk": post + b"Transfer-Encoding: chunked\r\n\r\nzz\r\n",
            "garbage": b"GARBAGE\r\n\r\n",
            "no target": b"GET\r\n\r\n",
            "bad version": b"GET / HTTP/9.9\r\nHost: 127.0.0.1:%d\r\n\r\n" % port,
            "no host": b"GET / HTTP/1.1\r\n\r\n",
            "foreign host": b"GET / HTTP/1.1\r\nHost: attacker.example:%d\r\n\r\n" % port,
            "delete": b"DELETE /media/all/0 HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n\r\n" % port,
        }
        for name, data in cases.items():
            with self.subTest(case=name):
                status = self.server.raw(data)
                self.assertTrue(400 <= status < 500, status)
        self.assertUnchanged()

    def test_the_body_limit_is_inclusive(self):
        for size, status in [(4096, 400), (4097, 413)]:  # 400: a change without parameters
            with self.subTest(body=size):
                data = (b"POST /api/mode HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nX-Kycamera-Token: %s\r\n"
                        b"Content-Length: %d\r\n\r\n" % (self.server.port, self.server.token.encode(), size))
                self.assertEqual(self.server.raw(data + b"x" * size), status)
        self.assertUnchanged()

    def test_changes_need_post_and_the_token(self):
        for path in ["/api/remove?view=all&pos=0", "/api/record", "/api/capture"]:
            with self.subTest(method="GET", path=path):
                self.assertEqual(self.server.request("GET", path)[0], 405)
            with self.subTest(token="missing", path=path):
                self.assertEqual(self.server.request("POST", path, body=b"")[0], 403)
            with self.subTest(token="wrong", path=path):
                self.assertEqual(self.server.post(path, token="0" * 32)[0], 403)
        self.assertUnchanged()


class ListenNeedsTheToken(unittest.TestCase):
    """--listen: nothing is answered without the token; the first visit sets the cookie."""

    def setUp(self):
        work = os.path.join(WORK_DIR, "listen")
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(os.path.join(work, "media"))
        with open(os.path.join(work, "media", "20200101-000000.jpg"), "wb") as picture:
            picture.write(b"\xff\xd8")
        self.server = Server(KYCAMERA, work, listen="127.0.0.1:0")

    def tearDown(self):
        self.assertEqual(self.server.stop(), 0, self.server.output())

    def test_requests_without_the_token(self):
        wrong = "f" * 32
        for path in ["/", "/app.js", "/api/state", "/api/events", "/live.mjpg", "/media/all/0",
                     "/?token=" + wrong, "/?token="]:
            for name, headers in [("none", {}), ("wrong header", {"X-Kycamera-Token": wrong}),
                                  ("wrong cookie", {"Cookie": "kycamera_token=" + wrong})]:
                with self.subTest(path=path, token=name):
                    self.assertEqual(self.server.request("GET", path, headers)[0], 401)
        for name, headers in [("none", {}), ("cookie only",
                                             {"Cookie": "kycamera_token=" + self.server.token})]:
            with self.subTest(post=name):
                status = self.server.request("POST", "/api/record", headers, body=b"")[0]
                self.assertIn(status, (401, 403))
        self.assertFalse(self.server.state()["recording"])

    def test_first_visit_sets_the_cookie(self):
        status, headers, _ = self.server.request("GET", "/?token=" + self.server.token)
        self.assertEqual(status, 303)
        cookie = headers["Set-Cookie"].split(";")[0]
        self.assertIn("HttpOnly", headers["Set-Cookie"])
        self.assertEqual(self.server.request("GET", "/api/state", {"Cookie": cookie})[0], 200)
        # Among other cookies, with or without a space after the separator; never as the tail
        # of another cookie's name.
        for others, status in [("a=1; " + cookie, 200), ("a=1;" + cookie, 200),
                               ("x" + cookie, 401)]:
            with self.subTest(cookies=others):
                self.assertEqual(
                    self.server.request("GET", "/api/state", {"Cookie": others})[0], status)
        status, _, body = self.server.request("GET", "/media/all/0", {"Cookie": cookie})
        self.assertEqual((status, body), (200, b"\xff\xd8"))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
