"""The tray icon, its popup menu and the commands chosen from it, seen from outside."""

from __future__ import annotations

from datetime import datetime

from conftest import MAIN_TITLE, SCREENSHOT_DIR, RunningProgram, settings_values
from dialogs import (CMD_ABOUT, CMD_BELL, CMD_CALENDAR, CMD_DATETIME_BAR, CMD_EXIT, CMD_HELP, CMD_PREFERENCES,
                     CMD_RUN_AT_STARTUP, CMD_SHUTDOWN, CMD_SYNCHRONIZE, CMD_TIMEZONE, CMD_VIEW_LOG, CMD_WORLD_CLOCK,
                     rect_of)
from tray_support import ICON_SIZE, SEPARATOR, TRACE_CHANNELS, drawn_menus, icon_rect
from winehost import VIRTUAL_DESKTOP_SIZE, colours, crop, poll

WM_LBUTTONDOWN = 0x201
WS_EX_TOOLWINDOW = 0x80
WS_EX_APPWINDOW = 0x40000

MENU_TIMEOUT = 10.0
ICON_TIMEOUT = 10.0
# The menu is drawn just after its window appears; the trace follows within moments.
TRACE_TIMEOUT = 5.0
TOOLTIP_TIMEOUT = 10.0
SCREENSHOT_MARGIN = 12
TOOLTIP_FORMAT = "%H:%M:%S(%m/%d/%Y)"


def expected_menu(bell: bool) -> list[tuple[str, int, str]]:
    # Which items are checked and how the bar item reads follow the state, as the unit tests
    # check; here the real menu as drawn: no item greyed, disabled or other than plain text.
    # Run as root, Wine lets every program open the Run key with full access, so the
    # start-with-the-system item is offered.
    return [SEPARATOR, ("&Preferences...", CMD_PREFERENCES, ""), SEPARATOR,
            ("&Synchronize Time", CMD_SYNCHRONIZE, ""), ("&World Clock", CMD_WORLD_CLOCK, ""),
            ("&Calendar", CMD_CALENDAR, ""), SEPARATOR, ("&Bell", CMD_BELL, "check" if bell else ""),
            ("Shut&Down Computer ...", CMD_SHUTDOWN, ""), ("Show DateTime Bar", CMD_DATETIME_BAR, ""),
            ("Run Horvane When System Startup", CMD_RUN_AT_STARTUP, ""), ("&View Log", CMD_VIEW_LOG, ""),
            ("Change Local TimeZone", CMD_TIMEZONE, ""), SEPARATOR, ("&Help", CMD_HELP, ""),
            ("About...", CMD_ABOUT, ""), SEPARATOR, ("E&xit Horvane", CMD_EXIT, "")]


def wait_for_menu(driver, program: RunningProgram, index: int):
    """The menu tracked `index`-th (from 0), once on screen: its items and its rectangle."""
    window = driver.facts("menu-wait", MENU_TIMEOUT)
    assert window["owner"] == driver.facts("find", MAIN_TITLE)["hwnd"], \
        "the open menu does not belong to the main window"

    def drawn():
        menus = drawn_menus(program.output_text())
        return menus[index] if len(menus) > index else None

    menu = poll(drawn, TRACE_TIMEOUT)
    assert menu is not None, "Wine's trace shows no menu drawn in full"
    return menu, rect_of(window["rect"])


def close_menu(driver, *keys: str) -> None:
    assert driver.facts("menu-keys", MENU_TIMEOUT, *keys)["closed"] == "1"


def test_icon_in_the_taskbar_shows_the_time_and_a_menu_whose_choices_work(horvane, driver, wine, tmp_path,
                                                                           no_run_value):
    """Through the shell's own notification area, as a user meets the program; leaves
    pictures of the icon with its tooltip and of the open menu."""
    program = horvane(b"[ring]=1\r\n[alsh]=0\r\n[bash]=0\r\n", debug=TRACE_CHANNELS)
    styles = driver.facts("styles", MAIN_TITLE)
    assert styles["visible"] == "0", "the main window is shown"
    assert int(styles["exstyle"], 16) & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW) == WS_EX_TOOLWINDOW, "on the taskbar"
    width, height = VIRTUAL_DESKTOP_SIZE
    shot = tmp_path / "screen.png"

    def icons_shown() -> int:
        """How many of the first two places of the notification area show an icon."""
        picture = wine.screenshot(shot)
        return sum(len(colours(picture, icon_rect(index))) > 1 for index in (0, 1))

    assert poll(lambda: icons_shown() == 1, ICON_TIMEOUT, interval=0.25), "not one icon in the notification area"

    left, top, right, bottom = icon_rect(0)
    x, y = (left + right) // 2, (top + bottom) // 2
    before = datetime.now().replace(microsecond=0)
    # After a move made by another process, Wine may replay the pointer's previous place to
    # the window under it; so the mouse reaches the icon in two moves that both lie on it.
    driver.facts("cursor", x - ICON_SIZE // 4, y)
    driver.facts("cursor", x, y)
    tip = driver.facts("tooltip", TOOLTIP_TIMEOUT)
    shown = datetime.strptime(tip["text"], TOOLTIP_FORMAT)
    assert before <= shown <= datetime.now(), "the tooltip does not show the time of the hover"
    left, top, _, _ = map(int, tip["rect"].split(","))
    icon_picture = crop(wine.screenshot(shot), SCREENSHOT_DIR / "tray-icon.png",
                        left - SCREENSHOT_MARGIN, top - SCREENSHOT_MARGIN, width, height, scale=2)

    driver.facts("click", x, y, "right")
    menu, (left, top, _, _) = wait_for_menu(driver, program, 0)
    assert menu == expected_menu(bell=True)
    menu_picture = crop(wine.screenshot(shot), SCREENSHOT_DIR / "tray-menu.png",
                        left - SCREENSHOT_MARGIN, top - SCREENSHOT_MARGIN, width, height)
    close_menu(driver, "escape")
    for picture in (icon_picture, menu_picture):
        assert picture.stat().st_size < 60_000, f"{picture.name} is not small"

    # A restarting shell: the old one forgets every icon, the new one announces itself.
    assert driver.facts("tray-delete", MAIN_TITLE)["deleted"] == "1"
    assert poll(lambda: icons_shown() == 0, ICON_TIMEOUT, interval=0.25), "the icon was not removed"
    driver.facts("broadcast", "TaskbarCreated")
    assert poll(lambda: icons_shown() == 1, ICON_TIMEOUT, interval=0.25), "the icon was not added again"

    # Bell from the menu, then Exit by its mnemonic ("E&xit Horvane") from the menu that a
    # press of the other button opens: the program ends and saves the toggled value.
    driver.facts("command", MAIN_TITLE, CMD_BELL)
    driver.facts("tray-notify", MAIN_TITLE, WM_LBUTTONDOWN)
    menu, _ = wait_for_menu(driver, program, 1)
    assert menu == expected_menu(bell=False)
    close_menu(driver, "x")
    assert program.wait_exit() == 0, "the program did not end after Exit"
    values = settings_values(program.config_path.read_bytes())
    assert (values["[ring]="], values["[alsh]="], values["[bash]="]) == ("0", "0", "0")
    assert poll(lambda: icons_shown() == 0, ICON_TIMEOUT, interval=0.25), "the icon stayed after Exit"
