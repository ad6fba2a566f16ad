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

# Each broken reply the server can send, with the reason the tool must give for refusing it.
MALFORMED = {
    "short": "shorter than 48 bytes",
    "wrong-mode": "not in server mode",
    "bad-version": "version outside 1 to 4",
    "leap3": "leap indicator 3",
    "kod": "kiss-o'-death",
    "stratum16": "stratum outside 1 to 15",
    "zero-transmit": "transmit timestamp is zero",
    "root-distance": "root distance",
    "wrong-originate": "originate timestamp",
    "wrong-port": "not from the server's address and port 123",
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


@pytest.mark.parametrize("offset", [2.5, -1.234, 0.0])
def test_reports_the_injected_offset(wine, sntp_server, offset):
    sntp_server("--offset", repr(offset), "--delay", repr(PATH_DELAY))
    fields = least_delayed_exchange(wine)
    assert fields["server"] == SERVER
    assert abs(float(fields["offset"]) - offset) < OFFSET_TOLERANCE, fields
    assert abs(float(fields["delay"]) - PATH_DELAY) < 0.005, fields
    assert re.fullmatch(r"-?\d+\.\d{6}", fields["offset"]), "microseconds shown"


def test_server_hold_time_is_not_counted_as_delay(wine, sntp_server):
    sntp_server("--offset", "0.5", "--hold", "0.050", "--delay", repr(PATH_DELAY))
    fields = least_delayed_exchange(wine)
    assert abs(float(fields["offset"]) - 0.5) < OFFSET_TOLERANCE, fields
    assert abs(float(fields["delay"]) - PATH_DELAY) < 0.005, fields


@pytest.mark.parametrize("mode", sorted(MALFORMED))
def test_malformed_reply_gives_no_time(wine, sntp_server, mode):
    server = sntp_server("--offset", "2.5", "--malformed", mode)
    code, fields, _ = sntpquery(wine, REFUSAL_TIMEOUT)
    assert code == 1, fields
    assert "offset" not in fields and "delay" not in fields, fields
    assert MALFORMED[mode] in fields.get("refused", ""), fields
    assert "malformed=%s" % mode in server.stop(), "the server did answer"


def test_silent_server_is_given_up(wine, sntp_server):
    server = sntp_server("--silent")
    code, fields, took = sntpquery(wine, REFUSAL_TIMEOUT)
    assert code == 1, fields
    assert "offset" not in fields and "refused" not in fields, fields
    assert fields["error"].startswith("no valid reply")
    assert took >= REFUSAL_TIMEOUT
    assert "-> silent" in server.stop()
