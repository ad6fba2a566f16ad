#!/usr/bin/env python3
"""Reference SNTP server for the end-to-end tests and the accuracy benchmark.

Answers client requests on UDP (127.0.0.1 port 123 by default) with a clock that can be
set off from the host's, a holding time between its receive and transmit stamps, a
symmetric path delay, a jittery path (each direction of each exchange delayed by its own
random extra, exponential with the given mean, as on a queue: most packets quick, a few
late), silence, or one of several malformed replies that a client must refuse. One line
per request goes to stdout, with the request's arrival time (Unix seconds, "arrival=")
so that a caller can check how far apart requests came; the first line, "listening on
HOST:PORT", tells a caller the socket is ready. SIGTERM (or SIGINT) stops it.

With --commands, settings can also be changed while it runs, one command a line on stdin:
    offset SECONDS | hold SECONDS | delay SECONDS | jitter SECONDS | silent on|off |
    malformed MODE|none
Each command is acknowledged with a line "ok KEY VALUE".

Python 3 standard library only.
"""

import argparse
import random
import signal
import socket
import struct
import sys
import threading
import time

NTP_UNIX_EPOCH_OFFSET = 2208988800
NTP_ERA = 1 << 32
PACKET_BYTES = 48
MODE_CLIENT = 3
MODE_SERVER = 4
SERVER_STRATUM = 2
SERVER_PRECISION = -20  # about a microsecond
SERVER_ROOT_DELAY = 0x00000010  # 16/65536 s, about 0.24 ms
SERVER_ROOT_DISPERSION = 0x00000020  # about 0.49 ms
SERVER_REFERENCE_ID = bytes([127, 127, 1, 0])
REFERENCE_AGE_SECONDS = 16
SPIN_MARGIN_NS = 2_000_000  # the last 2 ms of a wait are spun, not slept
POLL_INTERVAL_SECONDS = 0.2
# Linux's SO_TIMESTAMPNS (the socket module does not name it): the kernel stamps each
# datagram on arrival, so the request's arrival is known without the wake-up latency.
SO_TIMESTAMPNS = 35

# Each malformed reply breaks exactly one thing a client must check.
MALFORMED_MODES = (
    "short",            # 47 bytes instead of 48
    "wrong-mode",       # mode 5 (broadcast) instead of 4
    "bad-version",      # version 0
    "leap3",            # leap indicator 3: clock not synchronised
    "kod",              # stratum 0, reference id "RATE": a kiss-o'-death
    "stratum16",        # stratum 16: unsynchronised
    "zero-transmit",    # transmit timestamp 0
    "root-distance",    # root dispersion 16 s
    "wrong-originate",  # originate timestamp off by one unit
    "wrong-port",       # a correct reply, but sent from another port
)


class Settings:
    """What the server does with the next request; shared with the stdin reader."""

    def __init__(self, args):
        self.lock = threading.Lock()
        self.offset = args.offset
        self.hold = args.hold
        self.delay = args.delay
        self.jitter = args.jitter
        self.silent = args.silent
        self.malformed = args.malformed

    def snapshot(self):
        with self.lock:
            return (self.offset, self.hold, self.delay, self.jitter, self.silent, self.malformed)

    def apply(self, line):
        words = line.split()
        if len(words) != 2:
            return "error expected: KEY VALUE"
        key, value = words
        with self.lock:
            try:
                if key in ("offset", "hold", "delay", "jitter"):
                    number = float(value)
                    if key != "offset" and number < 0:
                        return "error %s must not be negative" % key
                    setattr(self, key, number)
                elif key == "silent":
                    if value not in ("on", "off"):
                        return "error silent takes on or off"
                    self.silent = value == "on"
                elif key == "malformed":
                    if value != "none" and value not in MALFORMED_MODES:
                        return "error unknown malformed mode %s" % value
                    self.malformed = None if value == "none" else value
                else:
                    return "error unknown setting %s" % key
            except ValueError:
                return "error not a number: %s" % value
        return "ok %s %s" % (key, value)


def ntp_timestamp(unix_ns):
    """64-bit NTP timestamp (seconds mod 2^32, fraction) of a Unix time in nanoseconds."""
    seconds, ns = divmod(unix_ns, 1_000_000_000)
    fraction = (ns << 32) // 1_000_000_000
    return struct.pack("!II", (seconds + NTP_UNIX_EPOCH_OFFSET) % NTP_ERA, fraction)


def wait_until(deadline_ns):
    """Waits for time.time_ns() to reach the deadline: sleeps, then spins the last bit,
    so that a stamp taken before the wait and the send after it are the wait apart."""
    remaining = deadline_ns - time.time_ns()
    if remaining > SPIN_MARGIN_NS:
        time.sleep((remaining - SPIN_MARGIN_NS) / 1e9)
    while time.time_ns() < deadline_ns:
        pass


def build_reply(request, receive_stamp, transmit_stamp, malformed):
    version = (request[0] >> 3) & 7
    if not 1 <= version <= 4:
        version = 4
    leap, mode, stratum = 0, MODE_SERVER, SERVER_STRATUM
    root_dispersion = SERVER_ROOT_DISPERSION
    reference_id = SERVER_REFERENCE_ID
    originate = request[40:48]
    if malformed == "wrong-mode":
        mode = 5
    elif malformed == "bad-version":
        version = 0
    elif malformed == "leap3":
        leap = 3
    elif malformed == "kod":
        stratum, reference_id = 0, b"RATE"
    elif malformed == "stratum16":
        stratum = 16
    elif malformed == "zero-transmit":
        transmit_stamp = bytes(8)
    elif malformed == "root-distance":
        root_dispersion = 16 << 16
    elif malformed == "wrong-originate":
        originate = originate[:7] + bytes([originate[7] ^ 1])
    seconds = struct.unpack("!I", receive_stamp[:4])[0]
    reference = struct.pack("!II", (seconds - REFERENCE_AGE_SECONDS) % NTP_ERA, 0)
    reply = struct.pack("!BBbbII4s", (leap << 6) | (version << 3) | mode, stratum,
                        request[2], SERVER_PRECISION, SERVER_ROOT_DELAY, root_dispersion,
                        reference_id)
    reply += reference + originate + receive_stamp + transmit_stamp
    if malformed == "short":
        reply = reply[:PACKET_BYTES - 1]
    return reply


def extra_delay_ns(jitter):
    """One direction's random extra delay: exponential with the mean `jitter` seconds."""
    return round(random.expovariate(1.0 / jitter) * 1e9) if jitter > 0 else 0


def log(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


def answer(sock, other_port_sock, request, sender, arrival_ns, settings):
    """Serves one request on its own thread, so a delayed reply holds up no other."""
    offset, hold, delay, jitter, silent, malformed = settings.snapshot()
    offset_ns = round(offset * 1e9)
    half_delay_ns = round(delay * 1e9 / 2)
    inbound_ns = half_delay_ns + extra_delay_ns(jitter)
    outbound_ns = half_delay_ns + extra_delay_ns(jitter)
    if len(request) < PACKET_BYTES or request[0] & 7 != MODE_CLIENT:
        log("request from %s:%d of %d bytes -> ignored (not a client request)" % (
            sender[0], sender[1], len(request)))
        return
    description = "request from %s:%d arrival=%.6f version=%d mode=%d" % (
        sender[0], sender[1], arrival_ns / 1e9, (request[0] >> 3) & 7, request[0] & 7)
    # What the client put in its transmit timestamp, for checks that it gives nothing away.
    description += " transmit=%s" % request[40:48].hex()
    if silent:
        log(description + " -> silent")
        return
    # The request is taken to have spent half the path (and its own jitter) on its way in ...
    wait_until(arrival_ns + inbound_ns)
    receive_ns = time.time_ns()
    wait_until(receive_ns + round(hold * 1e9))
    transmit_ns = time.time_ns()
    reply = build_reply(request, ntp_timestamp(receive_ns + offset_ns),
                        ntp_timestamp(transmit_ns + offset_ns), malformed)
    # ... and the reply the other half on its way out.
    wait_until(transmit_ns + outbound_ns)
    (other_port_sock if malformed == "wrong-port" else sock).sendto(reply, sender)
    log("%s -> reply offset=%+.6f hold=%.6f delay=%.6f in=%.6f out=%.6f malformed=%s" % (
        description, offset, hold, delay, inbound_ns / 1e9, outbound_ns / 1e9, malformed or "none"))


def read_commands(settings):
    for line in sys.stdin:
        if line.strip():
            log(settings.apply(line))


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1", help="address to serve on (IPv4 or IPv6)")
    parser.add_argument("--port", type=int, default=123, help="UDP port to serve on")
    parser.add_argument("--offset", type=float, default=0.0,
                        help="seconds the served clock is ahead of the host's")
    parser.add_argument("--hold", type=float, default=0.0,
                        help="seconds between the receive and the transmit stamp")
    parser.add_argument("--delay", type=float, default=0.0,
                        help="round-trip path delay to simulate, half each way")
    parser.add_argument("--jitter", type=float, default=0.0,
                        help="mean of each direction's random extra delay (exponential), seconds")
    parser.add_argument("--silent", action="store_true", help="never answer")
    parser.add_argument("--malformed", choices=MALFORMED_MODES,
                        help="answer with this kind of broken reply")
    parser.add_argument("--commands", action="store_true",
                        help="read setting changes from stdin while running")
    args = parser.parse_args(argv)
    if args.hold < 0 or args.delay < 0 or args.jitter < 0:
        parser.error("--hold, --delay and --jitter must not be negative")
    return args


def main(argv):
    args = parse_arguments(argv)
    settings = Settings(args)
    family = socket.AF_INET6 if ":" in args.host else socket.AF_INET
    sock = socket.socket(family, socket.SOCK_DGRAM)
    sock.bind((args.host, args.port))
    sock.settimeout(POLL_INTERVAL_SECONDS)
    kernel_stamps = sys.platform.startswith("linux")
    if kernel_stamps:
        sock.setsockopt(socket.SOL_SOCKET, SO_TIMESTAMPNS, 1)
    other_port_sock = socket.socket(family, socket.SOCK_DGRAM)
    other_port_sock.bind((args.host, 0))

    stopping = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stopping.set())
    signal.signal(signal.SIGINT, lambda *_: stopping.set())
    if args.commands:
        threading.Thread(target=read_commands, args=(settings,), daemon=True).start()

    log("listening on %s:%d" % sock.getsockname()[:2])
    while not stopping.is_set():
        try:
            request, ancillary, _, sender = sock.recvmsg(2048, 64)
        except (socket.timeout, InterruptedError):
            continue
        arrival_ns = time.time_ns()
        for level, kind, data in ancillary:
            if kernel_stamps and level == socket.SOL_SOCKET and kind == SO_TIMESTAMPNS:
                seconds, ns = struct.unpack("qq", data[:16])
                arrival_ns = seconds * 1_000_000_000 + ns
        threading.Thread(target=answer, daemon=True,
                         args=(sock, other_port_sock, request, sender, arrival_ns, settings)).start()
    sock.close()
    other_port_sock.close()
    log("stopped")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
