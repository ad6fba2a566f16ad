"""The tray icon, its popup menu and the About box with its mail link, seen from outside."""

from datetime import datetime

from conftest import MAIN_TITLE, SCREENSHOT_DIR, install_stand_ins
from dialogs import (CMD_ABOUT, CMD_BELL, CMD_CALENDAR, CMD_DATETIME_BAR, CMD_EXIT, CMD_HELP, CMD_PREFERENCES,
                     CMD_RUN_AT_STARTUP, CMD_SHUTDOWN, CMD_SYNCHRONIZE, CMD_TIMEZONE, CMD_VIEW_LOG, CMD_WORLD_CLOCK,
                     assert_on_screen, controls, post_command, rect_of, wait_closed, wait_open, window_picture)
from program_ids import CONTROL
from tray_support import ICON_SIZE, SEPARATOR, TRACE_CHANNELS, drawn_menu, icon_rect
from winehost import VIRTUAL_DESKTOP_SIZE, colours, crop, poll, windows_path

WS_EX_TOOLWINDOW, WS_EX_APPWINDOW = 0x80, 0x40000

MENU_TIMEOUT = 10.0
ABOUT_TITLE = "About Horvane..."
LINK_ID = CONTROL["IDC_ABOUT_LINK"]
MAIL_TARGET = "mailto:feedback@horvane.org"
MAIL_COMMAND_KEY = r"HKCR\mailto\shell\open\command"
TOOLTIP_TIMEOUT, SHELL_TIMEOUT, REDRAW_TIMEOUT, ICON_TIMEOUT = 10.0, 10.0, 5.0, 10.0
LINK_COLOUR, HOVER_COLOUR = (0, 0, 238), (255, 0, 0)
# The menu is drawn just after its window appears; the trace follows within moments.
TRACE_TIMEOUT = 5.0
SCREENSHOT_MARGIN = 12
TOOLTIP_FORMAT = "%H:%M:%S(%m/%d/%Y)"


# Which items are checked follows the state, as the unit tests check; here the real menu as
# drawn: no item greyed or other than plain text. Run as root, Wine lets every program open the
# Run key with full access, so the start-with-the-system item is offered.
EXPECTED_MENU = [SEPARATOR, ("&Preferences...", CMD_PREFERENCES, ""), SEPARATOR,
                 ("&Synchronize Time", CMD_SYNCHRONIZE, ""), ("&World Clock", CMD_WORLD_CLOCK, ""),
                 ("&Calendar", CMD_CALENDAR, ""), SEPARATOR, ("&Bell", CMD_BELL, "check"),
                 ("Shut&Down Computer ...", CMD_SHUTDOWN, ""), ("Show DateTime Bar", CMD_DATETIME_BAR, ""),
                 ("Run Horvane When System Startup", CMD_RUN_AT_STARTUP, ""), ("&View Log", CMD_VIEW_LOG, ""),
                 ("Change Local TimeZone", CMD_TIMEZONE, ""), SEPARATOR, ("&Help", CMD_HELP, ""),
                 ("About...", CMD_ABOUT, ""), SEPARATOR, ("E&xit Horvane", CMD_EXIT, "")]


def test_about_box_then_the_icon_showing_the_time_and_a_menu_whose_exit_works(horvane, driver, wine, tmp_path,
                                                                             program_dir, no_run_value):
    # A stand-in as the "mailto:" program (this session's prefix only).
    [mail_handler] = install_stand_ins(program_dir, "MailStandIn.exe")
    handler = f'"{windows_path(program_dir / "MailStandIn.exe")}" "%1"'
    wine.run("reg", "add", MAIL_COMMAND_KEY, "/ve", "/d", handler, "/f").check_returncode()
    program = horvane(b"[ring]=1\r\n[alsh]=0\r\n[bash]=0\r\n", debug=TRACE_CHANNELS)
    styles = driver.facts("styles", MAIN_TITLE)
    assert styles["visible"] == "0", "the main window is shown"
    assert int(styles["exstyle"], 16) & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW) == WS_EX_TOOLWINDOW, "on the taskbar"
    post_command(driver, CMD_ABOUT)
    wait_open(driver, ABOUT_TITLE)
    shown = controls(driver, ABOUT_TITLE)
    assert_on_screen(driver, ABOUT_TITLE)
    window_picture(wine, driver, ABOUT_TITLE, "about.png")
    link = shown[LINK_ID].rect
    shot = SCREENSHOT_DIR / "about-link.png"
    assert LINK_COLOUR in colours(wine.screenshot(shot), link)

    # After a move made by another process, Wine may replay the pointer's previous place to the
    # window under it; so the mouse reaches each place (link, icon) in two moves that both lie there.
    x, y = (link[0] + link[2]) // 2, (link[1] + link[3]) // 2
    driver.facts("cursor", link[0] + 2, y)
    driver.facts("cursor", x, y)
    assert driver.facts("tooltip", TOOLTIP_TIMEOUT)["text"] == MAIL_TARGET
    assert poll(lambda: HOVER_COLOUR in colours(wine.screenshot(shot), link), REDRAW_TIMEOUT), "not red"

    driver.facts("click", x, y, "left")
    assert poll(mail_handler.exists, SHELL_TIMEOUT), "the shell started no mail program"
    assert MAIL_TARGET in mail_handler.read_text()

    # Tab reaches the link from OK, Space opens it; with Wine's shell holding the focus since
    # the click, the keyboard needs a box of its own.
    driver.facts("close", ABOUT_TITLE)
    wait_closed(driver, ABOUT_TITLE)
    post_command(driver, CMD_ABOUT)
    wait_open(driver, ABOUT_TITLE)
    driver.facts("keys", ABOUT_TITLE, "tab")
    assert controls(driver, ABOUT_TITLE)[LINK_ID].focused
    driver.facts("keys", ABOUT_TITLE, "space")
    assert poll(lambda: mail_handler.read_text().count(MAIL_TARGET) == 2, SHELL_TIMEOUT), "Space opened nothing"
    driver.facts("close", ABOUT_TITLE)
    wait_closed(driver, ABOUT_TITLE)

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
    driver.facts("cursor", x - ICON_SIZE // 4, y)
    driver.facts("cursor", x, y)
    tip = driver.facts("tooltip", TOOLTIP_TIMEOUT)
    shown = datetime.strptime(tip["text"], TOOLTIP_FORMAT)
    assert before <= shown <= datetime.now(), "the tooltip does not show the time of the hover"
    left, top, _, _ = map(int, tip["rect"].split(","))
    crop(wine.screenshot(shot), SCREENSHOT_DIR / "tray-icon.png",
                        left - SCREENSHOT_MARGIN, top - SCREENSHOT_MARGIN, width, height, scale=2)

    driver.facts("click", x, y, "right")
    window = driver.facts("menu-wait", MENU_TIMEOUT)
    assert window["owner"] == driver.facts("find", MAIN_TITLE)["hwnd"], "the open menu is not the main window's"
    assert poll(lambda: drawn_menu(program.output_text()), TRACE_TIMEOUT) == EXPECTED_MENU
    left, top, _, _ = rect_of(window["rect"])
    crop(wine.screenshot(shot), SCREENSHOT_DIR / "tray-menu.png", left - SCREENSHOT_MARGIN, top - SCREENSHOT_MARGIN,
         width, height)

    # Exit by its mnemonic ("E&xit Horvane"): the program ends, saves and takes its icon away.
    assert driver.facts("menu-keys", MENU_TIMEOUT, "x")["closed"] == "1"
    assert program.wait_exit() == 0, "the program did not end after Exit"
    assert poll(lambda: icons_shown() == 0, ICON_TIMEOUT, interval=0.25), "the icon stayed after Exit"
