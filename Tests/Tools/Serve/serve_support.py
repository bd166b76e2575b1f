"""Starting and stopping `kycamera serve` for the tests, and talking to it on the loopback address."""
import http.client
import os
import re
import signal
import socket
import subprocess
import time


class Server:
    """A `kycamera serve --port 0` (or --listen) in its own media directory; stops with SIGINT."""

    def __init__(self, kycamera, work_dir, listen=None, extra=()):
        self.media = os.path.join(work_dir, "media")
        os.makedirs(work_dir, exist_ok=True)
        args = [kycamera, "serve", "--media", self.media]
        args += ["--listen", listen] if listen else ["--port", "0"]
        args += list(extra)
        self.log_path = os.path.join(work_dir, "serve.log")
        self.log = open(self.log_path, "w+")
        self.process = subprocess.Popen(args, stdout=self.log, stderr=subprocess.STDOUT,
                                        stdin=subprocess.DEVNULL)
        self.port = None
        self.token = None
        deadline = time.monotonic() + 20
        while self.port is None:
            if time.monotonic() > deadline or self.process.poll() is not None:
                text = self.output()
                self.stop()
                raise RuntimeError("kycamera serve did not start:\n" + text)
            time.sleep(0.05)
            text = self.output()
            found = re.search(r"open http://127\.0\.0\.1:(\d+)/", text)
            if found:
                self.port = int(found.group(1))
                token = re.search(r"access token: ([0-9a-f]{32})", text)
                self.token = token.group(1) if token else None
        if self.token is None:
            self.token = self.page_token()

    def output(self):
        if not self.log.closed:
            self.log.flush()
        with open(self.log_path) as log:
            return log.read()

    def connection(self, timeout=10):
        return http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)

    def request(self, method, path, headers=None, body=None):
        """(status, headers, body bytes) of one request on a fresh connection."""
        connection = self.connection()
        try:
            connection.request(method, path, body=body, headers=headers or {})
            response = connection.getresponse()
            return response.status, dict(response.getheaders()), response.read()
        finally:
            connection.close()

    def page_token(self):
        status, _, body = self.request("GET", "/")
        found = re.search(rb'name="kycamera-token" content="([0-9a-f]{32})"', body)
        return found.group(1).decode() if found else None

    def post(self, path, token=None, headers=None, body=b""):
        all_headers = {"X-Kycamera-Token": token or self.token}
        all_headers.update(headers or {})
        return self.request("POST", path, headers=all_headers, body=body)

    def raw(self, data, timeout=5):
        """The status code of the answer to the raw bytes (0 when the server only closed)."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=timeout) as sock:
            answer = b""
            try:
                sock.sendall(data)
                while len(answer) < 16:
                    chunk = sock.recv(4096)
                    if not chunk:
                        break
                    answer += chunk
            except (BrokenPipeError, ConnectionResetError, socket.timeout):
                pass
        found = re.match(rb"HTTP/1\.[01] (\d{3})", answer)
        return int(found.group(1)) if found else 0

    def state(self):
        import json
        status, _, body = self.request("GET", "/api/state",
                                       headers={"X-Kycamera-Token": self.token})
        assert status == 200, status
        return json.loads(body)

    def wait_for(self, predicate, what, timeout=15):
        """The first state for which predicate holds; raises when it never comes."""
        deadline = time.monotonic() + timeout
        while True:
            state = self.state()
            if predicate(state):
                return state
            if time.monotonic() > deadline:
                raise AssertionError("timed out waiting for " + what + ": " + str(state))
            time.sleep(0.1)

    def disk(self):
        """{name: size} of the media directory."""
        return {name: os.path.getsize(os.path.join(self.media, name))
                for name in sorted(os.listdir(self.media))}

    def stop(self):
        """SIGINT, as Ctrl-C; the exit code."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGINT)
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()
        return self.process.returncode


def record_and_capture(server, seconds=2.0):
    """One video of about `seconds` and one picture, made through the server's own endpoints."""
    assert server.post("/api/record")[0] == 200
    server.wait_for(lambda s: s["recording"], "the recording to start")
    # A picture now would end the recording (StartVideo stops first): it is refused instead.
    assert server.post("/api/capture")[0] == 409
    time.sleep(seconds)
    assert server.state()["recording"]
    assert server.post("/api/stop")[0] == 200
    assert server.post("/api/capture")[0] == 200
    return server.wait_for(lambda s: len(s["files"]) == 2, "a video and a picture")
