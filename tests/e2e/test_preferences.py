"""Preferences under Wine, opened by a companion's copy-data code and by the command, read
and worked from outside, measuring reference SNTP servers on 127.0.0.1 (prompt), 127.0.0.2
(slow) and 127.0.0.3 (silent)."""

from __future__ import annotations

import re

import pytest

from conftest import SCREENSHOT_DIR, Received, close_and_wait, settings_values
from dialogs import CMD_PREFERENCES, controls, list_rows, post_command, wait_closed, wait_open, window_picture
from program_ids import CODE, CONTROL
from winehost import colours, poll

OPTIONS, ADD_SERVER, CHOOSER = "Options...", "Adding New Time Server...", "Color"
PREFERENCES_CODE, BAR_SETTINGS_CHANGED = CODE["kCodePreferences"], CODE["kCodeBarSettingsChanged"]
CODE_SERVER = CODE["kCodeServerAddress"]
ALWAYS_SHOW_BAR, BG_COLOUR, TEXT_COLOUR, AUTO_SYNC, INTERVAL, INTERVAL_LABEL = (CONTROL[name] for name in (
    "IDC_ALWAYS_SHOW_BAR", "IDC_BG_COLOUR", "IDC_TEXT_COLOUR", "IDC_AUTO_SYNC", "IDC_SYNC_INTERVAL", "IDC_INTERVAL_LABEL"))
ADD, LIST, DELETE, TEST, FIND_BEST, SET_DEFAULT, DEFAULT_LABEL = (CONTROL[name] for name in (
    "IDC_ADD_SERVER", "IDC_SERVER_LIST", "IDC_DELETE_SERVER", "IDC_TEST_SERVER", "IDC_FIND_BEST", "IDC_SET_DEFAULT",
    "IDC_DEFAULT_LABEL"))
HALF_HOUR, HOURLY, BELL_FILE, BELL, TIME_ONLY, OK, CANCEL = (CONTROL[name] for name in (
    "IDC_PER_HALF_HOUR", "IDC_PER_HOUR", "IDC_BELL_FILE", "IDC_BELL_ENABLE", "IDC_TIME_ONLY", "kIdOk", "kIdCancel"))
TITLE, ADDRESS, CHECK, REPORT = (CONTROL[name] for name in (
    "IDC_SERVER_TITLE", "IDC_SERVER_ADDRESS", "IDC_CHECK_SERVER", "IDC_CHECK_REPORT"))
LOCKED_WHILE_MEASURING = (TEST, ADD, DELETE, SET_DEFAULT, FIND_BEST, OK, CANCEL)
# The system colour chooser's red, green and blue edits, as the system's colordlg.h names
# them: the system's ids, not the program's.
COLOR_RED, COLOR_GREEN, COLOR_BLUE = 706, 707, 708
CHOOSER_RGB = (COLOR_RED, COLOR_GREEN, COLOR_BLUE)

SLOW_DELAY = 0.5
SERVERS = "Prompt(127.0.0.1)?Slow(127.0.0.2)?Silent(127.0.0.3)?1"
CONFIG = b"[auto]=1\r\n[diff]=3\r\n[alsh]=0\r\n[bash]=0\r\n[ring]=0\r\n[rpoh]=1\r\n[list]=" + SERVERS.encode() + b"\r\n"
DELAY_CELL = re.compile(r"(\d+\.\d{3})sec")
FIND_BEST_WAIT = 30.0  # three rows, the last silent for its full 10 s
BAR_KEYS = (r"HKLM\Software\Horvane\Bar", r"HKCU\Software\Horvane\Bar")
REG_DWORD = re.compile(r"^\s+(\S+)\s+REG_DWORD\s+0x([0-9a-fA-F]+)\s*$")


def click(driver, title: str, control_id: int) -> None:
    driver.facts("click-control", title, control_id)


def rows(driver) -> list[dict]:
    return list_rows(driver, OPTIONS, LIST)


def selected(driver) -> list[int]:
    return [i for i, row in enumerate(rows(driver)) if row["selected"]]


def delays(driver) -> list[str]:
    return [row["cells"][2] for row in rows(driver)]


def locked_enabled(driver) -> list[bool]:
    shown = controls(driver, OPTIONS)
    return [shown[i].enabled for i in LOCKED_WHILE_MEASURING]


def choose_colour(driver, swatch: int, rgb: tuple[str, str, str]) -> None:
    click(driver, OPTIONS, swatch)
    wait_open(driver, CHOOSER)
    for edit, value in zip(CHOOSER_RGB, rgb):
        driver.facts("set-text", CHOOSER, edit, value)
    click(driver, CHOOSER, OK)
    wait_closed(driver, CHOOSER)


@pytest.fixture
def no_bar_values(wine):
    """The bar's registry keys are absent during the test and removed after it."""
    for key in BAR_KEYS:
        wine.run("reg", "delete", key, "/f")
    yield
    for key in BAR_KEYS:
        wine.run("reg", "delete", key, "/f")


def bar_values(wine) -> dict[str, dict[str, int]]:
    return {key[:4]: {m[1]: int(m[2], 16) for m in map(REG_DWORD.match, wine.run("reg", "query", key).stdout
                                                                        .splitlines()) if m}
            for key in BAR_KEYS}


def test_preferences_store_bar_values_and_measured_edited_servers(horvane, driver, companion, wine, sntp_server,
                                                                  no_bar_values):
    sntp_server("--host", "127.0.0.1")
    sntp_server("--host", "127.0.0.2", "--delay", str(SLOW_DELAY))
    sntp_server("--host", "127.0.0.3", "--silent")
    program = horvane(CONFIG)

    # Asked for by a companion: the bar's values reach the registry at once and the bar hears
    # of each change; Cancel applies nothing else.
    with companion("VistrelShow") as bar, companion("asks for preferences", (300, PREFERENCES_CODE)):
        wait_open(driver, OPTIONS)
        click(driver, OPTIONS, TIME_ONLY)
        choose_colour(driver, BG_COLOUR, ("18", "52", "86"))
        choose_colour(driver, TEXT_COLOUR, ("255", "255", "0"))
        assert poll(lambda: len(bar.received) == 3, 5), bar.records()
        assert bar.received == [Received(BAR_SETTINGS_CHANGED, b"")] * 3
        # Stored with red in the high byte.
        assert bar_values(wine) == {"HKLM": {"Timeonly": 1, "Bkcolor": 0x123456, "Textcolor": 0xFFFF00},
                                    "HKCU": {}}
        picture = wine.screenshot(SCREENSHOT_DIR / "swatches.png")
        shown = controls(driver, OPTIONS)
        for swatch, colour in ((BG_COLOUR, (0x12, 0x34, 0x56)), (TEXT_COLOUR, (0xFF, 0xFF, 0x00))):
            left, top, right, bottom = shown[swatch].rect
            x, y = (left + right) // 2, (top + bottom) // 2
            assert colours(picture, (x, y, x + 1, y + 1)) == {colour}
        for control_id in (BELL, AUTO_SYNC, CANCEL):
            click(driver, OPTIONS, control_id)
        wait_closed(driver, OPTIONS)

    # Opened by the command: the settings as before the Cancel, the bar's values read back.
    post_command(driver, CMD_PREFERENCES)
    wait_open(driver, OPTIONS)
    shown = controls(driver, OPTIONS)
    assert [shown[i].text for i in (INTERVAL_LABEL, DEFAULT_LABEL)] == [
        "Interval:01(Hour)-15(Min)", "Current Default Server:127.0.0.2"]
    assert [shown[i].checked for i in (ALWAYS_SHOW_BAR, AUTO_SYNC, BELL, HALF_HOUR, HOURLY, TIME_ONLY)] == [
        0, 1, 0, 0, 1, 1]
    assert [shown[i].enabled for i in (INTERVAL, HALF_HOUR, HOURLY)] == [True, False, False]
    assert shown[BELL_FILE].text == program.windows_dir + "bell.wav"
    assert [row["cells"] for row in rows(driver)] == [
        ["Prompt", "127.0.0.1", ""], ["Slow", "127.0.0.2", ""], ["Silent", "127.0.0.3", ""]]

    # A click on the list's empty part gives it the focus; Down then selects row by row.
    left, _, right, bottom = shown[LIST].rect
    driver.facts("click", (left + right) // 2, bottom - 8, "left")
    driver.facts("keys", OPTIONS, "down", "down")
    assert poll(lambda: selected(driver) == [1], 5), selected(driver)
    click(driver, OPTIONS, TEST)
    assert poll(lambda: DELAY_CELL.fullmatch(delays(driver)[1]), 5), delays(driver)
    assert float(DELAY_CELL.fullmatch(delays(driver)[1])[1]) >= SLOW_DELAY - 0.01

    # Find Best: the buttons stay locked while the silent server has its ten seconds.
    click(driver, OPTIONS, FIND_BEST)
    assert poll(lambda: selected(driver) == [2], 10), delays(driver)
    assert not any(locked_enabled(driver))
    assert poll(lambda: all(locked_enabled(driver)), FIND_BEST_WAIT)
    found = delays(driver)
    assert DELAY_CELL.fullmatch(found[0]) and DELAY_CELL.fullmatch(found[1]) and found[2] == "Error", found
    assert selected(driver) == [0]
    assert controls(driver, OPTIONS)[DEFAULT_LABEL].text == "Current Default Server:127.0.0.1"
    window_picture(wine, driver, OPTIONS, "options.png")

    click(driver, OPTIONS, ADD)
    wait_open(driver, ADD_SERVER)
    driver.facts("set-text", ADD_SERVER, TITLE, "Loopback again")
    driver.facts("set-text", ADD_SERVER, ADDRESS, "127.0.0.1")
    click(driver, ADD_SERVER, CHECK)
    report = lambda: controls(driver, ADD_SERVER)[REPORT].text  # noqa: E731
    assert poll(lambda: re.fullmatch(r"Netdelay is \d+\.\d{3} sec", report()), 5), report()
    window_picture(wine, driver, ADD_SERVER, "add-server.png")
    click(driver, ADD_SERVER, OK)
    wait_closed(driver, ADD_SERVER)
    assert rows(driver)[3]["cells"] == ["Loopback again", "127.0.0.1", ""]

    for control_id in (AUTO_SYNC, BELL, HALF_HOUR, ALWAYS_SHOW_BAR):
        click(driver, OPTIONS, control_id)
    assert poll(lambda: controls(driver, OPTIONS)[HALF_HOUR].checked, 5)
    assert not controls(driver, OPTIONS)[INTERVAL].enabled
    # The bar it starts is missing from the folder: no box holds up the address for "sync".
    with companion("sync") as sync:
        click(driver, OPTIONS, OK)
        wait_closed(driver, OPTIONS)
        assert poll(lambda: sync.received_codes == [CODE_SERVER], 2), sync.records()
    close_and_wait(driver, program)
    values = settings_values(program.config_path.read_bytes())
    assert values["[list]="] == SERVERS[:-1] + "Loopback again(127.0.0.1)?0"
    assert (values["[auto]="], values["[diff]="], values["[ring]="], values["[rpoh]="]) == ("0", "3", "1", "0")
