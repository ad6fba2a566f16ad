"""The scheduled shutdown worked from outside, in a copy of the Wine prefix whose session the
power-off ends."""

import shutil
import time
from pathlib import Path

from conftest import CONFIG_NAME, MAIN_TITLE, NO_BAR_CONFIG, PROGRAM, Driver, settings_values
from dialogs import CMD_SHUTDOWN, controls, post_command, rect_of, wait_closed, wait_open, window, window_picture
from program_ids import CONTROL
from winehost import WineHost, poll

DIALOG_TITLE = "ShutDown..."
COUNTDOWN_TITLE = "ShutDown Countdown"
AFTER, AFTER_HOUR = CONTROL["IDC_AFTER"], CONTROL["IDC_AFTER_HOUR"]
AUTO_ARM, STATUS, ACTIVATE = CONTROL["IDC_AUTO_ARM"], CONTROL["IDC_SHUTDOWN_STATUS"], CONTROL["IDC_ACTIVATE"]
COUNTDOWN_LABEL = CONTROL["IDC_COUNTDOWN_LABEL"]
POWER_OFF_TIMEOUT = 60.0  # the count alone takes 20 s
SESSION_END_TIMEOUT = 10.0
ARMED_SECONDS = 8
WS_CAPTION, WS_BORDER, WS_EX_TOOLWINDOW = 0x00C00000, 0x00800000, 0x80


def label_count(driver) -> int:
    text = controls(driver, COUNTDOWN_TITLE)[COUNTDOWN_LABEL].text
    return int(text.split("within ")[1].split(" ")[0])


def desktop_runs(prefix: Path) -> bool:
    for entry in Path("/proc").iterdir():
        try:
            if (f"WINEPREFIX={prefix}".encode() in (entry / "environ").read_bytes().split(b"\0")
                    and b"explorer.exe" in (entry / "cmdline").read_bytes().lower()):
                return True
        except OSError:
            continue
    return False


def test_a_schedule_armed_from_outside_counts_down_in_a_window_that_is_seen_and_ends_the_session(
        wine, driver, program_dir, tmp_path):
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
        wait_open(in_session, MAIN_TITLE, shown=False)
        post_command(in_session, CMD_SHUTDOWN)
        wait_open(in_session, DIALOG_TITLE)
        window_picture(session, in_session, DIALOG_TITLE, "shutdown-schedule.png")
        in_session.facts("click-control", DIALOG_TITLE, AFTER)
        for offset, value in enumerate((0, 0, ARMED_SECONDS)):
            in_session.facts("set-text", DIALOG_TITLE, AFTER_HOUR + offset, value)
        for button in (ACTIVATE, AUTO_ARM):
            in_session.facts("click-control", DIALOG_TITLE, button)
        assert poll(lambda: "0(Hour):0(Min)" in controls(in_session, DIALOG_TITLE)[STATUS].text, 3)
        window_picture(session, in_session, DIALOG_TITLE, "shutdown-schedule-armed.png")

        # The dialog hands the schedule over when it runs out; the main window opens the
        # count: a borderless tool window, topmost and centred on the work area.
        wait_closed(in_session, DIALOG_TITLE)
        wait_open(in_session, COUNTDOWN_TITLE)
        facts = window(in_session, COUNTDOWN_TITLE)
        assert facts["topmost"] == "1" and facts["visible"] == "1"
        assert int(facts["style"], 16) & WS_CAPTION == WS_BORDER and int(facts["exstyle"], 16) & WS_EX_TOOLWINDOW
        left, top, right, bottom = rect_of(facts["rect"])
        w_left, w_top, w_right, w_bottom = rect_of(facts["workarea"])
        assert abs((left + right) - (w_left + w_right)) <= 2 and abs((top + bottom) - (w_top + w_bottom)) <= 2
        first = label_count(in_session)
        assert poll(lambda: label_count(in_session) < first, 3), "the countdown does not count"
        window_picture(session, in_session, COUNTDOWN_TITLE, "shutdown-countdown.png")
        in_session.facts("keys", COUNTDOWN_TITLE, "alt+f4")
        time.sleep(1.5)
        assert in_session.facts("count", COUNTDOWN_TITLE)["count"] == "1", "Alt+F4 closed the countdown"

        program.wait(timeout=POWER_OFF_TIMEOUT)
        # The desktop went with it: the session ended, the program did not merely stop.
        assert poll(lambda: not desktop_runs(prefix), SESSION_END_TIMEOUT), "the session did not end"
    finally:
        session.stop()
    values = settings_values((program_dir / CONFIG_NAME).read_bytes())
    # Auto-arm plus the mode "after", and its seconds.
    assert (values["[shut]="], values["[shcd]="]) == ("3", str(ARMED_SECONDS))
