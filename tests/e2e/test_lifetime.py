"""Start-up, single instance, the settings file and the end of the program, observed from outside;
once in a folder whose name has blanks and letters outside ASCII, as ANSI calls cannot handle."""

import re
import shutil
import time
from contextlib import contextmanager

from conftest import (CONFIG_NAME, MAIN_TITLE, NO_BAR_CONFIG, PROGRAM, close_and_wait, install_stand_ins,
                      require_executable, settings_values)
from dialogs import CMD_BELL, CMD_RUN_AT_STARTUP
from tray_support import run_value
from winehost import poll, windows_path

BOX_WAIT = 2.0  # a message box would be up by then
FOLDER = ("Program Files", "Horvane Ünïcödé")
STAND_IN_TIMEOUT = 10.0
# A sound file that an older version stored in the ANSI code page (Windows-1252, ö = 0xF6);
# it comes back in UTF-8. The file was saved by an editor that ends lines with LF alone.
ANSI_SOUND_LINE = b"[rifn]=C:\\Sounds\\Gl\xf6ckchen.wav\n"
UTF8_SOUND_LINE = "[rifn]=C:\\Sounds\\Glöckchen.wav\r\n".encode()


def test_first_start_without_its_bar_shows_nothing_and_runs_once(horvane, driver):
    # The defaults show the bar, and the program folder holds Horvane.exe alone.
    program = horvane()
    assert program.config_path.read_bytes() == b""
    time.sleep(BOX_WAIT)
    listed = [line for line in driver("windows")[1].splitlines() if 'class="' in line]
    pid = re.search(r" pid=(\d+)", next(line for line in listed if f'title="{MAIN_TITLE}"' in line))[1]
    assert not [line for line in listed if f" pid={pid} " in line and " visible=1" in line]
    second = horvane(wait=False)
    assert second.wait_exit() is not None, "the second instance did not end by itself"
    assert driver.facts("count", MAIN_TITLE)["count"] == "1"
    close_and_wait(driver, program)
    # The path is the one Windows gave the program.
    assert settings_values(program.config_path.read_bytes())["[rifn]="] == program.windows_dir + "bell.wav"


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

    # Held while the program starts, free by its end: the defaults it ran on replace nothing.
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


def test_program_in_a_folder_with_blanks_and_accents(horvane, driver, wine, tmp_path, no_run_value):
    folder = tmp_path.joinpath(*FOLDER)
    folder.mkdir(parents=True)
    shutil.copy2(require_executable(PROGRAM), folder / PROGRAM)
    [started] = install_stand_ins(folder, "Vistrel.exe")
    windows_folder = windows_path(folder) + "\\"

    # The bar at the start, started from the folder by its whole path.
    program = horvane(b"[auto]=0\n[diff]=7\n[alsh]=1\n" + ANSI_SOUND_LINE, directory=folder)
    assert poll(started.exists, STAND_IN_TIMEOUT), "the bar was not started"
    assert started.read_text(encoding="utf-8").splitlines() == [f'"{windows_folder}Vistrel.exe" VistrelShow']

    driver.facts("command", MAIN_TITLE, CMD_RUN_AT_STARTUP)
    assert run_value(wine, tmp_path) == f'"{windows_folder}Horvane.exe"'
    driver.facts("command", MAIN_TITLE, CMD_RUN_AT_STARTUP)
    assert run_value(wine, tmp_path) is None

    driver.facts("command", MAIN_TITLE, CMD_BELL)
    close_and_wait(driver, program)
    written = program.config_path.read_bytes()
    assert [settings_values(written)[key] for key in ("[auto]=", "[diff]=", "[ring]=")] == ["0", "7", "1"]
    assert UTF8_SOUND_LINE in written

    # Read back as UTF-8, not taken for the ANSI code page: the next end writes it unchanged.
    close_and_wait(driver, horvane(directory=folder))
    assert program.config_path.read_bytes() == written
    assert {p.name for p in folder.iterdir()} == {"config.txt", PROGRAM, "Vistrel.exe", started.name}, "a file left"
