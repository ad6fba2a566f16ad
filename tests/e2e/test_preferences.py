"""Preferences under Wine, opened by a companion's code and by the command, worked from outside
and measuring a slow reference server on 127.0.0.2."""

import re

import pytest

from conftest import Received, close_and_wait, settings_values
from dialogs import CMD_PREFERENCES, controls, list_rows, post_command, wait_closed, wait_open, window_picture
from program_ids import CODE, CONTROL
from winehost import poll

OPTIONS, ADD_SERVER, CHOOSER = "Options...", "Adding New Time Server...", "Color"
PREFERENCES_CODE, BAR_SETTINGS_CHANGED = CODE["kCodePreferences"], CODE["kCodeBarSettingsChanged"]
CODE_SERVER = CODE["kCodeServerAddress"]
ALWAYS_SHOW_BAR, BG_COLOUR, TEXT_COLOUR, AUTO_SYNC, ADD, LIST, TEST = (CONTROL[name] for name in (
    "IDC_ALWAYS_SHOW_BAR", "IDC_BG_COLOUR", "IDC_TEXT_COLOUR", "IDC_AUTO_SYNC", "IDC_ADD_SERVER", "IDC_SERVER_LIST",
    "IDC_TEST_SERVER"))
HALF_HOUR, BELL, TIME_ONLY, OK, CANCEL = (CONTROL[name] for name in (
    "IDC_PER_HALF_HOUR", "IDC_BELL_ENABLE", "IDC_TIME_ONLY", "kIdOk", "kIdCancel"))
TITLE, ADDRESS = CONTROL["IDC_SERVER_TITLE"], CONTROL["IDC_SERVER_ADDRESS"]
# The system colour chooser's red, green and blue edits (its colordlg.h): not the program's ids.
COLOR_RED, COLOR_GREEN, COLOR_BLUE = 706, 707, 708
CHOOSER_RGB = (COLOR_RED, COLOR_GREEN, COLOR_BLUE)

SLOW_DELAY = 0.5
SERVERS = "Prompt(127.0.0.1)?Slow(127.0.0.2)?Silent(127.0.0.3)?1"
CONFIG = b"[auto]=1\r\n[diff]=3\r\n[alsh]=0\r\n[bash]=0\r\n[ring]=0\r\n[rpoh]=1\r\n[list]=" + SERVERS.encode() + b"\r\n"
DELAY_CELL = re.compile(r"(\d+\.\d{3})sec")
BAR_KEYS = (r"HKLM\Software\Horvane\Bar", r"HKCU\Software\Horvane\Bar")
REG_DWORD = re.compile(r"^\s+(\S+)\s+REG_DWORD\s+0x([0-9a-fA-F]+)\s*$")


def click(driver, title: str, control_id: int) -> None:
    driver.facts("click-control", title, control_id)


def rows(driver) -> list[dict]:
    return list_rows(driver, OPTIONS, LIST)


def delays(driver) -> list[str]:
    return [row["cells"][2] for row in rows(driver)]


def choose_colour(driver, swatch: int, rgb: tuple[str, str, str]) -> None:
    click(driver, OPTIONS, swatch)
    wait_open(driver, CHOOSER)
    for edit, value in zip(CHOOSER_RGB, rgb):
        driver.facts("set-text", CHOOSER, edit, value)
    click(driver, CHOOSER, OK)
    wait_closed(driver, CHOOSER)


@pytest.fixture
def no_bar_values(wine):
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
    sntp_server("--host", "127.0.0.2", "--delay", str(SLOW_DELAY))
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
        for control_id in (BELL, AUTO_SYNC, CANCEL):
            click(driver, OPTIONS, control_id)
        wait_closed(driver, OPTIONS)

    # Opened by the command: a click on the list's empty part gives it the focus, Down selects row by row.
    post_command(driver, CMD_PREFERENCES)
    wait_open(driver, OPTIONS)
    left, _, right, bottom = controls(driver, OPTIONS)[LIST].rect
    driver.facts("click", (left + right) // 2, bottom - 8, "left")
    driver.facts("keys", OPTIONS, "down", "down")
    assert poll(lambda: [row["selected"] for row in rows(driver)] == [False, True, False], 5), rows(driver)
    click(driver, OPTIONS, TEST)
    assert poll(lambda: DELAY_CELL.fullmatch(delays(driver)[1]), 5), delays(driver)
    assert float(DELAY_CELL.fullmatch(delays(driver)[1])[1]) >= SLOW_DELAY - 0.01

    window_picture(wine, driver, OPTIONS, "options.png")

    click(driver, OPTIONS, ADD)
    wait_open(driver, ADD_SERVER)
    driver.facts("set-text", ADD_SERVER, TITLE, "Loopback again")
    driver.facts("set-text", ADD_SERVER, ADDRESS, "127.0.0.1")
    window_picture(wine, driver, ADD_SERVER, "add-server.png")
    click(driver, ADD_SERVER, OK)
    wait_closed(driver, ADD_SERVER)
    assert rows(driver)[3]["cells"] == ["Loopback again", "127.0.0.1", ""]

    for control_id in (AUTO_SYNC, BELL, HALF_HOUR, ALWAYS_SHOW_BAR):
        click(driver, OPTIONS, control_id)
    assert poll(lambda: controls(driver, OPTIONS)[HALF_HOUR].checked, 5)
    # The bar it starts is missing from the folder: no box holds up the address for "sync".
    with companion("sync") as sync:
        click(driver, OPTIONS, OK)
        wait_closed(driver, OPTIONS)
        assert poll(lambda: sync.received_codes == [CODE_SERVER], 2), sync.records()
    close_and_wait(driver, program)
    values = settings_values(program.config_path.read_bytes())
    assert values["[list]="] == SERVERS[:-1] + "Loopback again(127.0.0.1)?1"
    assert (values["[auto]="], values["[diff]="], values["[ring]="], values["[rpoh]="]) == ("0", "3", "1", "0")
