"""The portable release unpacked into a folder with blanks: Horvane.exe with its real companion
programs and help under Wine."""

import re
import subprocess
import wave
import zipfile
from datetime import datetime, timedelta
from zoneinfo import ZoneInfo

import pytest

from conftest import BUILD_DIR, MAIN_TITLE, RELEASE_FILES, poll
from dialogs import (CMD_DATETIME_BAR, CMD_EXIT, CMD_HELP, CMD_SYNCHRONIZE, CMD_VIEW_LOG, CMD_WORLD_CLOCK,
                     assert_on_screen, controls, list_rows, post_command, rect_of, wait_closed, wait_open, window,
                     window_picture)
from program_ids import CODE, CONTROL, companion_ids
from sync_support import CONFIG, RESULT_TEXT, SENT_TEXT, SERVER

WM_SYSCOMMAND, SC_MINIMIZE = 0x0112, 0xF020
SYNC_TITLE, BAR_TITLE, WORLD_CLOCK_TITLE, HELP_TITLE = "sync", "VistrelShow", "World Clock", "Horvane Help"
CALENDAR_TITLE, CALENDAR_ID = "Calendar", CONTROL["IDC_MONTH_CALENDAR"]
LOGVIEW_TITLE, LOG_LIST = "LogView", CONTROL["IDC_LOG_LIST"]
ONE_RUN = [re.compile(re.escape(f"Succed to Send Request Data to {SERVER}!")),
           re.compile(r"Net delay:\d+\.\d{3} sec,localtime off:-?\d+\.\d{3} sec\."),
           re.compile(r"Complete to adjust time,adjust size:-?\d+\.\d{3}sec\.")]

QUOREL = companion_ids("Quorel")
SYNC_SERVER, SYNC_TRANSCRIPT = QUOREL["IDC_SYNC_SERVER"], QUOREL["IDC_SYNC_TRANSCRIPT"]
BAR_TIME, CITY_LIST = companion_ids("Vistrel")["IDC_BAR_TIME"], companion_ids("Globrin")["IDC_CITY_LIST"]
CODE_RESULT, CODE_BAR_SETTINGS = CODE["kCodeSyncResult"], CODE["kCodeBarSettingsChanged"]

USER_KEY = r"HKCU\Software\Horvane"
RUN_TIMEOUT = 15.0
PICTURE_MARGIN = 8


@pytest.fixture
def user_settings(wine):
    wine.run("reg", "delete", USER_KEY, "/f")
    yield
    wine.run("reg", "delete", USER_KEY, "/f")


def control_text(driver, title: str, control_id: int) -> str:
    return controls(driver, title)[control_id].text


def transcript(driver) -> str:
    return control_text(driver, SYNC_TITLE, SYNC_TRANSCRIPT)


CITY_ZONES = {"London": "Europe/London", "New York": "America/New_York", "Berlin": "Europe/Berlin",
              "Tokyo": "Asia/Tokyo", "Sydney": "Australia/Sydney"}


def test_release_runs_from_a_folder_with_blanks_with_its_companions(horvane, driver, wine, tmp_path, sntp_server,
                                                                   user_settings):
    subprocess.run(["cpack", "--config", str(BUILD_DIR / "CPackConfig.cmake"), "-B", str(tmp_path / "package")],
                   check=True, capture_output=True, timeout=120)
    with zipfile.ZipFile(next((tmp_path / "package").glob("Horvane-*-win64.zip"))) as zipped:
        names = zipped.namelist()
        top = {name.split("/")[0] for name in names}
        assert len(top) == 1, "one folder, nothing spilled"
        assert {name.split("/", 1)[1] for name in names} == RELEASE_FILES, "flat, and only these"
        zipped.extractall(tmp_path / "My Programs" / "Horvane Portable")
    program = tmp_path / "My Programs" / "Horvane Portable" / top.pop()
    with wave.open(str(program / "bell.wav")) as bell:
        assert bell.getnchannels() == 1 and 0.5 < bell.getnframes() / bell.getframerate() < 3
    assert (program / "LICENSE.txt").read_text().startswith("MIT License")

    server = sntp_server("--offset", "0", "--delay", "0.010")
    running = horvane(CONFIG, directory=program)
    post_command(driver, CMD_DATETIME_BAR)
    wait_open(driver, BAR_TITLE)
    facts = window(driver, BAR_TITLE)
    left, top, right, bottom = rect_of(facts["rect"])
    assert facts["topmost"] == "1"
    assert (right, bottom) == rect_of(facts["workarea"])[2:], "first shown in the bottom right corner"
    window_picture(wine, driver, BAR_TITLE, "vistrel.png", PICTURE_MARGIN, scale=2)

    post_command(driver, CMD_SYNCHRONIZE)
    wait_open(driver, SYNC_TITLE)
    assert poll(lambda: control_text(driver, SYNC_TITLE, SYNC_SERVER) == SERVER, 5), "asks for the server"
    # From the keyboard, as the window offers it.
    driver.facts("keys", SYNC_TITLE, "alt+s")
    assert poll(lambda: re.fullmatch(SENT_TEXT.pattern + RESULT_TEXT.pattern, transcript(driver)), RUN_TIMEOUT), \
        transcript(driver)
    window_picture(wine, driver, SYNC_TITLE, "quorel.png", PICTURE_MARGIN)
    assert server.stop().count("reply") == 1

    # The log view shows the run.
    post_command(driver, CMD_VIEW_LOG)
    wait_open(driver, LOGVIEW_TITLE)
    logged = lambda: [row["cells"][1] for row in list_rows(driver, LOGVIEW_TITLE, LOG_LIST)]  # noqa: E731
    assert poll(lambda: len(found := logged()) == len(ONE_RUN) and all(map(re.fullmatch, ONE_RUN, found)), 5), logged()
    shown = controls(driver, LOGVIEW_TITLE)[LOG_LIST].rect
    assert f"{shown[2] - shown[0]},{shown[3] - shown[1]}" == window(driver, LOGVIEW_TITLE)["client"], "fills the window"
    window_picture(wine, driver, LOGVIEW_TITLE, "log-view.png")
    driver.facts("keys", LOGVIEW_TITLE, "escape")
    wait_closed(driver, LOGVIEW_TITLE)

    # Messages from any process are read with care.
    shown = transcript(driver)
    for title, code in ((SYNC_TITLE, CODE_RESULT), (BAR_TITLE, CODE_BAR_SETTINGS)):
        driver.facts("copydata-badlen", title, code)
        driver.facts("copydata-null", title)
    assert driver.facts("copydata", SYNC_TITLE, CODE_RESULT, "x" * 20000)["result"] == "0", "far too long"
    assert transcript(driver) == shown

    # A second start brings the first window forward instead of opening another.
    driver.facts("post", SYNC_TITLE, WM_SYSCOMMAND, SC_MINIMIZE, 0)
    second = wine.spawn(program / "Quorel.exe", "QuorelShow")
    assert second.wait(timeout=15) == 0
    assert driver.facts("count", SYNC_TITLE)["count"] == "1"
    assert poll(lambda: window(driver, SYNC_TITLE)["foreground"] == "1", 5)

    # Its menu asks Horvane for the calendar, sized to one month; the bar keeps ticking meanwhile.
    driver.facts("click", (left + right) // 2, (top + bottom) // 2, "right")
    driver.facts("menu-keys", 10, "c")
    wait_open(driver, CALENDAR_TITLE)
    month = driver.facts("monthcal", CALENDAR_TITLE, CALENDAR_ID)
    need_width, need_height = map(int, month["minimum"].split(","))
    client = window(driver, CALENDAR_TITLE)["client"]
    assert client == f"{max(need_width, int(month['today']))},{need_height}", month
    assert month["client"] == client, "the calendar fills the window"
    assert_on_screen(driver, CALENDAR_TITLE)
    window_picture(wine, driver, CALENDAR_TITLE, "calendar.png")
    ticking = control_text(driver, BAR_TITLE, BAR_TIME)
    assert poll(lambda: control_text(driver, BAR_TITLE, BAR_TIME) != ticking, 3), "the bar froze"
    driver.facts("keys", CALENDAR_TITLE, "escape")
    wait_closed(driver, CALENDAR_TITLE)

    # The world clock shows its cities under the system's zone rules; the help opens.
    post_command(driver, CMD_WORLD_CLOCK)
    wait_open(driver, WORLD_CLOCK_TITLE, 20)
    rows = [row["cells"] for row in list_rows(driver, WORLD_CLOCK_TITLE, CITY_LIST)]
    assert [city for city, *_ in rows] == list(CITY_ZONES)
    for city, time_text, date_text, offset_text in rows:  # as the host's zone rules give them
        there = datetime.now(ZoneInfo(CITY_ZONES[city]))
        shown = datetime.strptime(f"{date_text[4:]} {time_text}", "%m/%d/%Y %H:%M:%S")
        assert abs(shown - there.replace(tzinfo=None)) < timedelta(seconds=3), city
        minutes = int(there.utcoffset().total_seconds()) // 60
        expected = "UTC" if minutes == 0 else f"UTC{'+' if minutes > 0 else '-'}{abs(minutes) // 60:02}:{abs(minutes) % 60:02}"
        assert offset_text == expected + (" daylight" if there.dst() else ""), city
    window_picture(wine, driver, WORLD_CLOCK_TITLE, "globrin.png", PICTURE_MARGIN)
    post_command(driver, CMD_HELP)
    wait_open(driver, HELP_TITLE, 20)
    for title in (HELP_TITLE, WORLD_CLOCK_TITLE):
        driver.facts("close", title)
        wait_closed(driver, title)

    # The others quit at Horvane's exit.
    driver.facts("command", MAIN_TITLE, CMD_EXIT)
    wait_closed(driver, SYNC_TITLE)
    wait_closed(driver, BAR_TITLE)
    assert running.wait_exit() == 0
