"""The About box, opened by its command and read from outside, and its mail link."""

from __future__ import annotations

import re
import shutil
import subprocess
from pathlib import Path

import pytest

from conftest import SCREENSHOT_DIR, poll, require_executable
from dialogs import controls, post_command, rect_of, texts, wait_closed, wait_open, window, window_picture
from winehost import windows_path

ABOUT_COMMAND = 57664
ABOUT_TITLE = "About Horvane..."
VERSION_ID = 1043
LINK_ID = 1042
NO_BAR_CONFIG = b"[alsh]=0\r\n[bash]=0\r\n"
MAIL_TARGET = "mailto:feedback@horvane.org"
MAIL_COMMAND_KEY = r"HKCR\mailto\shell\open\command"
TOOLTIP_TIMEOUT = 10.0
SHELL_TIMEOUT = 10.0
REDRAW_TIMEOUT = 5.0
LINK_COLOUR = (0, 0, 238)
HOVER_COLOUR = (255, 0, 0)
VISITED_COLOUR = (85, 26, 139)


@pytest.fixture
def mail_handler(wine, program_dir, tmp_path):
    """A stand-in registered as the mail program for "mailto:" in the test prefix; yields the
    file in which it records the command line it was started with."""
    backup = tmp_path / "mailto.reg"
    saved = wine.run("reg", "export", MAIL_COMMAND_KEY, windows_path(backup), "/y").returncode == 0
    handler = program_dir / "MailStandIn.exe"
    shutil.copy2(require_executable("CompanionStandIn.exe"), handler)
    wine.run("reg", "add", MAIL_COMMAND_KEY, "/ve", "/d", f'"{windows_path(handler)}" "%1"', "/f").check_returncode()
    try:
        yield Path(f"{handler}.started")
    finally:
        if saved:
            wine.run("reg", "import", windows_path(backup))
        else:
            wine.run("reg", "delete", MAIL_COMMAND_KEY, "/ve", "/f")


def move_to(driver, *points: tuple[int, int]) -> None:
    for x, y in points:
        driver.facts("cursor", x, y)


def colours(picture: Path, rect: tuple[int, int, int, int]) -> set[tuple[int, int, int]]:
    """Every colour in a rectangle of a screenshot."""
    left, top, right, bottom = rect
    histogram = subprocess.run(
        ["convert", str(picture), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
         "-format", "%c", "histogram:info:-"], check=True, capture_output=True, text=True, timeout=30).stdout
    return {tuple(map(int, found)) for found in re.findall(r"\(\s*(\d+),\s*(\d+),\s*(\d+)", histogram)}


def test_about_command_shows_name_version_and_address(horvane, driver, wine):
    program = horvane(NO_BAR_CONFIG)
    post_command(driver, ABOUT_COMMAND)
    wait_open(driver, ABOUT_TITLE)

    shown = controls(driver, ABOUT_TITLE)
    assert shown[VERSION_ID].text == "Horvane 1.0.0"
    assert shown[LINK_ID].text == "feedback@horvane.org"
    assert shown[1].text == "OK" and shown[1].enabled
    assert "Comments or suggestions are welcome by mail:" in texts(driver, ABOUT_TITLE)
    facts = window(driver, ABOUT_TITLE)
    left, top, right, bottom = rect_of(facts["rect"])
    w_left, w_top, w_right, w_bottom = rect_of(facts["workarea"])
    assert w_left <= left and right <= w_right and w_top <= top and bottom <= w_bottom
    window_picture(wine, driver, ABOUT_TITLE, "about.png")

    driver.facts("keys", ABOUT_TITLE, "escape")
    wait_closed(driver, ABOUT_TITLE)
    assert program.running()

    # Enter presses the default button, OK.
    post_command(driver, ABOUT_COMMAND)
    wait_open(driver, ABOUT_TITLE)
    driver.facts("keys", ABOUT_TITLE, "enter")
    wait_closed(driver, ABOUT_TITLE)
    assert program.running()


def test_mail_link_hovers_red_and_opens_the_mail_program_by_mouse_and_keyboard(horvane, driver, wine, mail_handler):
    horvane(NO_BAR_CONFIG)
    post_command(driver, ABOUT_COMMAND)
    wait_open(driver, ABOUT_TITLE)
    shown = controls(driver, ABOUT_TITLE)
    link = shown[LINK_ID].rect
    assert link[2] - link[0] < shown[VERSION_ID].rect[2] - shown[VERSION_ID].rect[0], "fitted to its text"
    shot = SCREENSHOT_DIR / "about-link.png"
    assert LINK_COLOUR in colours(wine.screenshot(shot), link)

    # After a move made by another process, Wine may replay the pointer's previous place to
    # the window under it; so the mouse reaches each place in two moves that both lie there.
    x, y = (link[0] + link[2]) // 2, (link[1] + link[3]) // 2
    move_to(driver, (link[0] + 2, y), (x, y))
    assert driver.facts("tooltip", TOOLTIP_TIMEOUT)["text"] == MAIL_TARGET
    assert poll(lambda: HOVER_COLOUR in colours(wine.screenshot(shot), link), REDRAW_TIMEOUT), "not red"

    driver.facts("click", x, y, "left")
    assert poll(mail_handler.exists, SHELL_TIMEOUT), "the shell started no mail program"
    assert MAIL_TARGET in mail_handler.read_text()
    move_to(driver, (x, link[3] + 20), (x, link[3] + 30))
    assert poll(lambda: VISITED_COLOUR in colours(wine.screenshot(shot), link), REDRAW_TIMEOUT), "not visited"
    assert HOVER_COLOUR not in colours(shot, link)

    # From the keyboard: Tab reaches the link from OK, Space opens it.
    driver.facts("keys", ABOUT_TITLE, "tab")
    assert controls(driver, ABOUT_TITLE)[LINK_ID].focused
    driver.facts("keys", ABOUT_TITLE, "space")
    assert poll(lambda: mail_handler.read_text().count(MAIL_TARGET) == 2, SHELL_TIMEOUT), "Space opened nothing"

    driver.facts("keys", ABOUT_TITLE, "escape")
    wait_closed(driver, ABOUT_TITLE)
