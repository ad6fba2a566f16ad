"""Start-up, single instance and the end of the program, observed from outside."""

from __future__ import annotations

import random
import re
import time
from contextlib import contextmanager

from conftest import (CONFIG_NAME, MAIN_TITLE, NO_BAR_CONFIG, PROGRAM, close_and_wait, install_stand_ins, settings_lines,
                      settings_values)
from dialogs import CMD_BELL
from program_ids import CODE
from winehost import poll, windows_path

QUIT = CODE["kCodeQuit"]
BOX_WAIT = 2.0  # a message box would be up by then


def test_first_start_runs_once_and_its_close_tells_the_companions_and_saves(horvane, driver, companion,
                                                                            program_dir):
    # A first start shows the bar: a stand-in, so that the test's own companion is the only one.
    install_stand_ins(program_dir, "Vistrel.exe")
    program = horvane()
    assert program.config_path.read_bytes() == b""
    second = horvane(wait=False)
    assert second.wait_exit() is not None, "the second instance did not end by itself"
    assert driver.facts("count", MAIN_TITLE)["count"] == "1"

    with companion("VistrelShow") as bar, companion("sync") as sync:
        close_and_wait(driver, program)
        assert bar.wait() and sync.wait(), "a companion was not told to quit"
    assert bar.received_codes == [QUIT]
    assert sync.received_codes == [QUIT]
    # The defaults are the unit tests' concern; the path is the one Windows gave the program.
    assert settings_values(program.config_path.read_bytes())["[rifn]="] == program.windows_dir + "bell.wav"


def test_a_missing_bar_opens_no_window_at_start(horvane, driver):
    # The defaults show the bar, and the program folder holds Horvane.exe alone.
    horvane()
    time.sleep(BOX_WAIT)
    listed = [line for line in driver("windows")[1].splitlines() if 'class="' in line]
    panel = next(line for line in listed if 'title="panel"' in line)
    pid = re.search(r" pid=(\d+)", panel)[1]
    assert not [line for line in listed if f" pid={pid} " in line and " visible=1" in line]


def test_session_end_saves_over_a_garbage_file_that_did_not_crash_the_program(horvane, driver, program_dir):
    # Windows ends the process after the session-end messages without closing its window,
    # so the program saves on the way out.
    install_stand_ins(program_dir, "Vistrel.exe")
    program = horvane(random.Random(4096).randbytes(4096))
    assert driver.facts("endsession", MAIN_TITLE)["query"] != "0", "the program refused the end of the session"
    settings_lines(program.config_path.read_bytes())
    assert program.running()


def test_settings_file_held_by_another_program_is_kept(horvane, driver, wine, program_dir, tmp_path):
    saved = NO_BAR_CONFIG + b"[ring]=1\r\n[diff]=9\r\n"
    config = program_dir / CONFIG_NAME
    config.write_bytes(saved)

    @contextmanager
    def held():
        """The file opened without sharing, as a virus scanner or a backup may hold it."""
        output = tmp_path / "hold.out"
        output.unlink(missing_ok=True)
        holder = wine.spawn(driver.exe, "hold-file", windows_path(config), "60", output=output)
        try:
            assert poll(lambda: output.exists() and "held=1" in output.read_text(), 15), "the file was not held"
            yield
        finally:
            holder.kill()
            holder.wait()

    # Held while the program starts, free by its end: it ran on the defaults, which must
    # not replace the user's settings.
    with held():
        program = horvane()
    close_and_wait(driver, program)
    assert config.read_bytes() == saved

    # Read at the start, held at the end: the file stays whole and nothing is left beside it.
    program = horvane()
    driver.facts("command", MAIN_TITLE, CMD_BELL)
    with held():
        close_and_wait(driver, program)
    assert config.read_bytes() == saved
    assert sorted(p.name for p in program_dir.iterdir()) == sorted([CONFIG_NAME, PROGRAM])
