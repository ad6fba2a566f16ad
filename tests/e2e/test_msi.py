"""Horvane-<version>-x64.msi under Wine, in one install: a silent msiexec install lays the
program and the time service down; the service honours an approved-servers policy and says so;
a run of the installed program goes through it; the program keeps the user's settings in the
profile, seeded from the install folder's file, and never writes the install folder; a silent
msiexec removal takes files, service and registry values away again."""

from conftest import CONFIG_NAME, INSTALL_KEY, MAIN_TITLE, RELEASE_FILES, SERVICE_KEY, require_executable
from sync_support import CODE_RESULT, CONFIG, SERVICE_BURST, SERVICE_RESULT_TEXT, sync_once, texts
from tray_support import RUN_KEY
from winehost import windows_path

POLICY_KEY = r"HKLM\Software\Policies\Horvane\TimeService"
FOLDER = r"C:\Program Files\Horvane"
MSIEXEC_TIMEOUT = 180


def test_silent_msi_install_service_settings_policy_and_removal(wine, horvane, companion, sntp_server, driver,
                                                                 tmp_path):
    msi = require_executable("Horvane-*-x64.msi")
    folder = wine.prefix / "drive_c" / "Program Files" / "Horvane"
    drive = wine.prefix / "drive_c"
    # Wine's msiexec puts a per-machine package's entry into the installing user's Start menu.
    menus = [drive / "ProgramData" / "Microsoft" / "Windows", *drive.glob("users/*/AppData/Roaming/Microsoft/Windows")]
    shortcuts = lambda: sorted(p.name for menu in menus for p in menu.glob("Start Menu/Programs/Horvane/*"))
    # The built-in servers are approved at install; the policy's list replaces them.
    wine.reg_add(POLICY_KEY, "ApprovedServers", "127.0.0.1")
    log = tmp_path / "install.log"
    installed = wine.run("msiexec", "/i", windows_path(msi), "/qn", "/l*v", windows_path(log), timeout=MSIEXEC_TIMEOUT)
    try:
        assert installed.returncode == 0, log.read_text(encoding="utf-16", errors="replace")[-3000:]
        assert {p.name for p in folder.iterdir()} == RELEASE_FILES | {"HorvaneTime.exe"}
        assert shortcuts() == ["Horvane.lnk"]
        assert f'"{FOLDER}\\Horvane.exe"' in wine.run("reg", "query", RUN_KEY, "/v", "Horvane").stdout
        status = wine.run(folder / "HorvaneTime.exe", "status").stdout
        assert "running (process" in status, status
        assert "approved servers: 127.0.0.1 (set by policy)" in status, status

        # The administrator's defaults for new users: the reference server.
        (folder / CONFIG_NAME).write_bytes(CONFIG)
        before = {p.name: p.stat().st_mtime_ns for p in folder.iterdir()}
        server = sntp_server("--offset", "0.2", "--delay", "0.010")
        program = horvane(directory=folder)
        sync = sync_once(companion)
        assert SERVICE_RESULT_TEXT.fullmatch(texts(sync, CODE_RESULT)[0].decode()), texts(sync, CODE_RESULT)
        assert "last result: set the clock from 127.0.0.1" in wine.run(folder / "HorvaneTime.exe", "status").stdout
        assert server.stop().count("-> reply") == SERVICE_BURST
        driver("post-close", MAIN_TITLE)
        assert program.wait_exit() == 0

        profiles = [p for p in (wine.prefix / "drive_c" / "users").glob("*/AppData/Roaming/Horvane/config.txt")]
        assert len(profiles) == 1, profiles
        assert b"[list]=Local reference, Loopback, Here(127.0.0.1)?0\r\n" in profiles[0].read_bytes()
        assert {p.name: p.stat().st_mtime_ns for p in folder.iterdir()} == before, "the install folder is not written"
    finally:
        removed = wine.run("msiexec", "/x", windows_path(msi), "/qn", timeout=MSIEXEC_TIMEOUT)
        wine.run("reg", "delete", POLICY_KEY, "/f")
    assert removed.returncode == 0
    # What the administrator put there stays; everything the package laid down is gone.
    assert {p.name for p in folder.iterdir()} == {CONFIG_NAME}
    (folder / CONFIG_NAME).unlink()  # as its administrator would, for the next installation
    folder.rmdir()
    assert shortcuts() == []
    assert wine.run("reg", "query", SERVICE_KEY).returncode != 0, "the service is gone"
    assert "Horvane" not in wine.run("reg", "query", RUN_KEY).stdout
    assert "InstallDir" not in wine.run("reg", "query", INSTALL_KEY).stdout
