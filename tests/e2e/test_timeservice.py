"""The time service under Wine: installed into the test prefix with its own subcommand,
serving the program's synchronisation runs over its pipe, refusing what it must, and leaving
the run to the program once it is stopped."""

import re
import shutil

import pytest

from conftest import CONFIG_NAME, require_executable
from program_ids import CODE
from sync_support import CONFIG, RESULT_TEXT, RUN_WAIT, SENT_TEXT, STAMP, SERVER, sync_once, texts
from winehost import poll

PIPE = r"\\.\pipe\ProtectedPrefix\LocalService\HorvaneTime"
NOT_APPROVED_TEXT = re.compile(
    STAMP + r"\r\nThe time service refused 127\.0\.0\.1: it is not an approved server \(an administrator can "
    r"approve it with \"HorvaneTime approve 127\.0\.0\.1\"\)\.\r\n")
# The reply to a request of protocol version 2: status 10 (malformed), fault 4 (unknown version).
VERSION_TWO_REQUEST = "4856545302020000"
MALFORMED_REPLY = re.compile(r"4856545301811B000A04[0-9A-F]{50}")
LAST_RESULT_REQUEST = "4856545301020000"
REPLY_HEADER = "485654530181"
ADJUSTED = "01"
# Wine applies a change under half a second as a no-op that the program sees succeed.
OFFSET = 0.2
CODE_START, CODE_RESULT = CODE["kCodeStartSync"], CODE["kCodeSyncResult"]
MEASURED = re.compile(r"Net delay:(\d+\.\d{3}) sec,localtime off:(-?\d+\.\d{3}) sec(?: \(best of \d\))?\.")
# The service's burst on a jittery path: four samples, the best believed.
BEST_OF_TEXT = re.compile(STAMP + r"\r\nNet delay:\d+\.\d{3} sec,localtime off:-?\d+\.\d{3} sec \(best of 4\)\.\r\n"
                          + STAMP + r"\r\nComplete to adjust time,adjust size:-?\d+\.\d{3}sec\.\r\n")
ARRIVAL = re.compile(r"arrival=(\d+\.\d+)")
BURST_SPACING = 2.0


def assert_offset_near(text, offset):
    """A measured offset is off by at most half the round trip (plus the rounding to 1 ms)."""
    delay, measured = map(float, MEASURED.search(text).groups())
    assert abs(measured - offset) <= delay / 2 + 0.001, text


def test_runs_go_through_the_service_until_it_stops(horvane, companion, sntp_server, time_service, driver, wine):
    rc, status = time_service("status")
    assert rc == 0 and "running (process " in status and r"as NT AUTHORITY\LocalService" in status, status
    server = sntp_server("--offset", str(OFFSET), "--delay", "0.010", "--jitter", "0.002")
    horvane(CONFIG)

    # Through the service: the program's own texts, and the service measured the best of a
    # burst and set the clock.
    sync = sync_once(companion)
    assert SENT_TEXT.fullmatch(texts(sync, CODE_START)[0].decode()), texts(sync, CODE_START)
    assert BEST_OF_TEXT.fullmatch(texts(sync, CODE_RESULT)[0].decode()), texts(sync, CODE_RESULT)
    assert_offset_near(texts(sync, CODE_RESULT)[0].decode(), OFFSET)
    rc, status = time_service("status")
    assert "last result: set the clock from 127.0.0.1: offset 0." in status, status
    log = server.stop()
    arrivals = [float(a) for a in ARRIVAL.findall(log)]
    assert log.count("-> reply") == 4 and len(arrivals) == 4, log
    assert all(b - a >= BURST_SPACING for a, b in zip(arrivals, arrivals[1:])), arrivals

    # A server that is not approved is refused, in plain words.
    rc, out = time_service("revoke", SERVER)
    assert rc == 0, out
    sync = sync_once(companion)
    assert NOT_APPROVED_TEXT.fullmatch(texts(sync, CODE_RESULT)[0].decode()), texts(sync, CODE_RESULT)

    # A malformed message gets its refusal, and the service keeps serving.
    assert MALFORMED_REPLY.fullmatch(driver.facts("pipe-send", PIPE, VERSION_TWO_REQUEST, 5)["reply"])
    last = driver.facts("pipe-send", PIPE, LAST_RESULT_REQUEST, 5)["reply"]
    assert last.startswith(REPLY_HEADER) and last[16:18] == ADJUSTED, last

    # Stopped, the service leaves the run to the program itself.
    wine.run("sc", "stop", "HorvaneTime")
    assert poll(lambda: "installed, not running" in time_service("status")[1], RUN_WAIT)
    sntp_server("--offset", str(OFFSET), "--delay", "0.010")
    sync = sync_once(companion)
    assert RESULT_TEXT.fullmatch(texts(sync, CODE_RESULT)[0].decode()), texts(sync, CODE_RESULT)

    rc, out = time_service("uninstall")
    assert rc == 0, out
    rc, status = time_service("status")
    assert rc != 0 and "not installed" in status, status

