"""The program installed where programs are: in a folder whose name has blanks and letters
outside ASCII, which the old ANSI calls and unquoted command lines could not handle."""

from __future__ import annotations

import shutil

from conftest import MAIN_TITLE, PROGRAM, require_executable
from test_lifetime import close_and_wait, settings_values
from test_tray import no_run_value  # noqa: F401  (a fixture)
from tray_support import run_value
from winehost import poll, windows_path

FOLDER = ("Program Files", "Horvane Ünïcödé")
CMD_RUN_AT_STARTUP = 32780
CMD_BELL = 32793
STAND_IN_TIMEOUT = 10.0
# A sound file that an older version stored in the ANSI code page (Windows-1252, ö = 0xF6);
# it comes back in UTF-8.
ANSI_SOUND_LINE = b"[rifn]=C:\\Sounds\\Gl\xf6ckchen.wav\r\n"
UTF8_SOUND_LINE = "[rifn]=C:\\Sounds\\Glöckchen.wav\r\n".encode()


def test_program_in_a_folder_with_blanks_and_accents(horvane, driver, wine, tmp_path, no_run_value):
    folder = tmp_path.joinpath(*FOLDER)
    folder.mkdir(parents=True)
    shutil.copy2(require_executable(PROGRAM), folder / PROGRAM)
    shutil.copy2(require_executable("CompanionStandIn.exe"), folder / "Vistrel.exe")
    windows_folder = windows_path(folder) + "\\"

    program = horvane(b"[auto]=0\r\n[alsh]=1\r\n" + ANSI_SOUND_LINE, directory=folder)
    started = folder / "Vistrel.exe.started"
    assert poll(started.exists, STAND_IN_TIMEOUT), "the bar was not started from the folder"
    assert started.read_text(encoding="utf-8").splitlines() == [f'"{windows_folder}Vistrel.exe" VistrelShow']

    driver.facts("command", MAIN_TITLE, CMD_RUN_AT_STARTUP)
    assert run_value(wine, tmp_path) == f'"{windows_folder}Horvane.exe"'
    driver.facts("command", MAIN_TITLE, CMD_RUN_AT_STARTUP)
    assert run_value(wine, tmp_path) is None

    driver.facts("command", MAIN_TITLE, CMD_BELL)
    close_and_wait(driver, program)
    written = program.config_path.read_bytes()
    assert settings_values(written)["[ring]="] == "1"
    assert UTF8_SOUND_LINE in written

    # Read back as UTF-8, not taken for the ANSI code page: the next end writes it unchanged.
    close_and_wait(driver, horvane(directory=folder))
    assert program.config_path.read_bytes() == written
    assert sorted(p.name for p in folder.iterdir()) == sorted(
        ["config.txt", PROGRAM, "Vistrel.exe", "Vistrel.exe.started"]), "a file was left behind"
