#!/usr/bin/env python3
"""CPU cost of live viewers of `kycamera serve`: the server process's CPU time per second with
0, 1, 5, 10 and 20 reading viewers of /live.mjpg (synthetic camera, 640x480 at 18 fps, no
recording), medians of several rounds taken in random order.

usage: Bench/serve_viewers_bench.py build/linux/bin/kycamera [rounds]
"""
import os
import random
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Tests",
                                "Tools", "Serve"))
from serve_support import Server  # noqa: E402
from serve_viewers import Viewer  # noqa: E402

COUNTS = [0, 1, 5, 10, 20]
SECONDS = 4.0
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


def measure(server, count):
    viewers = [Viewer(server.port) for _ in range(count)]
    try:
        server.wait_for(lambda s: s["live"]["viewers"] == count, "%d viewers" % count)
        time.sleep(1.0)
        frames_before = sum(v.frames for v in viewers)
        cpu_before, wall_before = cpu_seconds(server.process.pid), time.monotonic()
        time.sleep(SECONDS)
        cpu = cpu_seconds(server.process.pid) - cpu_before
        wall = time.monotonic() - wall_before
        frames = sum(v.frames for v in viewers) - frames_before
        return cpu / wall, frames / wall / max(count, 1)
    finally:
        for viewer in viewers:
            viewer.close()


def main():
    kycamera = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    with tempfile.TemporaryDirectory() as work:
        server = Server(kycamera, work)
        try:
            results = {count: [] for count in COUNTS}
            rates = {count: [] for count in COUNTS}
            for _ in range(rounds):
                for count in random.sample(COUNTS, len(COUNTS)):
                    cpu, rate = measure(server, count)
                    results[count].append(cpu)
                    rates[count].append(rate)
        finally:
            server.stop()
    print("viewers  server CPU (ms per s, median of %d)  frames/s per viewer" % rounds)
    medians = {count: statistics.median(values) * 1000 for count, values in results.items()}
    for count in COUNTS:
        print("%7d  %30.1f  %19.1f" % (count, medians[count], statistics.median(rates[count])))
    per_viewer = (medians[20] - medians[1]) / 19
    print("encoding (1 viewer - 0 viewers): %.1f ms per s" % (medians[1] - medians[0]))
    print("each further viewer ((20 - 1) / 19): %.2f ms per s = %.2f%% of one core" %
          (per_viewer, per_viewer / 10))


if __name__ == "__main__":
    main()
