"""Preferences under Wine: the options dialog and the add-server dialog, opened by the
command and by a companion's copy-data code, read and worked from outside, measuring
reference SNTP servers on 127.0.0.1 (prompt), 127.0.0.2 (slow) and 127.0.0.3 (silent)."""

from __future__ import annotations

import re
import subprocess

import pytest

from conftest import MAIN_TITLE, Received
from dialogs import controls, list_rows, post_command, wait_closed, wait_open, window
from winehost import poll

OPTIONS = "Options..."
ADD_SERVER = "Adding New Time Server..."
COLOUR_CHOOSER = "Color"
PREFERENCES_COMMAND = 32773
PREFERENCES_CODE = 31
BAR_SETTINGS_CHANGED = 21

# Control ids of the two dialogs.
ALWAYS_SHOW_BAR, BG_COLOUR, TEXT_COLOUR, AUTO_SYNC, INTERVAL, INTERVAL_LABEL = 1001, 1002, 1003, 1004, 1005, 1006
ADD, LIST, DELETE, TEST, FIND_BEST, SET_DEFAULT, DEFAULT_LABEL = 1007, 1010, 1011, 1013, 1014, 1015, 1016
HALF_HOUR, HOURLY, BELL_FILE, TEST_MUSIC, BROWSE, BELL, TIME_ONLY = 1018, 1019, 1020, 1021, 1024, 1040, 1041
OK, CANCEL = 1, 2
TITLE, ADDRESS, CHECK, REPORT = 1025, 1026, 1027, 1028
LOCKED_WHILE_MEASURING = (TEST, ADD, DELETE, SET_DEFAULT, FIND_BEST, OK, CANCEL)
# The colour chooser's red, green and blue edits.
CHOOSER_RGB = (706, 707, 708)

SLOW_DELAY = 0.5
SERVERS = b"Prompt(127.0.0.1)?Slow(127.0.0.2)?Silent(127.0.0.3)?1"
CONFIG = (b"[auto]=1\r\n[diff]=3\r\n[alsh]=0\r\n[bash]=0\r\n[ring]=0\r\n[rpoh]=1\r\n"
          b"[list]=" + SERVERS + b"\r\n")
DELAY_CELL = re.compile(r"(\d+\.\d{3})sec")
FIND_BEST_WAIT = 30.0  # three rows, the last silent for its full 10 s
MEASURE_WAIT = 5.0

BAR_KEYS = (r"HKLM\Software\Horvane\Bar", r"HKCU\Software\Horvane\Bar")
REG_DWORD_LINE = re.compile(r"^\s+(\S+)\s+REG_DWORD\s+0x([0-9a-fA-F]+)\s*$")


def window_screenshot(driver, screenshot, title: str, name: str) -> None:
    """The window alone, cut from a picture of the display, for docs/screenshots/."""
    left, top, right, bottom = map(int, window(driver, title)["rect"].split(","))
    path = screenshot(name)
    subprocess.run(["convert", str(path), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                    str(path)], check=True, timeout=30)


def select_row(driver, row: int) -> None:
    """Selects a list row as a user does from the keyboard: a click on the list's empty
    part gives it the focus, then Down moves from row to row."""
    left, _, right, bottom = controls(driver, OPTIONS)[LIST].rect
    driver.facts("click", (left + right) // 2, bottom - 8, "left")
    driver.facts("keys", OPTIONS, *["down"] * (row + 1))
    assert poll(lambda: selected_rows(driver) == [row], 5), selected_rows(driver)


def selected_rows(driver) -> list[int]:
    return [i for i, row in enumerate(list_rows(driver, OPTIONS, LIST)) if row["selected"]]


def pixel(path, x: int, y: int) -> str:
    """The colour of one pixel of a picture, as #RRGGBB."""
    out = subprocess.run(["convert", str(path), "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                         check=True, capture_output=True, text=True, timeout=30).stdout
    return re.search(r"#[0-9A-F]{6}", out)[0]


def swatch_centre(driver, swatch: int) -> tuple[int, int]:
    left, top, right, bottom = controls(driver, OPTIONS)[swatch].rect
    return (left + right) // 2, (top + bottom) // 2


def choose_colour(driver, swatch: int, rgb: tuple[str, str, str]) -> None:
    """Clicks a swatch and chooses a colour by its red, green and blue in the chooser."""
    click(driver, OPTIONS, swatch)
    wait_open(driver, COLOUR_CHOOSER)
    for edit, value in zip(CHOOSER_RGB, rgb):
        driver.facts("set-text", COLOUR_CHOOSER, edit, value)
    click(driver, COLOUR_CHOOSER, OK)
    wait_closed(driver, COLOUR_CHOOSER)


def delays(driver) -> list[str]:
    return [row["cells"][2] for row in list_rows(driver, OPTIONS, LIST)]


def click(driver, title: str, control_id: int) -> None:
    driver.facts("click-control", title, control_id)


def enabled(driver, ids) -> list[bool]:
    shown = controls(driver, OPTIONS)
    return [shown[i].enabled for i in ids]


def bar_values(wine) -> dict[str, dict[str, int]]:
    """The DWORD values under the bar's key, by root."""
    found = {}
    for key in BAR_KEYS:
        result = wine.run("reg", "query", key)
        found[key[:4]] = {m[1]: int(m[2], 16) for m in map(REG_DWORD_LINE.match, result.stdout.splitlines()) if m}
    return found


def config_values(program) -> dict[str, str]:
    lines = program.config_path.read_bytes().decode("latin-1").split("\r\n")
    return {line[:7]: line[7:] for line in lines if line}


def test_servers_are_measured_edited_and_stored(horvane, driver, sntp_server, screenshot):
    sntp_server("--host", "127.0.0.1")
    sntp_server("--host", "127.0.0.2", "--delay", str(SLOW_DELAY))
    sntp_server("--host", "127.0.0.3", "--silent")
    program = horvane(CONFIG)
    post_command(driver, PREFERENCES_COMMAND)
    wait_open(driver, OPTIONS)

    shown = controls(driver, OPTIONS)
    assert [shown[i].text for i in (ADD, DELETE, SET_DEFAULT, TEST, FIND_BEST)] == \
        ["Add Server ", "Del Selected", "Set Default", "Test Server", "Find Best  "]
    assert shown[INTERVAL_LABEL].text == "Interval:01(Hour)-15(Min)"
    assert shown[DEFAULT_LABEL].text == "Current Default Server:127.0.0.2"
    assert shown[AUTO_SYNC].checked and shown[INTERVAL].enabled
    assert not shown[ALWAYS_SHOW_BAR].checked and not shown[BELL].checked
    assert shown[HOURLY].checked and not shown[HALF_HOUR].checked
    assert not shown[HOURLY].enabled and not shown[HALF_HOUR].enabled
    assert shown[BELL_FILE].text == program.windows_dir + "bell.wav"
    assert [r["cells"] for r in list_rows(driver, OPTIONS, LIST)] == [
        ["Prompt", "127.0.0.1", ""], ["Slow", "127.0.0.2", ""], ["Silent", "127.0.0.3", ""]]
    facts = window(driver, OPTIONS)
    left, top, right, bottom = map(int, facts["rect"].split(","))
    w_left, w_top, w_right, w_bottom = map(int, facts["workarea"].split(","))
    assert w_left <= left and right <= w_right and w_top <= top and bottom <= w_bottom

    select_row(driver, 1)
    click(driver, OPTIONS, TEST)
    assert poll(lambda: DELAY_CELL.fullmatch(delays(driver)[1]), MEASURE_WAIT), delays(driver)
    assert float(DELAY_CELL.fullmatch(delays(driver)[1])[1]) >= SLOW_DELAY - 0.01

    # Find Best: the buttons stay locked while the silent server has its ten seconds.
    click(driver, OPTIONS, FIND_BEST)
    assert poll(lambda: list_rows(driver, OPTIONS, LIST)[2]["selected"], MEASURE_WAIT * 2), delays(driver)
    assert not any(enabled(driver, LOCKED_WHILE_MEASURING))
    assert poll(lambda: all(enabled(driver, LOCKED_WHILE_MEASURING)), FIND_BEST_WAIT)
    found = delays(driver)
    assert DELAY_CELL.fullmatch(found[0]) and DELAY_CELL.fullmatch(found[1]) and found[2] == "Error", found
    assert selected_rows(driver) == [0]
    assert controls(driver, OPTIONS)[DEFAULT_LABEL].text == "Current Default Server:127.0.0.1"
    window_screenshot(driver, screenshot, OPTIONS, "options.png")

    click(driver, OPTIONS, ADD)
    wait_open(driver, ADD_SERVER)
    driver.facts("set-text", ADD_SERVER, TITLE, "Loopback again")
    driver.facts("set-text", ADD_SERVER, ADDRESS, "127.0.0.1")
    click(driver, ADD_SERVER, CHECK)
    assert poll(lambda: re.fullmatch(r"Netdelay is \d+\.\d{3} sec", controls(driver, ADD_SERVER)[REPORT].text),
                MEASURE_WAIT), controls(driver, ADD_SERVER)[REPORT].text
    window_screenshot(driver, screenshot, ADD_SERVER, "add-server.png")
    click(driver, ADD_SERVER, OK)
    wait_closed(driver, ADD_SERVER)
    assert list_rows(driver, OPTIONS, LIST)[3]["cells"] == ["Loopback again", "127.0.0.1", ""]

    click(driver, OPTIONS, AUTO_SYNC)
    click(driver, OPTIONS, BELL)
    assert poll(lambda: controls(driver, OPTIONS)[HALF_HOUR].enabled, 5)
    click(driver, OPTIONS, HALF_HOUR)
    assert poll(lambda: not controls(driver, OPTIONS)[INTERVAL].enabled, 5)
    click(driver, OPTIONS, OK)
    wait_closed(driver, OPTIONS)

    driver.facts("close", MAIN_TITLE)
    assert program.wait_exit() == 0
    values = config_values(program)
    assert values["[list]="] == (SERVERS[:-1] + b"Loopback again(127.0.0.1)?0").decode()
    assert (values["[auto]="], values["[diff]="], values["[ring]="], values["[rpoh]="]) == ("0", "3", "1", "0")


@pytest.fixture
def no_bar_values(wine):
    """The bar's registry keys are absent during the test and removed after it."""
    for key in BAR_KEYS:
        wine.run("reg", "delete", key, "/f")
    yield
    for key in BAR_KEYS:
        wine.run("reg", "delete", key, "/f")


def test_bar_values_reach_the_registry_and_cancel_applies_nothing(horvane, driver, companion, wine, screenshot,
                                                                  no_bar_values):
    program = horvane(CONFIG)
    with companion("VistrelShow") as bar, companion("asks for preferences", (300, PREFERENCES_CODE)):
        wait_open(driver, OPTIONS)
        assert not controls(driver, OPTIONS)[TIME_ONLY].checked

        click(driver, OPTIONS, TIME_ONLY)
        assert poll(lambda: bar.received_codes == [BAR_SETTINGS_CHANGED], 5), bar.records()
        choose_colour(driver, BG_COLOUR, ("18", "52", "86"))
        choose_colour(driver, TEXT_COLOUR, ("255", "255", "0"))
        assert poll(lambda: len(bar.received) == 3, 5), bar.records()
        assert bar.received == [Received(BAR_SETTINGS_CHANGED, b"")] * 3
        # Stored with red in the high byte: red 18, green 52, blue 86; yellow.
        assert bar_values(wine) == {"HKLM": {"Timeonly": 1, "Bkcolor": 0x123456, "Textcolor": 0xFFFF00},
                                    "HKCU": {}}
        # The swatches show what was chosen.
        picture = screenshot("swatches.png")
        assert pixel(picture, *swatch_centre(driver, BG_COLOUR)) == "#123456"
        assert pixel(picture, *swatch_centre(driver, TEXT_COLOUR)) == "#FFFF00"

        # Changes cancelled reach neither the program nor, at its end, its settings file.
        click(driver, OPTIONS, BELL)
        click(driver, OPTIONS, AUTO_SYNC)
        click(driver, OPTIONS, CANCEL)
        wait_closed(driver, OPTIONS)

    # Opened again, it reads the bar's values back.
    post_command(driver, PREFERENCES_COMMAND)
    wait_open(driver, OPTIONS)
    assert controls(driver, OPTIONS)[TIME_ONLY].checked
    driver.facts("keys", OPTIONS, "escape")
    wait_closed(driver, OPTIONS)
    driver.facts("close", MAIN_TITLE)
    assert program.wait_exit() == 0
    values = config_values(program)
    assert (values["[auto]="], values["[ring]="], values["[list]="]) == ("1", "0", SERVERS.decode())
