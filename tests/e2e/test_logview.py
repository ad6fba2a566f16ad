"""The calendar and the empty log view, opened by a companion's copy-data codes and read from
outside. The log view's rows after runs are in test_sync_protocol.py."""

from __future__ import annotations

from conftest import Sent, poll
from dialogs import assert_on_screen, wait_closed, wait_open, window, window_picture
from test_sync_protocol import LIST_ID, LOGVIEW_TITLE

CODE_CALENDAR = 34
CODE_VIEW_LOG = 37
CALENDAR_TITLE = "Calendar"
CALENDAR_ID = 1
ANSWER_TIMEOUT = 5.0


def sent(companion) -> list[Sent]:
    return [record for record in companion.records() if isinstance(record, Sent)]


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
        assert_on_screen(driver, CALENDAR_TITLE)
        window_picture(wine, driver, CALENDAR_TITLE, "calendar.png")
        assert not sent(sender), "the sender waits until the dialog closes"
        driver.facts("keys", CALENDAR_TITLE, "escape")
        wait_closed(driver, CALENDAR_TITLE)

        wait_open(driver, LOGVIEW_TITLE)
        shown = driver.facts("listview", LOGVIEW_TITLE, LIST_ID)
        assert (shown["columns"], shown["rows"]) == ("2", "0")
        driver.facts("keys", LOGVIEW_TITLE, "escape")
        wait_closed(driver, LOGVIEW_TITLE)
        assert poll(lambda: len(sent(sender)) == 2, ANSWER_TIMEOUT), sender.records()
    assert [record.result for record in sent(sender)] == [1, 1]
    assert program.running()
