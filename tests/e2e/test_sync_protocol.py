"""Synchronisation driven by companions, against the reference SNTP server, under Wine, and
the windows that companions open by their codes: the log view, which follows the runs, and
the calendar.

The program's server list points at 127.0.0.1, where the reference server answers. A
"sync" companion (played by the driver) asks for the server, starts and stops runs and
records the texts it is sent; a "VistrelShow" companion records the status codes.
"""

import re

from conftest import MAIN_TITLE, poll
from dialogs import (CMD_VIEW_LOG, assert_on_screen, controls, list_rows, post_command, wait_closed, wait_open, window,
                     window_picture)
from program_ids import CODE, CONTROL
from sync_support import CONFIG, RESULT_TEXT, SENT_TEXT, SERVER, STAMP, STOP_TEXT, texts

# Under half a second, so that Wine leaves the host clock alone and reports success, yet a
# clock adjustment is made and logged.
SERVER_OFFSET = "0.2"
TIMEOUT_WAIT = 13.0  # the program gives a reply 10 s, then the result reaches the companion
# Two messages to a hung window (start and end of the run) wait 3 s each at most.
HUNG_RUN_WAIT = 20.0
REFRESH_TIMEOUT = 5.0
# Wine shows what the program writes with OutputDebugString among the warnings of this channel.
TRACES = "warn+seh"
CODE_SERVER, CODE_START, CODE_STOP, CODE_RESULT = (CODE[name] for name in ("kCodeServerAddress", "kCodeStartSync",
                                                                             "kCodeStopSync", "kCodeSyncResult"))
CODE_CALENDAR, CODE_VIEW_LOG = CODE["kCodeCalendar"], CODE["kCodeViewLog"]
LOGVIEW_TITLE, CALENDAR_TITLE = "LogView", "Calendar"
LIST_ID, CALENDAR_ID = CONTROL["IDC_LOG_LIST"], CONTROL["IDC_MONTH_CALENDAR"]
STATUS_OK, STATUS_OUTSTANDING, STATUS_FAILED = CODE["kStatusOk"], CODE["kStatusOutstanding"], CODE["kStatusFailed"]

TIMEOUT_TEXT = re.compile(STAMP + r"\r\nTime Server doesn't send response data back!\r\n")

ERROR_IMAGE, ORDINARY_IMAGE = 0, 1
LOG_STAMP = re.compile(r"\d\d:\d\d:\d\d \d\d-\d\d-\d{4}")
ONE_RUN = [
    (ORDINARY_IMAGE, re.compile(re.escape(f"Succed to Send Request Data to {SERVER}!"))),
    (ORDINARY_IMAGE, re.compile(r"Net delay:\d+\.\d{3} sec,localtime off:-?\d+\.\d{3} sec\.")),
    (ORDINARY_IMAGE, re.compile(r"Complete to adjust time,adjust size:-?\d+\.\d{3}sec\.")),
]
TIMED_OUT_RUN = [ONE_RUN[0], (ERROR_IMAGE, re.compile(re.escape(f"{SERVER} doesn't send response data back!")))]


def assert_log_rows(driver, expected) -> None:
    """The log view's rows, once it shows as many as expected, in order with their images."""
    rows: list[dict] = []

    def complete() -> bool:
        nonlocal rows
        rows = list_rows(driver, LOGVIEW_TITLE, LIST_ID)
        return len(rows) == len(expected)

    assert poll(complete, REFRESH_TIMEOUT), rows
    for row, (image, message) in zip(rows, expected):
        assert row["image"] == image, row
        assert LOG_STAMP.fullmatch(row["cells"][0]) and message.fullmatch(row["cells"][1]), row


def test_companion_codes_open_the_calendar_and_the_log_view_which_follows_the_runs(horvane, driver, companion,
                                                                                  sntp_server, wine):
    server = sntp_server("--offset", SERVER_OFFSET, "--delay", "0.010")
    program = horvane(CONFIG, debug=TRACES)

    # Asked for by a companion's codes: the calendar, sized to one month, then the empty log.
    with companion("VistrelShow", (300, CODE_CALENDAR), (300, CODE_VIEW_LOG)) as sender:
        wait_open(driver, CALENDAR_TITLE)
        month = driver.facts("monthcal", CALENDAR_TITLE, CALENDAR_ID)
        need_width, need_height = map(int, month["minimum"].split(","))
        client = window(driver, CALENDAR_TITLE)["client"]
        assert client == f"{max(need_width, int(month['today']))},{need_height}", month
        assert month["client"] == client, "the calendar fills the window"
        assert_on_screen(driver, CALENDAR_TITLE)
        window_picture(wine, driver, CALENDAR_TITLE, "calendar.png")
        assert not sender.sent, "the sender waits until the dialog closes"
        driver.facts("keys", CALENDAR_TITLE, "escape")
        wait_closed(driver, CALENDAR_TITLE)
        wait_open(driver, LOGVIEW_TITLE)
        shown = driver.facts("listview", LOGVIEW_TITLE, LIST_ID)
        assert (shown["columns"], shown["rows"]) == ("2", "0")
        driver.facts("keys", LOGVIEW_TITLE, "escape")
        wait_closed(driver, LOGVIEW_TITLE)
        assert poll(lambda: len(sender.sent) == 2, REFRESH_TIMEOUT), sender.records()
    assert [record.result for record in sender.sent] == [1, 1]

    # A run asked for by the sync window, told to the bar.
    with companion("VistrelShow") as bar, \
            companion("sync", (300, CODE_SERVER), (600, CODE_START), (4000, CODE_STOP)) as sync:
        assert poll(lambda: len(sync.received) >= 4, 15), sync.records()
        assert poll(lambda: len(bar.received) >= 2, 5), bar.records()
    assert [r.code for r in sync.received] == [CODE_SERVER, CODE_START, CODE_RESULT, CODE_STOP]
    assert texts(sync, CODE_SERVER) == [SERVER.encode()]
    assert SENT_TEXT.fullmatch(texts(sync, CODE_START)[0].decode()), texts(sync, CODE_START)
    assert RESULT_TEXT.fullmatch(texts(sync, CODE_RESULT)[0].decode()), texts(sync, CODE_RESULT)
    assert STOP_TEXT.fullmatch(texts(sync, CODE_STOP)[0].decode()), texts(sync, CODE_STOP)
    assert bar.received_codes == [STATUS_OUTSTANDING, STATUS_OK]
    assert all(r.result == 1 for r in sync.sent)
    assert server.stop().count("-> reply") == 1, "the server answered one request"

    post_command(driver, CMD_VIEW_LOG)
    wait_open(driver, LOGVIEW_TITLE)
    assert_log_rows(driver, ONE_RUN)
    left, top, right, bottom = controls(driver, LOGVIEW_TITLE)[LIST_ID].rect
    assert f"{right - left},{bottom - top}" == window(driver, LOGVIEW_TITLE)["client"], "the list fills the window"
    # Sent, so that it has been handled when the driver returns: it opens nothing.
    driver.facts("command", MAIN_TITLE, CMD_VIEW_LOG)
    assert driver.facts("count", LOGVIEW_TITLE)["count"] == "1"

    # A window titled like the bar that never answers delays the run by the bounded waits
    # only, outside the exchange: the server's 10 ms delay is measured, not seconds of
    # waiting. The program goes on answering copy-data, malformed ones too.
    server = sntp_server("--offset", SERVER_OFFSET, "--delay", "0.010")
    with companion("VistrelShow", hung=True), companion("sync", (300, CODE_START)) as sync:
        assert poll(lambda: CODE_RESULT in sync.received_codes, HUNG_RUN_WAIT), sync.records()
        driver("copydata-null", MAIN_TITLE)
        driver("copydata-badlen", MAIN_TITLE, CODE_SERVER)
        assert driver.facts("copydata", MAIN_TITLE, CODE_SERVER)["result"] == "1"
        assert poll(lambda: CODE_SERVER in sync.received_codes, 5), sync.records()
    result = texts(sync, CODE_RESULT)[0].decode()
    assert RESULT_TEXT.fullmatch(result), result
    assert float(re.search(r"Net delay:(\d+\.\d+)", result)[1]) < 1.0, result
    assert "VistrelShow\\\" did not take copy-data code 1 in time" in program.output_text()
    assert_log_rows(driver, ONE_RUN * 2)

    # A silent server: the time-out's text, status 2 for the bar, an error row in the log.
    server.stop()
    sntp_server("--silent")
    with companion("VistrelShow") as bar, companion("sync", (300, CODE_START)) as sync:
        assert poll(lambda: CODE_RESULT in sync.received_codes, TIMEOUT_WAIT), sync.records()
        assert poll(lambda: len(bar.received) >= 2, 5), bar.records()
    assert TIMEOUT_TEXT.fullmatch(texts(sync, CODE_RESULT)[0].decode()), texts(sync, CODE_RESULT)
    assert bar.received_codes == [STATUS_OUTSTANDING, STATUS_FAILED]
    assert_log_rows(driver, ONE_RUN * 2 + TIMED_OUT_RUN)
    window_picture(wine, driver, LOGVIEW_TITLE, "log-view.png")
    driver.facts("keys", LOGVIEW_TITLE, "escape")
    wait_closed(driver, LOGVIEW_TITLE)
