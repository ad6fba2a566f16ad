"""SntpQuery.exe under Wine against the reference SNTP server on 127.0.0.1 port 123.

Under Wine the program reads the host's clock, the same clock the reference server
serves with its injected offset, so the offset the tool reports must be that offset.
"""

import re
import time

import pytest

from conftest import require_executable

SERVER = "127.0.0.1"
PATH_DELAY = 0.020
OFFSET_TOLERANCE = 0.001
REFUSAL_TIMEOUT = 2
EXCHANGES = 3

# Replies that give no time: the server's options, the line of the tool's output that says
# why, its reason, and what the server logged. The unit tests try every rule of a reply;
# these need real sockets: a datagram cut short on the wire, one sent from another port,
# and none at all.
NO_TIME = {
    "short": (("--malformed", "short"), "refused", "shorter than 48 bytes", "malformed=short"),
    "wrong-port": (("--malformed", "wrong-port"), "refused", "not from the server's address and port 123",
                   "malformed=wrong-port"),
    "silent": (("--silent",), "error", "no valid reply", "-> silent"),
}


def sntpquery(wine, timeout):
    """Runs one query; returns (exit code, {key: value}, seconds taken)."""
    started = time.monotonic()
    run = wine.run(require_executable("SntpQuery.exe"), SERVER, "--timeout", str(timeout),
                   timeout=timeout + 60)
    fields = dict(re.findall(r"^(\w+)=(.*?)\s*$", run.stdout.replace("\r", ""), re.MULTILINE))
    return run.returncode, fields, time.monotonic() - started


def least_delayed_exchange(wine):
    """Of a few exchanges, the one with the smallest delay, as an NTP client's clock filter
    picks it: a busy machine now and then delays one direction of one exchange by a few
    milliseconds, and half of that excess shows up as offset error."""
    exchanges = []
    for _ in range(EXCHANGES):
        code, fields, _ = sntpquery(wine, 5)
        assert code == 0, fields
        exchanges.append(fields)
    return min(exchanges, key=lambda fields: float(fields["delay"]))


def test_reports_the_injected_offset_and_not_the_hold_time(wine, sntp_server):
    offset = -1.234
    sntp_server("--offset", repr(offset), "--hold", "0.050", "--delay", repr(PATH_DELAY))
    fields = least_delayed_exchange(wine)
    assert fields["server"] == SERVER
    assert abs(float(fields["offset"]) - offset) < OFFSET_TOLERANCE, fields
    assert abs(float(fields["delay"]) - PATH_DELAY) < 0.005, fields
    assert re.fullmatch(r"-?\d+\.\d{6}", fields["offset"]), "microseconds shown"


@pytest.mark.parametrize("case", sorted(NO_TIME))
def test_a_reply_refused_or_missing_gives_no_time(wine, sntp_server, case):
    options, line, reason, logged = NO_TIME[case]
    server = sntp_server("--offset", "2.5", *options)
    code, fields, took = sntpquery(wine, REFUSAL_TIMEOUT)
    assert code == 1 and "offset" not in fields and "delay" not in fields, fields
    assert reason in fields.get(line, ""), fields
    assert took >= REFUSAL_TIMEOUT, "gave up before its time-out"
    assert logged in server.stop()
