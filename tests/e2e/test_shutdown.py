"""The scheduled shutdown, worked from outside: the schedule dialog, the countdown, and once
the power-off itself, in a copy of the Wine prefix whose session it ends."""

from __future__ import annotations

import shutil
import time
from pathlib import Path

from conftest import CONFIG_NAME, MAIN_TITLE, NO_BAR_CONFIG, PROGRAM, Driver, close_and_wait, settings_values
from dialogs import CMD_SHUTDOWN, controls, post_command, rect_of, wait_closed, wait_open, window, window_picture
from program_ids import CODE, CONTROL
from winehost import WineHost, poll

SHUTDOWN_CODE = CODE["kCodeShutDown"]
DIALOG_TITLE = "ShutDown..."
COUNTDOWN_TITLE = "ShutDown Countdown"
AFTER, AT, AFTER_HOUR, AT_HOUR = (CONTROL[name] for name in ("IDC_AFTER", "IDC_AT", "IDC_AFTER_HOUR", "IDC_AT_HOUR"))
AUTO_ARM, STATUS, ACTIVATE = CONTROL["IDC_AUTO_ARM"], CONTROL["IDC_SHUTDOWN_STATUS"], CONTROL["IDC_ACTIVATE"]
CLOSE = CONTROL["kIdOk"]
COUNTDOWN_LABEL = CONTROL["IDC_COUNTDOWN_LABEL"]
POWER_OFF_TIMEOUT = 60.0  # the count alone takes 22 s
SESSION_END_TIMEOUT = 10.0
WS_CAPTION, WS_BORDER, WS_EX_TOOLWINDOW = 0x00C00000, 0x00800000, 0x80


def shown(driver, control_id: int):
    return controls(driver, DIALOG_TITLE)[control_id]


def arm(driver, mode: int, hour: int, minute: int, second: int) -> None:
    """Chooses the mode, sets its time and presses the activation button, from outside."""
    first = AFTER_HOUR if mode == AFTER else AT_HOUR
    driver.facts("click-control", DIALOG_TITLE, mode)
    for offset, value in enumerate((hour, minute, second)):
        driver.facts("set-text", DIALOG_TITLE, first + offset, value)
    driver.facts("click-control", DIALOG_TITLE, ACTIVATE)
    assert poll(lambda: shown(driver, ACTIVATE).text == "DeActive Current ShutDown Schedule", 5)


def label_count(driver) -> int:
    text = controls(driver, COUNTDOWN_TITLE)[COUNTDOWN_LABEL].text
    return int(text.split("within ")[1].split(" ")[0])


def desktop_runs(prefix: Path) -> bool:
    """Whether the Wine session of `prefix` still runs its desktop, explorer.exe."""
    for entry in Path("/proc").iterdir():
        try:
            if (f"WINEPREFIX={prefix}".encode() in (entry / "environ").read_bytes().split(b"\0")
                    and b"explorer.exe" in (entry / "cmdline").read_bytes().lower()):
                return True
        except OSError:
            continue
    return False


def test_schedules_armed_from_outside_count_down_in_a_window_that_is_seen_and_are_saved(horvane, driver, wine,
                                                                                       tmp_path):
    program = horvane(NO_BAR_CONFIG)
    post_command(driver, CMD_SHUTDOWN)
    wait_open(driver, DIALOG_TITLE)
    assert shown(driver, STATUS).text == "No ShutDown Schedule Actived."
    # Sent, so handled before the count: the command while the dialog is open opens nothing.
    driver.facts("command", MAIN_TITLE, CMD_SHUTDOWN)
    assert driver.facts("count", DIALOG_TITLE)["count"] == "1"
    window_picture(wine, driver, DIALOG_TITLE, "shutdown-schedule.png")

    arm(driver, AFTER, 0, 0, 5)
    assert poll(lambda: "0(Hour):0(Min)" in shown(driver, STATUS).text, 3)
    window_picture(wine, driver, DIALOG_TITLE, "shutdown-schedule-armed.png")

    # The dialog hands the schedule over when it runs out; the main window opens the count:
    # a borderless tool window, topmost and centred on the work area.
    wait_closed(driver, DIALOG_TITLE)
    wait_open(driver, COUNTDOWN_TITLE)
    facts = window(driver, COUNTDOWN_TITLE)
    assert facts["topmost"] == "1" and facts["visible"] == "1"
    assert int(facts["style"], 16) & WS_CAPTION == WS_BORDER and int(facts["exstyle"], 16) & WS_EX_TOOLWINDOW
    left, top, right, bottom = rect_of(facts["rect"])
    w_left, w_top, w_right, w_bottom = rect_of(facts["workarea"])
    assert abs((left + right) - (w_left + w_right)) <= 2 and abs((top + bottom) - (w_top + w_bottom)) <= 2
    first = label_count(driver)
    assert poll(lambda: label_count(driver) < first, 3), "the countdown does not count"
    window_picture(wine, driver, COUNTDOWN_TITLE, "shutdown-countdown.png")

    driver.facts("keys", COUNTDOWN_TITLE, "alt+f4")
    time.sleep(1.5)
    assert driver.facts("count", COUNTDOWN_TITLE)["count"] == "1", "Alt+F4 closed the countdown"
    driver.facts("keys", COUNTDOWN_TITLE, "escape")
    wait_closed(driver, COUNTDOWN_TITLE)
    assert program.running()

    # Asked for by a companion: the request runs the dialog inside its copy-data message, so
    # a driver in the background sends it: it returns when the dialog closes.
    answer = tmp_path / "request.out"
    request = wine.spawn(driver.exe, "copydata", MAIN_TITLE, str(SHUTDOWN_CODE), output=answer)
    wait_open(driver, DIALOG_TITLE)
    hour = (time.localtime().tm_hour + 2) % 24
    arm(driver, AT, hour, 7, 9)
    driver.facts("click-control", DIALOG_TITLE, AUTO_ARM)
    assert poll(lambda: shown(driver, AUTO_ARM).checked, 3)
    driver.facts("click-control", DIALOG_TITLE, CLOSE)
    wait_closed(driver, DIALOG_TITLE)
    assert request.wait(timeout=10) == 0 and "result=1" in answer.read_text()

    close_and_wait(driver, program)
    values = settings_values(program.config_path.read_bytes())
    # Auto-arm plus twice the mode; the time packed as hours, minutes and seconds bytes.
    assert (values["[shut]="], values["[shcd]="]) == ("5", str((hour << 16) | (7 << 8) | 9))


def test_the_count_running_out_ends_the_session_with_the_settings_saved(wine, driver, program_dir,
                                                                        tmp_path):
    # A copy of the prefix: the power-off ends every program of its Wine session.
    prefix = tmp_path / "prefix"
    shutil.copytree(wine.prefix, prefix, symlinks=True)
    session = WineHost(prefix, fresh=False)
    session.display = wine.display
    session.start()
    try:
        in_session = Driver(session, driver.exe)
        (program_dir / CONFIG_NAME).write_bytes(NO_BAR_CONFIG)
        program = session.spawn(program_dir / PROGRAM, output=tmp_path / "program.out")
        wait_open(in_session, MAIN_TITLE)
        post_command(in_session, CMD_SHUTDOWN)
        wait_open(in_session, DIALOG_TITLE)
        arm(in_session, AFTER, 0, 0, 2)
        in_session.facts("click-control", DIALOG_TITLE, AUTO_ARM)
        wait_open(in_session, COUNTDOWN_TITLE)
        program.wait(timeout=POWER_OFF_TIMEOUT)
        # The desktop went with it: the session ended, the program did not merely stop.
        assert poll(lambda: not desktop_runs(prefix), SESSION_END_TIMEOUT), "the session did not end"
    finally:
        session.stop()
    values = settings_values((program_dir / CONFIG_NAME).read_bytes())
    assert (values["[shut]="], values["[shcd]="]) == ("3", "2")
