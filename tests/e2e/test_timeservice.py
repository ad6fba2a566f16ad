"""The time service under Wine serving the program's runs over its pipe, and what it and the
SNTP clients give away and refuse: transmit timestamps, slow replies, unapproved servers."""

import re
import shutil
import struct
import time

import pytest

from conftest import CONFIG_NAME, require_executable
from sync_support import CODE_RESULT, CONFIG, SERVER, SERVICE_BURST, SERVICE_RESULT_TEXT, STAMP, sync_once, texts
from winehost import poll

PIPE = r"\\.\pipe\ProtectedPrefix\LocalService\HorvaneTime"
# The reply to a request of protocol version 2: status 10 (malformed), fault 4 (unknown version).
VERSION_TWO_REQUEST = "4856545302020000"
MALFORMED_REPLY = re.compile(r"4856545301811B000A04[0-9A-F]{50}")
LAST_RESULT_REQUEST = "4856545301020000"
REPLY_HEADER = "485654530181"
ADJUSTED = "01"
# Wine applies a change under half a second as a no-op that the program sees succeed.
OFFSET = 0.2
MEASURED = re.compile(r"Net delay:(\d+\.\d{3}) sec,localtime off:(-?\d+\.\d{3}) sec")
ARRIVAL = re.compile(r"arrival=(\d+\.\d+)")
BURST_SPACING = 2.0
CONFIG_KEY = r"HKLM\Software\Horvane\TimeService"
NTP_UNIX_EPOCH_OFFSET = 2_208_988_800
DAY = 86_400
LATE = "4"  # seconds the reference server's replies take
DELAY_TEXT = SERVER + " replied too late: a round trip of more than 3 seconds is not trusted"
TRANSMIT = re.compile(r"transmit=([0-9a-f]{16})")
BUILT_IN = "time-a-g.nist.gov"
NOT_APPROVED_TEXT = re.compile(
    STAMP + r"\r\nThe time service refused 127\.0\.0\.1: it is not an approved server \(an administrator can "
    r"approve it with \"HorvaneTime approve 127\.0\.0\.1\"\)\.\r\n")
QUERY_OFFSET = -1.234
PATH_DELAY = 0.020
HOLD = 0.050
OFFSET_TOLERANCE = 0.001
FIELD = re.compile(r"^(\w+)=(.*?)\s*$", re.MULTILINE)


def assert_tells_nothing(server_log, count):
    """Each request's transmit seconds are more than a day from the clock (era-wrapped)."""
    now = (int(time.time()) + NTP_UNIX_EPOCH_OFFSET) % 2**32
    seconds = [struct.unpack("!I", bytes.fromhex(m)[:4])[0] for m in TRANSMIT.findall(server_log)]
    assert len(seconds) == count, server_log
    for value in seconds:
        assert min((value - now) % 2**32, (now - value) % 2**32) > DAY, (value, now, server_log)


def sntpquery(wine):
    run = wine.run(require_executable("SntpQuery.exe"), SERVER, "--timeout", "8", timeout=60)
    return run.returncode, run.stdout.replace("\r", "")


@pytest.fixture
def service(wine, program_dir):
    """service(*subcommand) -> (exit code, output) of HorvaneTime.exe in the program directory,
    whose config.txt names the reference server; uninstalled afterwards."""
    exe = program_dir / "HorvaneTime.exe"
    shutil.copy2(require_executable(exe.name), exe)
    (program_dir / CONFIG_NAME).write_bytes(CONFIG)

    def run(*args: str) -> tuple[int, str]:
        result = wine.run(exe, *args, timeout=60)
        return result.returncode, result.stdout

    yield run
    run("uninstall")


def test_runs_through_the_service_and_on_their_own_tell_nothing_and_refuse_slow_replies(
        horvane, companion, sntp_server, service, driver, wine):
    rc, out = service("install", "--approve-config")
    assert rc == 0 and f"approved {SERVER}" in out, out
    rc, status = service("status")
    assert rc == 0 and "running (process " in status and r"as NT AUTHORITY\LocalService" in status, status
    horvane(CONFIG)

    # Through the service, twice: the program's own texts, the best of a burst of requests
    # spaced apart, the clock set, and no request telling the time.
    server = sntp_server("--offset", str(OFFSET), "--delay", "0.010", "--jitter", "0.002")
    for _ in range(2):
        sync = sync_once(companion)
        result = texts(sync, CODE_RESULT)[0].decode()
        assert SERVICE_RESULT_TEXT.fullmatch(result), result
        delay, measured = map(float, MEASURED.search(result).groups())
        assert abs(measured - OFFSET) <= delay / 2 + 0.001, result  # half the round trip, plus rounding
    assert "last result: set the clock from 127.0.0.1: offset 0." in service("status")[1]
    log = server.stop()
    arrivals = [float(a) for a in ARRIVAL.findall(log)]
    assert log.count("-> reply") == 2 * SERVICE_BURST and len(arrivals) == 2 * SERVICE_BURST, log
    for burst in (arrivals[:SERVICE_BURST], arrivals[SERVICE_BURST:]):
        assert all(b - a >= BURST_SPACING for a, b in zip(burst, burst[1:])), arrivals
    assert_tells_nothing(log, 2 * SERVICE_BURST)

    # A malformed message over the pipe gets its refusal, and the service keeps serving.
    assert MALFORMED_REPLY.fullmatch(driver.facts("pipe-send", PIPE, VERSION_TWO_REQUEST, 5)["reply"])
    last = driver.facts("pipe-send", PIPE, LAST_RESULT_REQUEST, 5)["reply"]
    assert last.startswith(REPLY_HEADER) and last[16:18] == ADJUSTED, last

    # The service's burst gives up a request still unanswered when the next is due, so a late
    # reply is never read there: the run ends as one without an answer.
    server = sntp_server("--delay", LATE)
    sync = sync_once(companion)
    assert "Net delay" not in texts(sync, CODE_RESULT)[0].decode(), texts(sync, CODE_RESULT)
    assert f"last result: {SERVER} did not answer." in service("status")[1]
    server.stop()

    # A server that is not approved is refused, in plain words.
    assert service("revoke", SERVER)[0] == 0
    sync = sync_once(companion)
    assert NOT_APPROVED_TEXT.fullmatch(texts(sync, CODE_RESULT)[0].decode()), texts(sync, CODE_RESULT)

    # Stopped, the service leaves the runs to the tray program itself.
    wine.run("sc", "stop", "HorvaneTime")
    assert poll(lambda: "installed, not running" in service("status")[1], 15)
    server = sntp_server("--offset", "0.2", "--delay", "0.010")
    for _ in range(5):
        sync_once(companion)
    assert_tells_nothing(server.stop(), 5)
    server = sntp_server("--delay", LATE)
    sync = sync_once(companion)
    assert texts(sync, CODE_RESULT)[0].decode().endswith(DELAY_TEXT + "!\r\n"), texts(sync, CODE_RESULT)
    server.stop()

    # SntpQuery: five in a row from a server that holds each request before it answers; the
    # least delayed reports the injected offset, the hold time counted as neither path nor offset.
    server = sntp_server("--offset", repr(QUERY_OFFSET), "--hold", repr(HOLD), "--delay", repr(PATH_DELAY))
    runs = [sntpquery(wine) for _ in range(5)]
    assert [rc for rc, _ in runs] == [0] * 5, runs
    assert_tells_nothing(server.stop(), 5)
    best = min((dict(FIELD.findall(out)) for _, out in runs), key=lambda fields: float(fields["delay"]))
    # An exchange's offset is off by at most half its round trip beyond the path's (a busy machine).
    excess = max(0.0, float(best["delay"]) - PATH_DELAY)
    assert abs(float(best["offset"]) - QUERY_OFFSET) < OFFSET_TOLERANCE + excess / 2, best
    # The hold counted as path would show as all of it in the delay, and as half of it in the offset.
    assert PATH_DELAY - 0.005 < float(best["delay"]) < PATH_DELAY + HOLD / 2, best
    assert re.fullmatch(r"-?\d+\.\d{6}", best["offset"]), "microseconds shown"
    # A reply from another port is refused (the tray program's late reply above covers the delay bound).
    sntp_server("--malformed", "wrong-port")
    rc, out = sntpquery(wine)
    assert rc == 1 and "not from the server's address and port 123" in out, out


def test_install_keeps_the_administrators_list(wine, service):
    def approved():
        return re.search(r"approved servers: (.*)", service("status")[1]).group(1)

    # A bare install approves the built-in servers only, not what config.txt names.
    rc, out = service("install")
    assert rc == 0 and f"approved {BUILT_IN}" in out and SERVER not in out, out
    assert BUILT_IN in approved() and SERVER not in approved().split(), approved()

    # A revoked built-in server stays revoked across a second install.
    assert service("revoke", BUILT_IN)[0] == 0
    rc, out = service("install")
    assert rc == 0 and f"approved {BUILT_IN}" not in out, out
    assert BUILT_IN not in approved()

    rc, out = service("approve", "timehost")
    assert rc == 2 and "single-label name" in out, out

    # The limit written as text, as "reg add" does by default, is read; junk is reported.
    wine.reg_add(CONFIG_KEY, "MaxCorrectionSeconds", "120")
    assert "largest correction in any 24 hours: 120 seconds" in service("status")[1]
    wine.reg_add(CONFIG_KEY, "MaxCorrectionSeconds", "2 hours")
    status = service("status")[1]
    assert "largest correction in any 24 hours: 54000 seconds" in status, status
    assert "registry settings: MaxCorrectionSeconds is text that is not a whole number of seconds" in status

    # Uninstall says what the system did.
    rc, out = service("uninstall")
    assert rc == 0 and "removed its configuration." in out, out
    rc, out = service("uninstall")
    assert rc == 0 and "its configuration was not there." in out, out
