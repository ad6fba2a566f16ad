#!/usr/bin/env python3
"""Offset accuracy of SntpQuery.exe (under Wine), one exchange and a burst, beside ntpdig
and chrony's one-shot measurement, on a clean and on jittery paths.

Every client queries the reference SNTP server on 127.0.0.1 port 123, whose clock is set
off from the host's by a known offset and whose replies travel a known path: a symmetric
delay plus, per direction, a random extra delay (exponential, with the given mean). Since
the host clock is every client's clock (Wine programs read the host's clock), the error of
one measurement is |measured offset - injected offset|. The clients take turns, so all see
the same machine load. Needs root (port 123), wine, ntpdig and chronyd.
"""

import argparse
import json
import math
import os
import pathlib
import platform
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
CHRONY_TIMEOUT_SECONDS = 30
SERVER_START_SECONDS = 10
BURST_SAMPLES = 4
OFFSET_LINE = re.compile(r"^offset=([-+0-9.]+)\s*$", re.MULTILINE)
CHRONY_LINE = re.compile(r"System clock wrong by (-?[0-9.]+) seconds")
# (label, round-trip delay, mean extra delay of each direction), seconds.
PATHS = (
    ("0 ms", 0.0, 0.0),
    ("20 ms, jitter 2 ms", 0.020, 0.002),
    ("20 ms, jitter 10 ms", 0.020, 0.010),
)
CLIENTS = ("SntpQuery", "SntpQuery --samples 4", "ntpdig", "chrony -Q")
REFERENCES = ("ntpdig", "chrony -Q")


def percentile(values, fraction):
    """Nearest-rank percentile."""
    ordered = sorted(values)
    return ordered[max(1, math.ceil(fraction * len(ordered))) - 1]


class ReferenceServer:
    """The reference server, with its settings changed over stdin between paths. Its
    output (a line per request) is read all along, so its pipe never fills up."""

    def __init__(self, offset):
        self.process = subprocess.Popen(
            [sys.executable, str(SERVER_SCRIPT), "--commands", "--offset", repr(offset)],
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

    def set(self, key, value):
        self.process.stdin.write("%s %r\n" % (key, value))
        self.process.stdin.flush()
        self.expect("ok " + key)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


def wine_environment(prefix):
    env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all")
    env.pop("DISPLAY", None)  # a console program needs no display
    return env


def query_sntpquery(exe, env, samples):
    run = subprocess.run(["wine", str(exe), SERVER_ADDRESS, "--timeout", str(CLIENT_TIMEOUT_SECONDS),
                          "--samples", str(samples)],
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


def query_chrony():
    """chronyd measuring once and setting nothing; "wrong by" is positive when the local
    clock is behind, as the other clients' offsets are."""
    run = subprocess.run(["chronyd", "-Q", "-t", str(CHRONY_TIMEOUT_SECONDS), "-f", "/dev/null",
                          "server %s iburst maxsamples %d" % (SERVER_ADDRESS, BURST_SAMPLES)],
                         capture_output=True, text=True, timeout=60)
    found = CHRONY_LINE.search(run.stdout + run.stderr)
    if not found:
        raise RuntimeError("chronyd failed (%d): %s" % (run.returncode, run.stdout + run.stderr))
    return float(found.group(1))


def summarise(errors):
    """Median and 95th percentile of the absolute error, and the median signed error
    (its bias), all in milliseconds."""
    absolute = [abs(e) for e in errors]
    return (statistics.median(absolute) * 1e3, percentile(absolute, 0.95) * 1e3,
            statistics.median(errors) * 1e3)


def ratio_text(a, b):
    return "%.2f" % (a / b) if b else "-"


def print_table(results, n, seconds):
    print("Offset error in ms: median and 95th percentile of |measured - injected|, bias = median"
          " signed error;\n%d measurements per client and path, clients taking turns; %.0f s in all.\n"
          % (n, seconds))
    print("| path | client | median | p95 | bias | median / ntpdig | p95 / ntpdig | median / chrony | p95 / chrony |")
    print("|---|---|---:|---:|---:|---:|---:|---:|---:|")
    for label, _, _ in PATHS:
        summaries = {client: summarise(results[label][client]) for client in CLIENTS}
        for client in CLIENTS:
            median, p95, bias = summaries[client]
            cells = [label, "`%s`" % client, "%.3f" % median, "%.3f" % p95, "%+.3f" % bias]
            for reference in REFERENCES:
                ref_median, ref_p95, _ = summaries[reference]
                cells += [ratio_text(median, ref_median), ratio_text(p95, ref_p95)]
            print("| " + " | ".join(cells) + " |")


def machine_text():
    model = "unknown CPU"
    try:
        for line in pathlib.Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    return "%s, %d cores, Linux %s, %s" % (model, os.cpu_count() or 0, platform.release(),
                                            subprocess.run(["wine", "--version"], capture_output=True,
                                                           text=True).stdout.strip())


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", type=pathlib.Path, default=DEFAULT_EXE, help="SntpQuery.exe to measure")
    parser.add_argument("-n", type=int, default=40, help="measurements per client and path")
    parser.add_argument("--offset", type=float, default=2.5, help="injected offset, seconds")
    parser.add_argument("--raw", type=pathlib.Path, help="write every signed error (s) here as JSON")
    parser.add_argument("--wineprefix", type=pathlib.Path,
                        help="an existing Wine prefix (default: a new one, removed afterwards)")
    return parser.parse_args()


def main():
    args = parse_arguments()
    if not args.exe.exists():
        sys.exit("no %s: build the windows preset first" % args.exe)
    for tool in ("wine", "wineserver", "ntpdig", "chronyd"):
        if shutil.which(tool) is None:
            sys.exit("%s is not installed" % tool)

    own_prefix = args.wineprefix is None
    prefix = pathlib.Path(tempfile.mkdtemp(prefix="horvane-bench-wine-")) if own_prefix else args.wineprefix
    env = wine_environment(prefix)
    if own_prefix:
        # Wine's own daemons inherit output pipes and would hold a capture open: no pipes here.
        subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=True, timeout=300)
    # A wineserver that stays up between runs keeps each start-up short.
    subprocess.run(["wineserver", "-p"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    queries = {
        "SntpQuery": lambda: query_sntpquery(args.exe, env, 1),
        "SntpQuery --samples 4": lambda: query_sntpquery(args.exe, env, BURST_SAMPLES),
        "ntpdig": query_ntpdig,
        "chrony -Q": query_chrony,
    }
    server = ReferenceServer(args.offset)
    results = {label: {client: [] for client in CLIENTS} for label, _, _ in PATHS}
    print("Machine: " + machine_text(), flush=True)
    started = time.monotonic()
    try:
        query_sntpquery(args.exe, env, 1)  # warm-up, not counted
        for label, delay, jitter in PATHS:
            server.set("delay", delay)
            server.set("jitter", jitter)
            for turn in range(args.n):
                # Each client goes first in turn, so none always follows the same one.
                order = CLIENTS[turn % len(CLIENTS):] + CLIENTS[:turn % len(CLIENTS)]
                for client in order:
                    results[label][client].append(queries[client]() - args.offset)
            print("%s: done after %.0f s" % (label, time.monotonic() - started), flush=True)
    finally:
        server.stop()
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        if own_prefix:
            shutil.rmtree(prefix, ignore_errors=True)
    if args.raw:
        args.raw.write_text(json.dumps(results, indent=1))
    print_table(results, args.n, time.monotonic() - started)
    return 0


if __name__ == "__main__":
    sys.exit(main())
