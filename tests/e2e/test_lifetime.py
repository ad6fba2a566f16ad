"""Start-up, single instance and the end of the program, observed from outside."""

from __future__ import annotations

import random
import re

import pytest

from conftest import CONFIG_NAME, MAIN_TITLE
from winehost import poll, windows_path

KEYS = ("[auto]=", "[diff]=", "[list]=", "[ring]=", "[rifn]=",
        "[bash]=", "[alsh]=", "[rpoh]=", "[shut]=", "[shcd]=")
WS_EX_TOOLWINDOW = 0x80
WS_EX_APPWINDOW = 0x40000
# Codes of the copy-data protocol that these tests use.
QUIT = 3
SERVER_ADDRESS_REQUEST = 10
UNLISTED_CODE = 99
CMD_BELL = 32793
# Keeps the program from starting the date-time bar itself, so that the test's own
# companion window is the only one.
NO_BAR_CONFIG = b"[alsh]=0\r\n[bash]=0\r\n"
SERVER_ENTRY = re.compile(r"([^()?]+)\(([^()?]+)\)")
DOTTED_IPV4 = re.compile(r"^\d{1,3}(\.\d{1,3}){3}$")


def settings_lines(data: bytes) -> list[str]:
    """The lines of a written config.txt, checked to be ten keyed lines ending in CRLF."""
    text = data.decode("latin-1")
    assert text.endswith("\r\n"), repr(text[-20:])
    lines = text[:-2].split("\r\n")
    assert not any("\n" in line or "\r" in line for line in lines), repr(text)
    assert [line[:7] for line in lines] == list(KEYS), lines
    return lines


def settings_values(data: bytes) -> dict[str, str]:
    return {line[:7]: line[7:] for line in settings_lines(data)}


def assert_default_settings(data: bytes, program_dir: str) -> None:
    values = settings_values(data)
    assert values["[auto]="] == "1"
    assert values["[diff]="] == "3"
    assert values["[rifn]="] == program_dir + "bell.wav"
    assert values["[alsh]="] == "1"
    assert values["[rpoh]="] == "1"
    assert values["[shut]="] == "0"
    assert values["[shcd]="] == "0"
    assert re.fullmatch(r"-?\d+", values["[ring]="])
    assert values["[bash]="] in ("0", "1")
    assert_default_server_list(values["[list]="])


def assert_default_server_list(encoded: str) -> None:
    assert encoded.endswith("?0"), encoded
    entries = encoded[:-1].split("?")[:-1]
    assert len(entries) == 7, entries
    parsed = [SERVER_ENTRY.fullmatch(entry) for entry in entries]
    assert all(parsed), entries
    addresses = [match[2] for match in parsed]
    assert sum(bool(DOTTED_IPV4.match(a)) for a in addresses) == 3, addresses


def close_and_wait(driver, program) -> None:
    driver.facts("close", MAIN_TITLE)
    assert program.wait_exit() == 0, "the program did not end normally after its close"


def test_first_start_creates_empty_settings_and_exit_writes_defaults(horvane, driver):
    program = horvane()
    assert program.config_path.read_bytes() == b""

    close_and_wait(driver, program)
    assert_default_settings(program.config_path.read_bytes(), program.windows_dir)


def test_only_one_instance_runs_at_a_time(horvane, driver):
    first = horvane(NO_BAR_CONFIG)
    second = horvane(wait=False)
    assert second.wait_exit() is not None, "the second instance did not end by itself"
    assert driver.facts("count", MAIN_TITLE)["count"] == "1"
    assert first.running()

    close_and_wait(driver, first)
    third = horvane()
    assert third.running()


@pytest.mark.bare_x
def test_main_window_is_hidden_and_tray_icon_comes_and_goes(horvane, driver, wine):
    program = horvane(NO_BAR_CONFIG)
    styles = driver.facts("styles", MAIN_TITLE)
    exstyle = int(styles["exstyle"], 16)
    assert styles["visible"] == "0"
    assert exstyle & WS_EX_TOOLWINDOW
    assert not exstyle & WS_EX_APPWINDOW

    if wine.owns_display:
        # Without a tray on the X display Wine shows tray icons in a window of its own,
        # one child window per icon, which the driver can count.
        assert poll(lambda: driver.facts("tray-icons")["count"] == "1", 5)
        close_and_wait(driver, program)
        assert driver.facts("tray-icons")["count"] == "0"


def test_close_tells_bar_and_sync_window_to_quit_and_saves(horvane, driver, companion):
    program = horvane(NO_BAR_CONFIG)
    with companion("VistrelShow") as bar, companion("sync") as sync:
        close_and_wait(driver, program)
        assert bar.wait() and sync.wait(), "a companion was not told to quit"
    assert bar.received_codes == [QUIT]
    assert sync.received_codes == [QUIT]
    values = settings_values(program.config_path.read_bytes())
    assert (values["[alsh]="], values["[bash]="]) == ("0", "0")


def test_session_end_saves_settings(horvane, driver):
    # Windows ends the process after the session-end messages without closing its window,
    # so the program saves on the way out.
    program = horvane(NO_BAR_CONFIG + b"[ring]=1\r\n")

    facts = driver.facts("endsession", MAIN_TITLE)
    assert facts["query"] != "0", "the program refused the end of the session"
    values = settings_values(program.config_path.read_bytes())
    assert (values["[ring]="], values["[alsh]="], values["[bash]="]) == ("1", "0", "0")


def test_settings_file_held_by_another_program_is_kept(horvane, driver, wine, program_dir, tmp_path):
    saved = NO_BAR_CONFIG + b"[ring]=1\r\n[diff]=9\r\n"
    config = program_dir / CONFIG_NAME
    config.write_bytes(saved)

    def held():
        """The file opened without sharing, as a virus scanner or a backup may hold it."""
        output = tmp_path / "hold.out"
        output.unlink(missing_ok=True)
        holder = wine.spawn(driver.exe, "hold-file", windows_path(config), "60", output=output)
        assert poll(lambda: output.exists() and "held=1" in output.read_text(), 15), "the file was not held"
        return holder

    def released(holder):
        holder.kill()
        holder.wait()

    # Held while the program starts, free by its end: it ran on the defaults, which must
    # not replace the user's settings.
    holder = held()
    program = horvane()
    released(holder)
    close_and_wait(driver, program)
    assert config.read_bytes() == saved

    # Read at the start, held at the end: the file stays whole and nothing is left beside it.
    program = horvane()
    driver.facts("command", MAIN_TITLE, CMD_BELL)
    holder = held()
    close_and_wait(driver, program)
    released(holder)
    assert config.read_bytes() == saved
    assert sorted(p.name for p in program_dir.iterdir()) == sorted([CONFIG_NAME, "Horvane.exe"])


def test_garbage_settings_file_does_not_crash(horvane, driver):
    program = horvane(random.Random(4096).randbytes(4096))
    close_and_wait(driver, program)
    settings_lines(program.config_path.read_bytes())


def test_malformed_copy_data_does_not_crash(horvane, driver):
    program = horvane(NO_BAR_CONFIG)
    driver("copydata-null", MAIN_TITLE)
    driver("copydata-badlen", MAIN_TITLE, SERVER_ADDRESS_REQUEST)
    driver("copydata-badlen", MAIN_TITLE, UNLISTED_CODE)

    assert program.running()
    assert driver.facts("copydata", MAIN_TITLE, SERVER_ADDRESS_REQUEST)["result"] == "1"
    close_and_wait(driver, program)


# Where the virtual desktop's taskbar shows the notification area: its right end.
TRAY_AREA = dict(width=40, height=16, left=758, top=582)


def test_startup_screenshot_shows_tray_icon(horvane, wine, screenshot, tmp_path, virtual_desktop):
    if not virtual_desktop:
        pytest.skip("only the virtual desktop has a taskbar")
    horvane(NO_BAR_CONFIG)

    def icon_drawn():
        shot = screenshot(tmp_path / "poll.png")
        return wine.distinct_colours(shot, **TRAY_AREA) > 1

    drawn = poll(icon_drawn, 10, interval=0.25)
    screenshot("startup.png")
    assert drawn, "no icon in the taskbar's notification area"
