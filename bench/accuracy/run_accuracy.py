#!/usr/bin/env python3
"""Offset accuracy of SntpQuery.exe (under Wine) beside ntpsec's ntpdig.

Both clients query the reference SNTP server on 127.0.0.1 port 123, whose clock is set
off from the host's by a known offset and whose replies travel a known symmetric delay.
Since the host clock is the clock of both clients (Wine programs read the host's clock),
the error of one exchange is |measured offset - injected offset|. The two clients take
turns, so both see the same machine load. Needs root (port 123), wine and ntpdig.
"""

import argparse
import json
import math
import os
import pathlib
import queue
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

REPO = pathlib.Path(__file__).resolve().parents[2]
SERVER_SCRIPT = REPO / "tools" / "sntp_reference_server.py"
DEFAULT_EXE = REPO / "build" / "windows" / "tools" / "sntpquery" / "SntpQuery.exe"
SERVER_ADDRESS = "127.0.0.1"
CLIENT_TIMEOUT_SECONDS = 5
SERVER_START_SECONDS = 10
ROW = "%-9s %8.3f %8.3f %8.3f   %8.3f %8.3f %8.3f   %6.2f %6.2f"
HEADER = "%-9s %8s %8s %8s   %8s %8s %8s   %6s %6s"
OFFSET_LINE = re.compile(r"^offset=([-+0-9.]+)\s*$", re.MULTILINE)


def percentile(values, fraction):
    """Nearest-rank percentile."""
    ordered = sorted(values)
    return ordered[max(1, math.ceil(fraction * len(ordered))) - 1]


class ReferenceServer:
    """The reference server, with its settings changed over stdin between batches. Its
    output (a line per request) is read all along, so its pipe never fills up."""

    def __init__(self, delay):
        self.process = subprocess.Popen(
            [sys.executable, str(SERVER_SCRIPT), "--commands", "--delay", repr(delay)],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.expect("listening on")

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line)
        self.lines.put(None)

    def expect(self, prefix):
        deadline = time.monotonic() + SERVER_START_SECONDS
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise RuntimeError("reference server did not answer with " + prefix) from None
            if line is None:
                raise RuntimeError("reference server ended early")
            if line.startswith(prefix):
                return line

    def set_offset(self, offset):
        self.process.stdin.write("offset %r\n" % offset)
        self.process.stdin.flush()
        self.expect("ok offset")

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


def wine_environment(prefix):
    env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all")
    env.pop("DISPLAY", None)  # a console program needs no display
    return env


def query_sntpquery(exe, env):
    run = subprocess.run(["wine", str(exe), SERVER_ADDRESS, "--timeout", str(CLIENT_TIMEOUT_SECONDS)],
                         env=env, capture_output=True, text=True, timeout=60)
    found = OFFSET_LINE.search(run.stdout.replace("\r", ""))
    if run.returncode != 0 or not found:
        raise RuntimeError("SntpQuery failed (%d): %s" % (run.returncode, run.stdout + run.stderr))
    return float(found.group(1))


def query_ntpdig():
    run = subprocess.run(["ntpdig", "-j", "-t", str(CLIENT_TIMEOUT_SECONDS), SERVER_ADDRESS],
                         capture_output=True, text=True, timeout=60)
    if run.returncode != 0:
        raise RuntimeError("ntpdig failed (%d): %s" % (run.returncode, run.stdout + run.stderr))
    return float(json.loads(run.stdout.strip().splitlines()[-1])["offset"])


def summarise(errors):
    """Median and 95th percentile of the absolute error, and the median signed error
    (its bias), all in milliseconds."""
    absolute = [abs(e) for e in errors]
    return (statistics.median(absolute) * 1e3, percentile(absolute, 0.95) * 1e3,
            statistics.median(errors) * 1e3)


def ratio(a, b):
    return a / b if b else float("inf")


def print_row(label, ours, theirs):
    ours_median, ours_p95, ours_bias = summarise(ours)
    theirs_median, theirs_p95, theirs_bias = summarise(theirs)
    print(ROW % (label, ours_median, ours_p95, ours_bias, theirs_median, theirs_p95, theirs_bias,
                 ratio(ours_median, theirs_median), ratio(ours_p95, theirs_p95)))


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", type=pathlib.Path, default=DEFAULT_EXE, help="SntpQuery.exe to measure")
    parser.add_argument("-n", type=int, default=100, help="exchanges per client and offset")
    parser.add_argument("--offsets", default="2.5,-1.234,0", help="injected offsets, seconds")
    parser.add_argument("--delay", type=float, default=0.020, help="symmetric round-trip delay, seconds")
    parser.add_argument("--wineprefix", type=pathlib.Path,
                        help="an existing Wine prefix (default: a new one, removed afterwards)")
    return parser.parse_args()


def main():
    args = parse_arguments()
    if not args.exe.exists():
        sys.exit("no %s: build the windows preset first" % args.exe)
    for tool in ("wine", "wineserver", "ntpdig"):
        if shutil.which(tool) is None:
            sys.exit("%s is not installed" % tool)
    offsets = [float(v) for v in args.offsets.split(",")]

    own_prefix = args.wineprefix is None
    prefix = pathlib.Path(tempfile.mkdtemp(prefix="horvane-bench-wine-")) if own_prefix else args.wineprefix
    env = wine_environment(prefix)
    if own_prefix:
        # Wine's own daemons inherit output pipes and would hold a capture open: no pipes here.
        subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=True, timeout=300)
    # A wineserver that stays up between runs keeps each start-up short.
    subprocess.run(["wineserver", "-p"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    server = ReferenceServer(args.delay)
    ours_all, theirs_all = [], []
    rows = []
    started = time.monotonic()
    try:
        query_sntpquery(args.exe, env)  # warm-up, not counted
        for offset in offsets:
            server.set_offset(offset)
            ours, theirs = [], []
            for _ in range(args.n):
                ours.append(query_sntpquery(args.exe, env) - offset)
                theirs.append(query_ntpdig() - offset)
            rows.append(("%+.3f s" % offset, ours, theirs))
            ours_all += ours
            theirs_all += theirs
    finally:
        server.stop()
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        if own_prefix:
            shutil.rmtree(prefix, ignore_errors=True)

    print("Offset error in ms (median and p95 of the absolute error, bias = median signed error);\n"
          "%d exchanges per client and offset, symmetric delay %.1f ms, "
          "loopback; %.0f s in all." % (args.n, args.delay * 1e3, time.monotonic() - started))
    print(HEADER % ("", "SntpQuery", "", "", "ntpdig", "", "", "ratio", ""))
    print(HEADER % ("offset", "median", "p95", "bias", "median", "p95", "bias", "median", "p95"))
    for label, ours, theirs in rows:
        print_row(label, ours, theirs)
    print_row("all", ours_all, theirs_all)
    return 0


if __name__ == "__main__":
    sys.exit(main())
