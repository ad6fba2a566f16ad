"""The time service under Wine: installed into the test prefix with its own subcommand,
serving the program's synchronisation runs over its pipe, refusing what it must, and leaving
the run to the program once it is stopped."""

import re
import shutil

import pytest

from conftest import CONFIG_NAME, require_executable
from program_ids import CODE
from sync_support import CONFIG, RESULT_TEXT, SENT_TEXT, STAMP, SERVER, texts
from winehost import poll

SERVICE_EXE = "HorvaneTime.exe"
PIPE = r"\\.\pipe\HorvaneTime"
RUN_WAIT = 15.0
NOT_APPROVED_TEXT = re.compile(
    STAMP + r"\r\nThe time service refused 127\.0\.0\.1: it is not an approved server \(an administrator can "
    r"approve it with \"HorvaneTime approve 127\.0\.0\.1\"\)\.\r\n")
# The reply to a request of protocol version 2: status 10 (malformed), fault 4 (unknown version).
VERSION_TWO_REQUEST = "4856545302020000"
MALFORMED_REPLY = re.compile(r"4856545301811A000A04[0-9A-F]{48}")
LAST_RESULT_REQUEST = "4856545301020000"
REPLY_HEADER = "485654530181"
ADJUSTED = "01"
# Wine applies a change under half a second as a no-op that the program sees succeed.
OFFSET = 0.2
CODE_START, CODE_RESULT = CODE["kCodeStartSync"], CODE["kCodeSyncResult"]
MEASURED = re.compile(r"Net delay:(\d+\.\d{3}) sec,localtime off:(-?\d+\.\d{3}) sec\.")


def assert_offset_near(text, offset):
    """A measured offset is off by at most half the round trip (plus the rounding to 1 ms)."""
    delay, measured = map(float, MEASURED.search(text).groups())
    assert abs(measured - offset) <= delay / 2 + 0.001, text


@pytest.fixture
def time_service(wine, program_dir):
    """time_service(*subcommand) -> (exit code, output) of HorvaneTime.exe, installed from the
    program directory, whose config.txt names the reference server, so install approves it;
    uninstalled afterwards."""
    exe = program_dir / SERVICE_EXE
    shutil.copy2(require_executable(SERVICE_EXE), exe)
    (program_dir / CONFIG_NAME).write_bytes(CONFIG)

    def service(*args: str) -> tuple[int, str]:
        result = wine.run(exe, *args, timeout=60)
        return result.returncode, result.stdout

    rc, out = service("install")
    assert rc == 0, out
    assert f"approved {SERVER}" in out, out
    try:
        yield service
    finally:
        service("uninstall")


def sync_once(companion):
    """One run started by the "sync" companion; the texts it was sent for it."""
    with companion("sync", (300, CODE_START)) as sync:
        assert poll(lambda: CODE_RESULT in sync.received_codes, RUN_WAIT), sync.records()
    return sync


def test_runs_go_through_the_service_until_it_stops(horvane, companion, sntp_server, time_service, driver, wine):
    rc, status = time_service("status")
    assert rc == 0 and "running (process " in status and r"as NT AUTHORITY\LocalService" in status, status
    server = sntp_server("--offset", str(OFFSET), "--delay", "0.010")
    horvane(CONFIG)

    # Through the service: the program's own texts, and the service measured and set the clock.
    sync = sync_once(companion)
    assert SENT_TEXT.fullmatch(texts(sync, CODE_START)[0].decode()), texts(sync, CODE_START)
    assert RESULT_TEXT.fullmatch(texts(sync, CODE_RESULT)[0].decode()), texts(sync, CODE_RESULT)
    assert_offset_near(texts(sync, CODE_RESULT)[0].decode(), OFFSET)
    rc, status = time_service("status")
    assert "last result: set the clock from 127.0.0.1: offset 0." in status, status
    assert server.stop().count("-> reply") == 1, "the service asked once"

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

