"""Horvane-<version>-x64.msi under Wine, in one install: a silent msiexec install lays the
program and the time service down; the service honours an approved-servers policy and says so;
a run of the installed program goes through it; the program keeps the user's settings in the
profile, seeded from the install folder's file, and never writes the install folder; a silent
msiexec removal takes files, service and registry values away again. On the way, a later
version made from the same staged release upgrades it and keeps what the administrator and
the user set."""

import re
import shutil
import subprocess

from conftest import (BUILD_DIR, CONFIG_NAME, INSTALL_KEY, MAIN_TITLE, RELEASE_FILES, REPO_ROOT, SERVICE_KEY,
                      require_executable)
from sync_support import CODE_RESULT, CONFIG, SERVICE_BURST, SERVICE_RESULT_TEXT, sync_once, texts
from tray_support import RUN_KEY
from winehost import windows_path

POLICY_KEY = r"HKLM\Software\Policies\Horvane\TimeService"
FOLDER = r"C:\Program Files\Horvane"
MSIEXEC_TIMEOUT = 180
ADDED_SERVER = "ntp.example.org"
NEXT_PRODUCT = "{0F6A1C2E-5B3D-4E7A-8C91-2D4F6B8A0E13}"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"


def later_version(msi, out):
    """The build's package again, with the last version number one higher and its README
    telling so, made from a copy of the staged release."""
    version = re.search(r"Horvane-(\d+\.\d+\.)(\d+)-x64", msi.name)
    version = f"{version.group(1)}{int(version.group(2)) + 1}"
    stage = out / "stage"
    shutil.copytree(BUILD_DIR / "installer" / "stage", stage)
    with open(stage / "README.txt", "ab") as readme:
        readme.write(f"Version {version}\r\n".encode())
    package = out / f"Horvane-{version}-x64.msi"
    subprocess.run(["wixl", "-a", "x64", "-D", f"Version={version}", "-I", BUILD_DIR / "installer" / "lists",
                    "-o", package, REPO_ROOT / "installer" / "Horvane.wxs"], cwd=stage, check=True)
    return package, (stage / "README.txt").read_bytes()


def products(wine):
    """The versions of Horvane that Windows lists as installed."""
    listing = wine.run("reg", "query", UNINSTALL_KEY, "/s").stdout
    return [re.search(r"DisplayVersion\s+REG_SZ\s+(\S+)", entry).group(1)
            for entry in listing.split("\nHKEY_") if re.search(r"DisplayName\s+REG_SZ\s+Horvane\s*$", entry, re.M)]


def service_process(status):
    return re.search(r"running \(process (\d+)", status).group(1)


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
    package = msi
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

        # A later version replaces the program and keeps what the administrator and the user set.
        wine.run("reg", "delete", POLICY_KEY, "/f")
        status = wine.run(folder / "HorvaneTime.exe", "status").stdout
        settings = profiles[0].read_bytes()
        upgrade, readme = later_version(msi, tmp_path)
        upgraded = wine.run("msiexec", "/i", windows_path(upgrade), "/qn", timeout=MSIEXEC_TIMEOUT)
        assert upgraded.returncode == 0
        package = upgrade
        assert products(wine) == [re.search(r"Horvane-(.*)-x64", upgrade.name).group(1)]
        assert (folder / "README.txt").read_bytes() == readme
        upgraded_status = wine.run(folder / "HorvaneTime.exe", "status").stdout
        assert service_process(upgraded_status) != service_process(status), "the new program serves"
        assert profiles[0].read_bytes() == settings
        assert (folder / CONFIG_NAME).read_bytes() == CONFIG

        # The approvals an administrator changed stay when Windows removes the older version
        # for an upgrade, with UPGRADINGPRODUCTCODE set. Wine's msiexec removes it with
        # "msiexec /i {product} REMOVE=ALL" and no such property, so that removal is made
        # here the way Windows makes it (docs/deployment.md).
        builtin = re.search(r"approved servers: (.*)", status).group(1).split()
        assert wine.run(folder / "HorvaneTime.exe", "revoke", builtin[0]).returncode == 0
        assert wine.run(folder / "HorvaneTime.exe", "approve", ADDED_SERVER).returncode == 0
        removal = wine.run("msiexec", "/x", windows_path(upgrade), "/qn", f"UPGRADINGPRODUCTCODE={NEXT_PRODUCT}",
                           timeout=MSIEXEC_TIMEOUT)
        assert removal.returncode == 0
        package = msi
        assert wine.run("msiexec", "/i", windows_path(msi), "/qn", timeout=MSIEXEC_TIMEOUT).returncode == 0
        after = wine.run(folder / "HorvaneTime.exe", "status").stdout
        assert "running (process" in after, after
        approved = re.search(r"approved servers: (.*)", after).group(1).split()
        assert set(approved) == set(builtin[1:]) | {ADDED_SERVER}, after
    finally:
        removed = wine.run("msiexec", "/x", windows_path(package), "/qn", timeout=MSIEXEC_TIMEOUT)
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
