"""The companion programs, the help file and the portable release, run for real under Wine
together with Horvane.exe: what only the real windows, messages between the processes, the
registry and the reference time server show."""

from __future__ import annotations

import re
import subprocess
import wave
import zipfile
from datetime import datetime, timedelta
from pathlib import Path
from zoneinfo import ZoneInfo

import pytest

from conftest import BUILD_DIR, MAIN_TITLE, RELEASE_FILES, SCREENSHOT_DIR, install_companions, poll
from dialogs import (CMD_DATETIME_BAR, CMD_EXIT, CMD_HELP, CMD_SYNCHRONIZE, CMD_WORLD_CLOCK, controls, list_rows,
                     post_command, rect_of, wait_closed, wait_open, window, window_picture, window_rect)
from program_ids import CODE, companion_ids
from sync_support import CONFIG, RESULT_TEXT, SENT_TEXT, SERVER, STOP_TEXT
from winehost import colours

WM_SYSCOMMAND = 0x0112
SC_MINIMIZE = 0xF020

SYNC_TITLE = "sync"
BAR_TITLE = "VistrelShow"
WORLD_CLOCK_TITLE = "World Clock"
ADD_CITY_TITLE = "Add City"
HELP_TITLE = "Horvane Help"
SHUTDOWN_TITLE = "ShutDown..."

QUOREL, VISTREL, GLOBRIN = companion_ids("Quorel"), companion_ids("Vistrel"), companion_ids("Globrin")
SYNC_SERVER, SYNC_START, SYNC_STOP, SYNC_TRANSCRIPT = (QUOREL[name] for name in ("IDC_SYNC_SERVER", "IDC_SYNC_START",
                                                                                 "IDC_SYNC_STOP", "IDC_SYNC_TRANSCRIPT"))
BAR_STATUS, BAR_TIME = VISTREL["IDC_BAR_STATUS"], VISTREL["IDC_BAR_TIME"]
CITY_LIST, ADD_CITY = GLOBRIN["IDC_CITY_LIST"], GLOBRIN["IDC_ADD_CITY"]
CODE_RESULT, CODE_BAR_SETTINGS = CODE["kCodeSyncResult"], CODE["kCodeBarSettingsChanged"]

MARK_OK, MARK_RUNNING = "\u25CF", "\u25CB"

BAR_KEY = r"HKCU\Software\Horvane\Bar"
USER_KEY = r"HKCU\Software\Horvane"
RUN_TIMEOUT = 15.0
PICTURE_MARGIN = 8


@pytest.fixture
def user_settings(wine):
    """The companions' per-user values are absent at the start and removed at the end."""
    wine.run("reg", "delete", USER_KEY, "/f")
    yield
    wine.run("reg", "delete", USER_KEY, "/f")


def control_text(driver, title: str, control_id: int) -> str:
    return controls(driver, title)[control_id].text


def stop_enabled(driver) -> bool:
    return controls(driver, SYNC_TITLE)[SYNC_STOP].enabled


def transcript(driver) -> str:
    return control_text(driver, SYNC_TITLE, SYNC_TRANSCRIPT)


def test_sync_window_and_bar_follow_the_runs_and_horvane(horvane, driver, wine, program_dir, sntp_server,
                                                       user_settings):
    install_companions(program_dir)
    # Stored with red in the third byte: on screen (0x33, 0x66, 0x99).
    wine.run("reg", "add", BAR_KEY, "/v", "Bkcolor", "/t", "REG_DWORD", "/d", "0x00336699", "/f")
    wine.run("reg", "add", BAR_KEY, "/v", "Textcolor", "/t", "REG_DWORD", "/d", "0x00FFFFFF", "/f")
    server = sntp_server("--offset", "0", "--delay", "0.010")
    horvane(CONFIG)
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

    # A run that gets no answer, stopped: the bar shows it on until the next good run.
    server = sntp_server("--silent")
    before = transcript(driver)
    driver.facts("click-control", SYNC_TITLE, SYNC_START)
    assert poll(lambda: stop_enabled(driver), 5), "Stop while the run is on"
    driver.facts("keys", SYNC_TITLE, "alt+t")
    assert poll(lambda: not stop_enabled(driver), 5)
    assert re.fullmatch(SENT_TEXT.pattern + STOP_TEXT.pattern, transcript(driver)[len(before):]), transcript(driver)
    assert control_text(driver, BAR_TITLE, BAR_STATUS) == MARK_RUNNING
    server.stop()
    sntp_server("--offset", "0", "--delay", "0.010")
    before = transcript(driver)
    driver.facts("click-control", SYNC_TITLE, SYNC_START)
    assert poll(lambda: re.fullmatch(SENT_TEXT.pattern + RESULT_TEXT.pattern, transcript(driver)[len(before):]),
                RUN_TIMEOUT), transcript(driver)
    assert poll(lambda: control_text(driver, BAR_TITLE, BAR_STATUS) == MARK_OK, 3)

    # Messages from any process are read with care.
    shown = transcript(driver)
    for title, code in ((SYNC_TITLE, CODE_RESULT), (BAR_TITLE, CODE_BAR_SETTINGS)):
        driver.facts("copydata-badlen", title, code)
        driver.facts("copydata-null", title)
    assert driver.facts("copydata", SYNC_TITLE, CODE_RESULT, "x" * 20000)["result"] == "0", "far too long"
    assert transcript(driver) == shown

    # A second start brings the first window forward instead of opening another.
    driver.facts("post", SYNC_TITLE, WM_SYSCOMMAND, SC_MINIMIZE, 0)
    second = wine.spawn(program_dir / "Quorel.exe", "QuorelShow")
    assert second.wait(timeout=15) == 0
    assert driver.facts("count", SYNC_TITLE)["count"] == "1"
    assert poll(lambda: window(driver, SYNC_TITLE)["foreground"] == "1", 5)

    # New settings take effect when Horvane's options say so.
    wine.run("reg", "add", BAR_KEY, "/v", "Bkcolor", "/t", "REG_DWORD", "/d", "0x00CC2200", "/f")
    assert driver.facts("copydata", BAR_TITLE, CODE_BAR_SETTINGS)["result"] == "1"
    x, y = right - 3, (top + bottom) // 2
    assert colours(wine.screenshot(SCREENSHOT_DIR / "pixel.png"), (x, y, x + 1, y + 1)) == {(0xCC, 0x22, 0x00)}

    # Its menu asks Horvane for a command, whose dialog opens; the bar keeps ticking meanwhile.
    driver.facts("click", (left + right) // 2, (top + bottom) // 2, "right")
    driver.facts("menu-keys", 10, "d")
    wait_open(driver, SHUTDOWN_TITLE)
    ticking = control_text(driver, BAR_TITLE, BAR_TIME)
    assert poll(lambda: control_text(driver, BAR_TITLE, BAR_TIME) != ticking, 3), "the bar froze"
    driver.facts("keys", SHUTDOWN_TITLE, "escape")
    wait_closed(driver, SHUTDOWN_TITLE)

    # Dragged elsewhere, it opens there the next time.
    driver.facts("drag", left + 10, (top + bottom) // 2, 110, 100)
    place = (100, 100 - (top + bottom) // 2 + top)
    assert poll(lambda: window_rect(driver, BAR_TITLE)[:2] == place, 5), window_rect(driver, BAR_TITLE)
    post_command(driver, CMD_DATETIME_BAR)
    wait_closed(driver, BAR_TITLE)
    post_command(driver, CMD_DATETIME_BAR)
    wait_open(driver, BAR_TITLE)
    assert window_rect(driver, BAR_TITLE)[:2] == place

    # Both quit at Horvane's exit.
    driver.facts("command", MAIN_TITLE, CMD_EXIT)
    wait_closed(driver, SYNC_TITLE)
    wait_closed(driver, BAR_TITLE)


# -- the portable release ---------------------------------------------------------------------

CITY_ZONES = {"London": "Europe/London", "New York": "America/New_York", "Berlin": "Europe/Berlin",
              "Tokyo": "Asia/Tokyo", "Sydney": "Australia/Sydney"}


def build_release(target: Path) -> Path:
    """Packs the zip as the release command does, from the Windows build."""
    subprocess.run(["cpack", "--config", str(BUILD_DIR / "CPackConfig.cmake"), "-B", str(target)],
                   check=True, capture_output=True, timeout=120)
    return next(target.glob("Horvane-*-win64.zip"))


def cities(driver) -> list[str]:
    return [row["cells"][0] for row in list_rows(driver, WORLD_CLOCK_TITLE, CITY_LIST)]


def assert_city_times(driver) -> None:
    """Each city's time, date and offset as the host's zone rules give them."""
    for row in list_rows(driver, WORLD_CLOCK_TITLE, CITY_LIST):
        city, time_text, date_text, offset_text = row["cells"]
        there = datetime.now(ZoneInfo(CITY_ZONES[city]))
        shown = datetime.strptime(f"{date_text[4:]} {time_text}", "%m/%d/%Y %H:%M:%S")
        assert abs(shown - there.replace(tzinfo=None)) < timedelta(seconds=3), city
        minutes = int(there.utcoffset().total_seconds()) // 60
        expected = "UTC" if minutes == 0 else f"UTC{'+' if minutes > 0 else '-'}{abs(minutes) // 60:02}:{abs(minutes) % 60:02}"
        assert offset_text == expected + (" daylight" if there.dst() else ""), city


def test_release_zip_runs_from_a_folder_with_blanks(horvane, driver, wine, tmp_path, user_settings):
    archive = build_release(tmp_path / "package")
    with zipfile.ZipFile(archive) as zipped:
        names = zipped.namelist()
        top = {name.split("/")[0] for name in names}
        assert len(top) == 1, "one folder, nothing spilled"
        assert {name.split("/", 1)[1] for name in names} == RELEASE_FILES, "flat, and only these"
        folder = tmp_path / "My Programs" / "Horvane Portable"
        zipped.extractall(folder)
    program = folder / top.pop()
    with wave.open(str(program / "bell.wav")) as bell:
        assert bell.getnchannels() == 1 and 0.5 < bell.getnframes() / bell.getframerate() < 3
    assert (program / "LICENSE.txt").read_text().startswith("MIT License")
    running = horvane(b"[auto]=0\r\n[alsh]=0\r\n[bash]=0\r\n", directory=program)

    # The world clock shows its cities under the system's rules; a city added through its
    # dialog is remembered for the next start.
    post_command(driver, CMD_WORLD_CLOCK)
    wait_open(driver, WORLD_CLOCK_TITLE, 20)
    assert cities(driver) == list(CITY_ZONES)
    assert_city_times(driver)
    window_picture(wine, driver, WORLD_CLOCK_TITLE, "globrin.png", PICTURE_MARGIN)
    driver.facts("click-control", WORLD_CLOCK_TITLE, ADD_CITY)
    wait_open(driver, ADD_CITY_TITLE)
    driver.facts("keys", ADD_CITY_TITLE, "alt+t", "down", "enter")
    wait_closed(driver, ADD_CITY_TITLE)
    added = cities(driver)[-1]
    driver.facts("keys", WORLD_CLOCK_TITLE, "escape")
    wait_closed(driver, WORLD_CLOCK_TITLE)
    post_command(driver, CMD_WORLD_CLOCK)
    wait_open(driver, WORLD_CLOCK_TITLE)
    assert cities(driver) == [*CITY_ZONES, added]

    # Every other item that starts a companion or the help works from the folder.
    for command, title in ((CMD_SYNCHRONIZE, SYNC_TITLE), (CMD_DATETIME_BAR, BAR_TITLE), (CMD_HELP, HELP_TITLE)):
        post_command(driver, command)
        wait_open(driver, title, 20)
    for title in (HELP_TITLE, WORLD_CLOCK_TITLE):
        driver.facts("close", title)
        wait_closed(driver, title)
    driver.facts("command", MAIN_TITLE, CMD_EXIT)
    for title in (SYNC_TITLE, BAR_TITLE):
        wait_closed(driver, title)
    # The settings are written as the process ends, after the window has gone.
    assert running.wait_exit() == 0
    assert b"[list]=" in (program / "config.txt").read_bytes()
