"""The log view and the calendar, opened by their commands and read from outside.

Runs are started by a "sync" companion played by the driver, against the reference SNTP
server, as in test_sync_protocol.
"""

from __future__ import annotations

import re

from conftest import MAIN_TITLE, Sent, poll
from dialogs import (controls, list_rows, post_command, rect_of, wait_closed, wait_open, window,
                     window_picture)
from test_sync_protocol import CONFIG, SERVER, TIMEOUT_WAIT

CMD_VIEW_LOG = 32779
CODE_CALENDAR = 34
CODE_VIEW_LOG = 37
LOGVIEW_TITLE = "LogView"
CALENDAR_TITLE = "Calendar"
LIST_ID = 1
CALENDAR_ID = 1
ERROR_IMAGE, ORDINARY_IMAGE = 0, 1
CODE_START_SYNC = 11
CODE_SYNC_RESULT = 13
REFRESH_TIMEOUT = 5.0
# Under half a second, so that Wine leaves the host clock alone and reports success, yet a
# clock adjustment is made and logged.
SERVER_OFFSET = "0.2"

STAMP = re.compile(r"\d\d:\d\d:\d\d \d\d-\d\d-\d{4}")
ONE_RUN = [
    (ORDINARY_IMAGE, re.compile(re.escape(f"Succed to Send Request Data to {SERVER}!"))),
    (ORDINARY_IMAGE, re.compile(r"Net delay:\d+\.\d{3} sec,localtime off:-?\d+\.\d{3} sec\.")),
    (ORDINARY_IMAGE, re.compile(r"Complete to adjust time,adjust size:-?\d+\.\d{3}sec\.")),
]
TIMED_OUT_RUN = [
    ONE_RUN[0],
    (ERROR_IMAGE, re.compile(re.escape(f"{SERVER} doesn't send response data back!"))),
]


def run_sync(companion, timeout: float = TIMEOUT_WAIT) -> None:
    """One run started by a sync companion, waited for until its result is sent."""
    with companion("sync", (300, CODE_START_SYNC)) as sync:
        assert poll(lambda: CODE_SYNC_RESULT in sync.received_codes, timeout), sync.records()


def sent(companion) -> list[Sent]:
    return [record for record in companion.records() if isinstance(record, Sent)]


def assert_rows(rows, expected) -> None:
    assert len(rows) == len(expected), rows
    for row, (image, message) in zip(rows, expected):
        assert row["image"] == image, row
        assert STAMP.fullmatch(row["cells"][0]) and message.fullmatch(row["cells"][1]), row


def rows_once(driver, count: int) -> list[dict]:
    """The log view's rows, once it shows `count` of them (or whatever it shows by then)."""
    rows: list[dict] = []

    def shown() -> bool:
        nonlocal rows
        rows = list_rows(driver, LOGVIEW_TITLE, LIST_ID)
        return len(rows) == count

    poll(shown, REFRESH_TIMEOUT)
    return rows


def test_log_view_shows_the_runs_and_follows_new_ones(horvane, driver, companion, sntp_server, wine):
    server = sntp_server("--offset", SERVER_OFFSET, "--delay", "0.010")
    horvane(CONFIG)
    run_sync(companion)
    post_command(driver, CMD_VIEW_LOG)
    wait_open(driver, LOGVIEW_TITLE)
    assert_rows(list_rows(driver, LOGVIEW_TITLE, LIST_ID), ONE_RUN)
    listed = controls(driver, LOGVIEW_TITLE)[LIST_ID]
    left, top, right, bottom = listed.rect
    assert f"{right - left},{bottom - top}" == window(driver, LOGVIEW_TITLE)["client"], "the list fills the window"

    # Sent, so that it has been handled when the driver returns: it opens nothing.
    driver.facts("command", MAIN_TITLE, CMD_VIEW_LOG)
    assert driver.facts("count", LOGVIEW_TITLE)["count"] == "1"

    run_sync(companion)
    assert_rows(rows_once(driver, 6), ONE_RUN * 2)

    server.stop()
    sntp_server("--silent")
    run_sync(companion, TIMEOUT_WAIT + 2)
    assert_rows(rows_once(driver, 8), ONE_RUN * 2 + TIMED_OUT_RUN)
    window_picture(wine, driver, LOGVIEW_TITLE, "log-view.png")

    driver.facts("keys", LOGVIEW_TITLE, "escape")
    wait_closed(driver, LOGVIEW_TITLE)


def test_companion_codes_open_the_calendar_sized_to_one_month_and_the_empty_log(horvane, driver, companion, wine):
    program = horvane(b"[auto]=0\r\n[alsh]=0\r\n[bash]=0\r\n")
    with companion("VistrelShow", (300, CODE_CALENDAR), (300, CODE_VIEW_LOG)) as sender:
        wait_open(driver, CALENDAR_TITLE)
        month = driver.facts("monthcal", CALENDAR_TITLE, CALENDAR_ID)
        need_width, need_height = map(int, month["minimum"].split(","))
        need_width = max(need_width, int(month["today"]))
        client = window(driver, CALENDAR_TITLE)["client"]
        assert client == f"{need_width},{need_height}", month
        assert month["client"] == client, "the calendar fills the window"
        left, top, right, bottom = rect_of(window(driver, CALENDAR_TITLE)["rect"])
        w_left, w_top, w_right, w_bottom = rect_of(window(driver, CALENDAR_TITLE)["workarea"])
        assert w_left <= left and right <= w_right and w_top <= top and bottom <= w_bottom
        window_picture(wine, driver, CALENDAR_TITLE, "calendar.png")
        assert not sent(sender), "the sender waits until the dialog closes"
        driver.facts("keys", CALENDAR_TITLE, "escape")
        wait_closed(driver, CALENDAR_TITLE)

        wait_open(driver, LOGVIEW_TITLE)
        shown = driver.facts("listview", LOGVIEW_TITLE, LIST_ID)
        assert (shown["columns"], shown["rows"]) == ("2", "0")
        driver.facts("keys", LOGVIEW_TITLE, "escape")
        wait_closed(driver, LOGVIEW_TITLE)
        assert poll(lambda: len(sent(sender)) == 2, REFRESH_TIMEOUT), sender.records()
    assert [record.result for record in sent(sender)] == [1, 1]
    assert program.running()
