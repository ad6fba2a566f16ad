"""The About box, opened by its command and read from outside."""

from __future__ import annotations

from dialogs import controls, post_command, texts, wait_closed, wait_open, window

ABOUT_COMMAND = 57664
ABOUT_TITLE = "About Horvane..."
VERSION_ID = 1043
LINK_ID = 1042
NO_BAR_CONFIG = b"[alsh]=0\r\n[bash]=0\r\n"


def test_about_command_shows_name_version_and_address(horvane, driver, screenshot):
    program = horvane(NO_BAR_CONFIG)
    post_command(driver, ABOUT_COMMAND)
    wait_open(driver, ABOUT_TITLE)

    shown = controls(driver, ABOUT_TITLE)
    assert shown[VERSION_ID].text == "Horvane 1.0.0"
    assert shown[LINK_ID].text == "feedback@horvane.org"
    assert shown[1].text == "OK" and shown[1].enabled
    assert "Comments or suggestions are welcome by mail:" in texts(driver, ABOUT_TITLE)
    facts = window(driver, ABOUT_TITLE)
    left, top, right, bottom = map(int, facts["rect"].split(","))
    w_left, w_top, w_right, w_bottom = map(int, facts["workarea"].split(","))
    assert w_left <= left and right <= w_right and w_top <= top and bottom <= w_bottom
    screenshot("about.png")

    driver.facts("keys", ABOUT_TITLE, "escape")
    wait_closed(driver, ABOUT_TITLE)
    assert program.running()

    # Enter presses the default button, OK.
    post_command(driver, ABOUT_COMMAND)
    wait_open(driver, ABOUT_TITLE)
    driver.facts("keys", ABOUT_TITLE, "enter")
    wait_closed(driver, ABOUT_TITLE)
    assert program.running()
