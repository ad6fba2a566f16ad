"""Horvane-setup.exe under Wine: a silent install lays the program, the time service, the
Start-menu entries and the start with Windows in place; the silent uninstaller removes them."""

from pathlib import Path

from conftest import INSTALL_KEY, RELEASE_FILES, SERVICE_KEY, require_executable
from tray_support import RUN_KEY
from winehost import poll

SETUP = "Horvane-setup.exe"
FOLDER = r"C:\Program Files\Horvane"
UNINSTALL_WAIT = 30.0


def test_silent_install_and_uninstall(wine):
    program_files = wine.prefix / "drive_c" / "Program Files" / "Horvane"
    start_menu = wine.prefix / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Horvane"

    assert wine.run(require_executable(SETUP), "/S", timeout=120).returncode == 0
    installed = {p.name for p in program_files.iterdir()}
    # The portable release's files, and what only an installation needs; no shared settings.
    assert installed == RELEASE_FILES | {"HorvaneTime.exe", "Uninstall.exe"}, installed
    assert FOLDER in wine.run("reg", "query", INSTALL_KEY, "/v", "InstallDir").stdout
    assert {p.name for p in start_menu.iterdir()} == {"Horvane.lnk", "Horvane Help.lnk", "Uninstall Horvane.lnk"}
    run = wine.run("reg", "query", RUN_KEY, "/v", "Horvane").stdout
    assert f'"{FOLDER}\\Horvane.exe"' in run, run
    status = wine.run(Path(program_files / "HorvaneTime.exe"), "status")
    assert status.returncode == 0 and 'running (process' in status.stdout, status.stdout
    assert f'program "{FOLDER}\\HorvaneTime.exe"' in status.stdout, status.stdout

    # The uninstaller runs from a copy of itself and returns at once.
    assert wine.run(program_files / "Uninstall.exe", "/S").returncode == 0
    assert poll(lambda: not program_files.exists() and not start_menu.exists(), UNINSTALL_WAIT)
    assert wine.run("reg", "query", SERVICE_KEY).returncode != 0, "the service is gone"
    assert "Horvane" not in wine.run("reg", "query", RUN_KEY).stdout
    assert "InstallDir" not in wine.run("reg", "query", INSTALL_KEY).stdout
