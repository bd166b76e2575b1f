"""A viewer of the live MJPEG stream on its own socket and thread, counting the frames it gets."""
import socket
import threading

BOUNDARY = b"--kyframe\r\n"


class Viewer:
    """reading=False: sends the request and never reads, with a small receive buffer, so that
    the server's socket to it fills up at once (a stalled browser)."""

    def __init__(self, port, reading=True, path="/live.mjpg"):
        self.frames = 0
        self.bytes = 0
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        if not reading:
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        self.sock.connect(("127.0.0.1", port))
        self.sock.sendall(b"GET %s HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n\r\n" % (path.encode(), port))
        self.closed = False
        self.thread = None
        if reading:
            self.thread = threading.Thread(target=self.read, daemon=True)
            self.thread.start()

    def read(self):
        tail = b""
        while not self.closed:
            try:
                chunk = self.sock.recv(65536)
            except OSError:
                return
            if not chunk:
                return
            self.bytes += len(chunk)
            data = tail + chunk
            self.frames += data.count(BOUNDARY)
            tail = data[-(len(BOUNDARY) - 1):]

    def close(self):
        self.closed = True
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()
        if self.thread:
            self.thread.join(timeout=5)
