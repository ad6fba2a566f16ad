"""The About box, opened by its command and read from outside, and its mail link."""

from __future__ import annotations

from pathlib import Path

import pytest

from conftest import NO_BAR_CONFIG, SCREENSHOT_DIR, install_stand_ins, poll
from dialogs import CMD_ABOUT, assert_on_screen, controls, post_command, wait_closed, wait_open, window_picture
from program_ids import CONTROL
from winehost import colours, windows_path

ABOUT_TITLE = "About Horvane..."
VERSION_ID, LINK_ID = CONTROL["IDC_ABOUT_VERSION"], CONTROL["IDC_ABOUT_LINK"]
MAIL_TARGET = "mailto:feedback@horvane.org"
MAIL_COMMAND_KEY = r"HKCR\mailto\shell\open\command"
TOOLTIP_TIMEOUT = 10.0
SHELL_TIMEOUT = 10.0
REDRAW_TIMEOUT = 5.0
LINK_COLOUR = (0, 0, 238)
HOVER_COLOUR = (255, 0, 0)


@pytest.fixture
def mail_handler(wine, program_dir, tmp_path):
    """A stand-in registered as the mail program for "mailto:" in the test prefix; yields the
    file in which it records the command line it was started with."""
    backup = tmp_path / "mailto.reg"
    saved = wine.run("reg", "export", MAIL_COMMAND_KEY, windows_path(backup), "/y").returncode == 0
    [started] = install_stand_ins(program_dir, "MailStandIn.exe")
    handler = windows_path(program_dir / "MailStandIn.exe")
    wine.run("reg", "add", MAIL_COMMAND_KEY, "/ve", "/d", f'"{handler}" "%1"', "/f").check_returncode()
    try:
        yield started
    finally:
        if saved:
            wine.run("reg", "import", windows_path(backup))
        else:
            wine.run("reg", "delete", MAIL_COMMAND_KEY, "/ve", "/f")


def test_about_box_shows_its_texts_and_a_mail_link_that_reaches_the_shell(horvane, driver, wine,
                                                                          mail_handler: Path):
    program = horvane(NO_BAR_CONFIG)
    post_command(driver, CMD_ABOUT)
    wait_open(driver, ABOUT_TITLE)
    shown = controls(driver, ABOUT_TITLE)
    assert (shown[VERSION_ID].text, shown[LINK_ID].text) == ("Horvane 1.0.0", "feedback@horvane.org")
    assert_on_screen(driver, ABOUT_TITLE)
    window_picture(wine, driver, ABOUT_TITLE, "about.png")
    link = shown[LINK_ID].rect
    shot = SCREENSHOT_DIR / "about-link.png"
    assert LINK_COLOUR in colours(wine.screenshot(shot), link)

    # After a move made by another process, Wine may replay the pointer's previous place to
    # the window under it; so the mouse reaches each place in two moves that both lie there.
    x, y = (link[0] + link[2]) // 2, (link[1] + link[3]) // 2
    driver.facts("cursor", link[0] + 2, y)
    driver.facts("cursor", x, y)
    assert driver.facts("tooltip", TOOLTIP_TIMEOUT)["text"] == MAIL_TARGET
    assert poll(lambda: HOVER_COLOUR in colours(wine.screenshot(shot), link), REDRAW_TIMEOUT), "not red"

    driver.facts("click", x, y, "left")
    assert poll(mail_handler.exists, SHELL_TIMEOUT), "the shell started no mail program"
    assert MAIL_TARGET in mail_handler.read_text()

    # Once Wine's shell has started a program, the box keeps no keyboard focus until it is
    # activated again: each use of the keyboard gets a box of its own.
    def reopen(close: bool) -> None:
        if close:
            driver.facts("close", ABOUT_TITLE)
            wait_closed(driver, ABOUT_TITLE)
        post_command(driver, CMD_ABOUT)
        wait_open(driver, ABOUT_TITLE)

    # Tab reaches the link from OK, Space opens it.
    reopen(close=True)
    driver.facts("keys", ABOUT_TITLE, "tab")
    assert controls(driver, ABOUT_TITLE)[LINK_ID].focused
    driver.facts("keys", ABOUT_TITLE, "space")
    assert poll(lambda: mail_handler.read_text().count(MAIL_TARGET) == 2, SHELL_TIMEOUT), "Space opened nothing"

    # Esc closes the box, and so does Enter, which presses the default button OK.
    for key, close in (("escape", True), ("enter", False)):
        reopen(close)
        driver.facts("keys", ABOUT_TITLE, key)
        wait_closed(driver, ABOUT_TITLE)
    assert program.running()
