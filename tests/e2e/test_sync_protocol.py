"""Synchronisation driven by companions, against the reference SNTP server, under Wine.

The program's server list points at 127.0.0.1, where the reference server answers. A
"sync" companion (played by the driver) asks for the server, starts and stops runs and
records the texts it is sent; a "VistrelShow" companion records the status codes.
"""

import re
import shutil

from conftest import Sent, poll, require_executable

SERVER = "127.0.0.1"
# Automatic runs on (so the default server is chosen at start-up), but 75 minutes away.
CONFIG = (b"[auto]=1\r\n[diff]=3\r\n[alsh]=0\r\n[bash]=0\r\n"
          b"[list]=Local reference, Loopback, Here(" + SERVER.encode() + b")?0\r\n")
TIMEOUT_WAIT = 13.0  # the program gives a reply 10 s, then the result reaches the companion
# Two messages to a hung window (start and end of the run) wait 3 s each at most.
HUNG_RUN_WAIT = 20.0
# Wine shows what the program writes with OutputDebugString among the warnings of this channel.
TRACES = "warn+seh"
# Codes whose command opens a modal dialog: the sender waits until it closes, so each is
# tested with its dialog (31: test_preferences.py, 35: test_shutdown.py, 34 and 37:
# test_logview.py).
DIALOG_CODES = {31, 34, 35, 37}

STAMP = r"\(\d\d:\d\d:\d\d \d\d-\d\d-\d{4}\):"
SENT_TEXT = re.compile(STAMP + r"\r\nSucced to Send Request Data to Time Server!\r\n")
RESULT_TEXT = re.compile(STAMP + r"\r\nNet delay:\d+\.\d{3} sec,localtime off:-?\d+\.\d{3} sec\.\r\n"
                         + STAMP + r"\r\nComplete to adjust time,adjust size:-?\d+\.\d{3}sec\.\r\n")
TIMEOUT_TEXT = re.compile(STAMP + r"\r\nTime Server doesn't send response data back!\r\n")
STOP_TEXT = re.compile(STAMP + r"Stop Sycn Process\.\r\n")
RUNNING_TEXT = b"Synch is running,please retry later.\r\n"


def texts(companion, code):
    return [r.text for r in companion.received if r.code == code]


def test_companion_runs_a_synchronisation(horvane, companion, sntp_server):
    # Offset 0: Wine applies clock changes under half a second as a no-op, so the host clock
    # is never touched, and the program still sees its adjustment succeed.
    server = sntp_server("--offset", "0", "--delay", "0.010")
    horvane(CONFIG)
    with companion("VistrelShow") as bar, \
            companion("sync", (300, 10), (600, 11), (4000, 12)) as sync:
        assert poll(lambda: len(sync.received) >= 4, 15), sync.records()
        assert poll(lambda: len(bar.received) >= 2, 5), bar.records()
    assert [r.code for r in sync.received] == [10, 11, 13, 12]
    assert texts(sync, 10) == [SERVER.encode()]
    assert SENT_TEXT.fullmatch(texts(sync, 11)[0].decode()), texts(sync, 11)
    assert RESULT_TEXT.fullmatch(texts(sync, 13)[0].decode()), texts(sync, 13)
    assert STOP_TEXT.fullmatch(texts(sync, 12)[0].decode()), texts(sync, 12)
    assert bar.received_codes == [1, 0]
    assert all(r.result == 1 for r in sync.records() if isinstance(r, Sent))
    assert server.stop().count("\n") >= 1, "the server saw the request"


def test_silent_server_times_out_and_a_second_start_is_refused(horvane, companion, sntp_server):
    sntp_server("--silent")
    horvane(CONFIG)
    with companion("VistrelShow") as bar, companion("sync", (300, 11), (800, 11)) as sync:
        assert poll(lambda: 13 in sync.received_codes, TIMEOUT_WAIT), sync.records()
        assert poll(lambda: len(bar.received) >= 2, 5), bar.records()
    assert [r.code for r in sync.received] == [11, 11, 13]
    assert SENT_TEXT.fullmatch(sync.received[0].text.decode())
    assert sync.received[1].text == RUNNING_TEXT
    assert TIMEOUT_TEXT.fullmatch(sync.received[2].text.decode()), sync.received[2].text
    assert bar.received_codes == [1, 2]


def test_stop_ends_a_run_without_a_time_out(horvane, companion, sntp_server):
    sntp_server("--silent")
    horvane(CONFIG)
    with companion("VistrelShow") as bar, companion("sync", (300, 11), (800, 12), seconds=TIMEOUT_WAIT) as sync:
        sync.wait(TIMEOUT_WAIT + 5)
    assert [r.code for r in sync.received] == [11, 12]
    assert STOP_TEXT.fullmatch(sync.received[1].text.decode())
    assert bar.received_codes == [1], "the bar keeps its last status"


def test_a_hung_window_titled_like_the_bar_does_not_stop_a_run(horvane, companion, driver, sntp_server):
    sntp_server("--offset", "0", "--delay", "0.010")
    program = horvane(CONFIG, debug=TRACES)
    with companion("VistrelShow", hung=True), companion("sync", (300, 11)) as sync:
        assert poll(lambda: 13 in sync.received_codes, HUNG_RUN_WAIT), sync.records()
        assert driver.facts("copydata", "panel", 10)["result"] == "1"
        assert poll(lambda: 10 in sync.received_codes, 5), sync.records()
    result = texts(sync, 13)[0].decode()
    assert RESULT_TEXT.fullmatch(result), result
    # The wait for the hung window falls outside the exchange: the server's 10 ms delay is
    # measured, not seconds of waiting.
    assert float(re.search(r"Net delay:(\d+\.\d+)", result)[1]) < 1.0, result
    assert "VistrelShow\\\" did not take copy-data code 1 in time" in program.output_text()


def test_command_codes_reach_their_commands(horvane, driver, program_dir):
    stand_in = require_executable("CompanionStandIn.exe")
    for name in ("Quorel.exe", "Globrin.exe"):
        shutil.copy2(stand_in, program_dir / name)
    horvane(CONFIG)
    for code in sorted(set(range(31, 38)) - DIALOG_CODES):
        assert driver.facts("copydata", "panel", code)["result"] == "1", code
    started = {name: (program_dir / f"{name}.started") for name in ("Quorel.exe", "Globrin.exe")}
    assert poll(lambda: all(p.exists() for p in started.values()), 10)
    assert started["Quorel.exe"].read_text().split()[-1] == "QuorelShow"
    assert started["Globrin.exe"].read_text().split()[-1] == "ChronvelShow"
    # Unlisted codes get the default answer.
    for code in (0, 3, 13, 20, 38):
        assert driver.facts("copydata", "panel", code)["result"] == "0", code
    assert driver.facts("count", "panel")["count"] == "1"


def test_bar_is_started_with_its_command_line(horvane, program_dir):
    shutil.copy2(require_executable("CompanionStandIn.exe"), program_dir / "Vistrel.exe")
    horvane(b"[auto]=0\r\n[alsh]=1\r\n")
    record = program_dir / "Vistrel.exe.started"
    assert poll(record.exists, 10)
    assert record.read_text().split()[-1] == "VistrelShow"
