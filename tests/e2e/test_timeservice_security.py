"""What the time service and the SNTP clients give away and what they refuse, under Wine:
requests whose transmit timestamps tell nothing of the clock, replies too slow to be
trusted, and the subcommands that keep the approved list as the administrator left it."""

import re
import struct
import time

from conftest import require_executable
from sync_support import CONFIG, SERVER, SERVICE_BURST, sync_once, texts
from winehost import poll

CONFIG_KEY = r"HKLM\Software\Horvane\TimeService"
NTP_UNIX_EPOCH_OFFSET = 2_208_988_800
DAY = 86_400
LATE = "4"  # seconds the reference server's replies take
DELAY_TEXT = SERVER + " replied too late: a round trip of more than 3 seconds is not trusted"
TRANSMIT = re.compile(r"transmit=([0-9a-f]{16})")
BUILT_IN = "time-a-g.nist.gov"


def transmit_seconds(server_log):
    return [struct.unpack("!I", bytes.fromhex(m)[:4])[0] for m in TRANSMIT.findall(server_log)]


def assert_tells_nothing(server_log, count):
    """Each request's transmit seconds are more than a day from the clock (era-wrapped)."""
    now = (int(time.time()) + NTP_UNIX_EPOCH_OFFSET) % 2**32
    seconds = transmit_seconds(server_log)
    assert len(seconds) == count, server_log
    for value in seconds:
        distance = min((value - now) % 2**32, (now - value) % 2**32)
        assert distance > DAY, (value, now, server_log)


def sntpquery(wine):
    run = wine.run(require_executable("SntpQuery.exe"), SERVER, "--timeout", "8", timeout=60)
    return run.returncode, run.stdout.replace("\r", "")


def test_requests_tell_nothing_and_slow_replies_are_refused(horvane, companion, sntp_server, time_service, wine):
    horvane(CONFIG)
    # The service: two runs of the tray program through it, then one against a slow server.
    server = sntp_server("--offset", "0.2", "--delay", "0.010")
    for _ in range(2):
        sync_once(companion)
    assert_tells_nothing(server.stop(), 2 * SERVICE_BURST)
    server = sntp_server("--delay", LATE)
    sync = sync_once(companion)
    # The service's burst gives up a request still unanswered when the next is due, so a
    # late reply is never read there: the run ends as one without an answer.
    assert "Net delay" not in texts(sync, 13)[0].decode(), texts(sync, 13)
    rc, status = time_service("status")
    assert f"last result: {SERVER} did not answer." in status, status
    server.stop()

    # The tray program on its own: five runs, then one against the slow server.
    wine.run("sc", "stop", "HorvaneTime")
    assert poll(lambda: "installed, not running" in time_service("status")[1], 15)
    server = sntp_server("--offset", "0.2", "--delay", "0.010")
    for _ in range(5):
        sync_once(companion)
    assert_tells_nothing(server.stop(), 5)
    server = sntp_server("--delay", LATE)
    sync = sync_once(companion)
    assert texts(sync, 13)[0].decode().endswith(DELAY_TEXT + "!\r\n"), texts(sync, 13)
    server.stop()

    # SntpQuery: five in a row, then the slow server.
    server = sntp_server("--delay", "0.010")
    for _ in range(5):
        assert sntpquery(wine)[0] == 0
    assert_tells_nothing(server.stop(), 5)
    server = sntp_server("--delay", LATE)
    rc, out = sntpquery(wine)
    assert rc == 1 and f"error={DELAY_TEXT}\n" in out, out


def test_install_keeps_the_administrators_list(wine, program_dir):
    exe = program_dir / "HorvaneTime.exe"
    exe.write_bytes(require_executable("HorvaneTime.exe").read_bytes())
    (program_dir / "config.txt").write_bytes(CONFIG)

    def service(*args):
        result = wine.run(exe, *args, timeout=60)
        return result.returncode, result.stdout

    try:
        # A bare install approves the built-in servers only, not what config.txt names.
        rc, out = service("install")
        assert rc == 0 and f"approved {BUILT_IN}" in out and SERVER not in out, out
        approved = re.search(r"approved servers: (.*)", service("status")[1]).group(1)
        assert BUILT_IN in approved and SERVER not in approved.split(), approved

        # A revoked built-in server stays revoked across a second install.
        assert service("revoke", BUILT_IN)[0] == 0
        rc, out = service("install")
        assert rc == 0 and f"approved {BUILT_IN}" not in out, out
        assert BUILT_IN not in re.search(r"approved servers: (.*)", service("status")[1]).group(1)

        # A single-label name is refused in plain words.
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
    finally:
        service("uninstall")
