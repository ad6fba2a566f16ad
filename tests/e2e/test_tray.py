"""The tray icon, its popup menu and the commands chosen from it, seen from outside."""

from __future__ import annotations

from datetime import datetime

import pytest

from conftest import MAIN_TITLE, SCREENSHOT_DIR, RunningProgram
from test_lifetime import settings_values
from tray_support import (ICON_SIZE, RUN_KEY, RUN_VALUE, SEPARATOR, TRACE_CHANNELS, crop,
                          icon_centre, icon_slot, menus_of, opened_menu)
from winehost import VIRTUAL_DESKTOP_SIZE, poll

WM_LBUTTONDOWN = 0x201
WM_RBUTTONDOWN = 0x204

CMD_PREFERENCES = 32773
CMD_SYNCHRONIZE = 32771
CMD_WORLD_CLOCK = 32775
CMD_CALENDAR = 32776
CMD_BELL = 32793
CMD_SHUTDOWN = 32778
CMD_DATETIME_BAR = 32790
CMD_RUN_AT_STARTUP = 32780
CMD_VIEW_LOG = 32779
CMD_TIMEZONE = 32774
CMD_HELP = 32777
CMD_ABOUT = 57664
CMD_EXIT = 32789

MENU_TIMEOUT = 10.0
ICON_TIMEOUT = 10.0
# The menu is drawn just after its window appears; the trace follows within moments.
TRACE_TIMEOUT = 5.0
TOOLTIP_TIMEOUT = 10.0
SCREENSHOT_MARGIN = 12
TOOLTIP_FORMAT = "%H:%M:%S(%m/%d/%Y)"


def expected_menu(bell: bool, bar_text: str, bar_checked: bool, run_checked: bool):
    # Run as root, Wine lets every program open the Run key with full access, so the
    # start-with-the-system item is always offered here.
    return [
        SEPARATOR,
        ("&Preferences...", CMD_PREFERENCES, False),
        SEPARATOR,
        ("&Synchronize Time", CMD_SYNCHRONIZE, False),
        ("&World Clock", CMD_WORLD_CLOCK, False),
        ("&Calendar", CMD_CALENDAR, False),
        SEPARATOR,
        ("&Bell", CMD_BELL, bell),
        ("Shut&Down Computer ...", CMD_SHUTDOWN, False),
        (bar_text, CMD_DATETIME_BAR, bar_checked),
        ("Run Horvane When System Startup", CMD_RUN_AT_STARTUP, run_checked),
        ("&View Log", CMD_VIEW_LOG, False),
        ("Change Local TimeZone", CMD_TIMEZONE, False),
        SEPARATOR,
        ("&Help", CMD_HELP, False),
        ("About...", CMD_ABOUT, False),
        SEPARATOR,
        ("E&xit Horvane", CMD_EXIT, False),
    ]


@pytest.fixture
def no_run_value(wine):
    """The Run value is absent during the test and removed after it, so that no later boot
    of the prefix starts a program from a test directory."""
    wine.reg_delete(RUN_KEY, RUN_VALUE)
    yield
    wine.reg_delete(RUN_KEY, RUN_VALUE)


@pytest.fixture
def traced_horvane(horvane):
    """traced_horvane(config): the program with Wine's menu and tray traces in its output."""
    return lambda config: horvane(config, debug=TRACE_CHANNELS)


def wait_for_menu(driver, program: RunningProgram, earlier: int):
    """The menu opened after `earlier` ones, once on screen: its items and its rectangle."""
    window = driver.facts("menu-wait", MENU_TIMEOUT)
    assert window["owner"] == driver.facts("find", MAIN_TITLE)["hwnd"], \
        "the open menu does not belong to the main window"
    menu = poll(lambda: opened_menu(program, earlier), TRACE_TIMEOUT)
    assert menu is not None, "Wine's trace shows no menu drawn in full"
    return menu, tuple(map(int, window["rect"].split(",")))


def open_menu_by_notification(driver, program: RunningProgram, mouse_message: int):
    """Posts the tray notification as the shell does and returns the menu Wine opened."""
    earlier = len(menus_of(program))
    driver.facts("tray-notify", MAIN_TITLE, mouse_message)
    return wait_for_menu(driver, program, earlier)[0]


def close_menu(driver, *keys: str) -> None:
    assert driver.facts("menu-keys", MENU_TIMEOUT, *keys)["closed"] == "1"


def assert_menu(menu, expected) -> None:
    assert menu.entries == expected
    assert menu.unusual_items == [], "items that are greyed, disabled or not plain text"
    assert menu.drawn == [(item.id, item.text) for item in menu.items], \
        "the menu on screen differs from the items appended"


def test_button_press_opens_the_whole_menu_on_screen(traced_horvane, driver, no_run_value):
    # Which items are checked and how the bar item reads follow the state, as the unit tests
    # check; here the real menu, drawn in full as Wine traces it.
    program = traced_horvane(b"[ring]=1\r\n[alsh]=1\r\n[bash]=0\r\n")

    menu = open_menu_by_notification(driver, program, WM_LBUTTONDOWN)
    assert_menu(menu, expected_menu(True, "DateTime Bar", True, run_checked=False))

    close_menu(driver, "escape")
    assert program.running()


def test_bell_then_exit_chosen_from_menu_saves_toggled_value(traced_horvane, driver):
    program = traced_horvane(b"[ring]=0\r\n[alsh]=0\r\n[bash]=0\r\n")
    driver.facts("command", MAIN_TITLE, CMD_BELL)

    menu = open_menu_by_notification(driver, program, WM_RBUTTONDOWN)
    assert ("&Bell", CMD_BELL, True) in menu.entries
    # The user types the item's mnemonic, as underlined in "E&xit Horvane".
    close_menu(driver, "x")

    assert program.wait_exit() == 0, "the program did not end after Exit"
    values = settings_values(program.config_path.read_bytes())
    assert (values["[ring]="], values["[alsh]="], values["[bash]="]) == ("1", "0", "0")


@pytest.mark.bare_x
def test_taskbar_created_adds_the_icon_again(horvane, driver, wine):
    if not wine.owns_display:
        pytest.skip("icons are counted in Wine's own tray window, which a desktop's tray replaces")
    horvane(b"[alsh]=0\r\n[bash]=0\r\n")

    def icons() -> int:
        return int(driver.facts("tray-icons")["count"])

    assert poll(lambda: icons() == 1, ICON_TIMEOUT), "the icon did not appear"
    # A restarting shell: the old one forgets every icon, the new one announces itself.
    assert driver.facts("tray-delete", MAIN_TITLE)["deleted"] == "1"
    assert icons() == 0
    driver.facts("broadcast", "TaskbarCreated")
    assert poll(lambda: icons() == 1, ICON_TIMEOUT), "the icon was not added again"


def test_hover_and_right_click_on_the_icon_in_the_taskbar(traced_horvane, driver, wine,
                                                         tmp_path, virtual_desktop):
    """Through the shell's own notification area, as a user meets the program; leaves
    pictures of the icon with its tooltip and of the open menu."""
    if not virtual_desktop:
        pytest.skip("only the virtual desktop has a taskbar")
    program = traced_horvane(b"[ring]=1\r\n[alsh]=0\r\n[bash]=0\r\n")
    width, height = VIRTUAL_DESKTOP_SIZE
    shot = tmp_path / "screen.png"

    def icon_drawn() -> bool:
        return wine.distinct_colours(wine.screenshot(shot), **icon_slot(0)) > 1

    assert poll(icon_drawn, ICON_TIMEOUT, interval=0.25), "no icon in the notification area"

    x, y = icon_centre(0)
    before = datetime.now().replace(microsecond=0)
    driver.facts("cursor", x - ICON_SIZE, y)
    driver.facts("cursor", x, y)
    tip = driver.facts("tooltip", TOOLTIP_TIMEOUT)
    shown = datetime.strptime(tip["text"], TOOLTIP_FORMAT)
    assert before <= shown <= datetime.now(), "the tooltip does not show the time of the hover"
    left, top, _, _ = map(int, tip["rect"].split(","))
    icon_picture = crop(wine.screenshot(shot), SCREENSHOT_DIR / "tray-icon.png",
                        left - SCREENSHOT_MARGIN, top - SCREENSHOT_MARGIN, width, height, scale=2)

    driver.facts("click", x, y, "right")
    menu, (left, top, _, _) = wait_for_menu(driver, program, 0)
    assert ("&Bell", CMD_BELL, True) in menu.entries
    menu_picture = crop(wine.screenshot(shot), SCREENSHOT_DIR / "tray-menu.png",
                        left - SCREENSHOT_MARGIN, top - SCREENSHOT_MARGIN, width, height)
    close_menu(driver, "escape")

    for picture in (icon_picture, menu_picture):
        assert picture.stat().st_size < 60_000, f"{picture.name} is not small"
