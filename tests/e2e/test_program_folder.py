"""The program installed where programs are: in a folder whose name has blanks and letters
outside ASCII, which the old ANSI calls and unquoted command lines could not handle."""

from __future__ import annotations

import shutil

from conftest import MAIN_TITLE, PROGRAM, close_and_wait, install_stand_ins, require_executable, settings_values
from dialogs import CMD_BELL, CMD_RUN_AT_STARTUP
from program_ids import CODE
from tray_support import run_value
from winehost import poll, windows_path

FOLDER = ("Program Files", "Horvane Ünïcödé")
CODE_SYNCHRONIZE, CODE_WORLD_CLOCK, CODE_HELP = CODE["kCodeSynchronizeTime"], CODE["kCodeWorldClock"], CODE["kCodeHelp"]
# The codes whose command opens a modal dialog (Preferences, Calendar, ShutDown, ViewLog) hold
# the sender until it closes, so each is tested with its dialog; these are the rest of the
# command codes, and some that are not the main window's: a status, the companions' own codes,
# and the neighbours of the command codes.
UNLISTED_CODES = (CODE["kStatusOk"], CODE["kCodeQuit"], CODE["kCodeSyncResult"], CODE["kCodePreferences"] - 1,
                  CODE["kCodeViewLog"] + 1)
STAND_INS = {"Vistrel.exe": "VistrelShow", "Quorel.exe": "QuorelShow", "Globrin.exe": "ChronvelShow"}
STAND_IN_TIMEOUT = 10.0
# A sound file that an older version stored in the ANSI code page (Windows-1252, ö = 0xF6);
# it comes back in UTF-8. The file was saved by an editor that ends lines with LF alone.
ANSI_SOUND_LINE = b"[rifn]=C:\\Sounds\\Gl\xf6ckchen.wav\n"
UTF8_SOUND_LINE = "[rifn]=C:\\Sounds\\Glöckchen.wav\r\n".encode()


def test_program_in_a_folder_with_blanks_and_accents(horvane, driver, wine, tmp_path, no_run_value):
    folder = tmp_path.joinpath(*FOLDER)
    folder.mkdir(parents=True)
    shutil.copy2(require_executable(PROGRAM), folder / PROGRAM)
    started = install_stand_ins(folder, *STAND_INS)
    windows_folder = windows_path(folder) + "\\"

    # The bar at the start, the other companions by their copy-data codes: each started from
    # the folder with its path quoted.
    program = horvane(b"[auto]=0\n[diff]=7\n[alsh]=1\n" + ANSI_SOUND_LINE, directory=folder)
    for code in (CODE_SYNCHRONIZE, CODE_WORLD_CLOCK, CODE_HELP):
        assert driver.facts("copydata", MAIN_TITLE, code)["result"] == "1", code
    for code in UNLISTED_CODES:
        assert driver.facts("copydata", MAIN_TITLE, code)["result"] == "0", code
    assert poll(lambda: all(record.exists() for record in started), STAND_IN_TIMEOUT), "a companion was not started"
    assert [record.read_text(encoding="utf-8").splitlines() for record in started] == [
        [f'"{windows_folder}{name}" {argument}'] for name, argument in STAND_INS.items()]

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
    assert {p.name for p in folder.iterdir()} == {"config.txt", PROGRAM, *STAND_INS, *(r.name for r in started)}, \
        "a file was left behind"
