"""Fixtures of the end-to-end tests: the real executables under Wine on a virtual display.

One Wine prefix and one X display serve the whole run; every test gets its own program
directory. Set HORVANE_BUILD_DIR to test another build than build/windows, and
HORVANE_E2E_KEEP_PREFIX=1 to reuse the prefix of the previous run (saves its ~15 s set-up).
"""

from __future__ import annotations

import os
import re
import select
import shutil
import subprocess
import sys
from contextlib import contextmanager
from dataclasses import dataclass
from pathlib import Path

import pytest

from sync_support import CONFIG, SERVER
from tray_support import RUN_KEY, RUN_VALUE
from winehost import WineHost, poll, windows_path

REPO_ROOT = Path(__file__).resolve().parents[2]
BUILD_DIR = Path(os.environ.get("HORVANE_BUILD_DIR", REPO_ROOT / "build" / "windows"))
E2E_DIR = Path(os.environ.get("HORVANE_E2E_DIR", REPO_ROOT / "build" / "e2e"))
SCREENSHOT_DIR = E2E_DIR / "screenshots"

PROGRAM = "Horvane.exe"
DRIVER = "HorvaneDriver.exe"
COMPANIONS = ("Vistrel.exe", "Quorel.exe", "Globrin.exe")
RELEASE_FILES = {"Horvane.exe", "Quorel.exe", "Vistrel.exe", "Globrin.exe", "Horvane.chm", "bell.wav",
                 "LICENSE.txt", "README.txt"}
MAIN_TITLE = "panel"
CONFIG_NAME = "config.txt"

START_TIMEOUT = 15.0
EXIT_TIMEOUT = 10.0
COMPANION_READY_TIMEOUT = 15.0
DRIVER_TIMEOUT = 30.0
SNTP_SERVER_SCRIPT = REPO_ROOT / "tools" / "sntp_reference_server.py"
SNTP_SERVER_READY_TIMEOUT = 10.0


def require_executable(name: str) -> Path:
    """The built executable of that name anywhere under the build directory."""
    found = sorted(p for p in BUILD_DIR.rglob(name) if "CMakeFiles" not in p.parts)
    if not found:
        pytest.fail(f"{name} is not built under {BUILD_DIR}; "
                    "run: cmake --preset windows && cmake --build --preset windows")
    return found[0]


# -- session: display and prefix ---------------------------------------------------------

@pytest.fixture(scope="session")
def wine():
    keep = os.environ.get("HORVANE_E2E_KEEP_PREFIX") == "1"
    host = WineHost(E2E_DIR / "wineprefix", fresh=not keep)
    try:
        # Inside: a start that fails half-way leaves no X server or wineserver behind.
        host.start()
        yield host
    finally:
        host.stop()


# -- the driver --------------------------------------------------------------------------

class Driver:
    def __init__(self, host: WineHost, exe: Path):
        self.host = host
        self.exe = exe
        self.last_error = ""  # what the last subcommand wrote to stderr, for failure messages

    def __call__(self, *args: str, timeout: float = DRIVER_TIMEOUT) -> tuple[int, str]:
        result = self.host.run(self.exe, *map(str, args), timeout=timeout)
        self.last_error = result.stderr[-2000:]
        return result.returncode, result.stdout

    def facts(self, *args: str, timeout: float = DRIVER_TIMEOUT) -> dict[str, str]:
        """Runs a subcommand that must succeed and returns its key=value lines."""
        rc, out = self(*args, timeout=timeout)
        assert rc == 0, f"driver {' '.join(map(str, args))} failed with {rc}: {out!r} {self.last_error!r}"
        return {key.strip(): value.strip() for key, sep, value in (line.partition("=") for line in out.splitlines())
                if sep}


@pytest.fixture(scope="session")
def driver(wine) -> Driver:
    return Driver(wine, require_executable(DRIVER))


# -- the program -------------------------------------------------------------------------

@pytest.fixture
def program_dir(tmp_path) -> Path:
    """An empty program directory holding only the program itself."""
    directory = tmp_path / "prog"
    directory.mkdir()
    shutil.copy2(require_executable(PROGRAM), directory / PROGRAM)
    return directory


def install_companions(directory: Path) -> None:
    """Copies the built companion programs next to the program."""
    for name in COMPANIONS:
        shutil.copy2(require_executable(name), directory / name)


def install_stand_ins(directory: Path, *names: str) -> list[Path]:
    """Copies the stand-in under each name; returns the files in which each records the
    command line it was started with."""
    for name in names:
        shutil.copy2(require_executable("CompanionStandIn.exe"), directory / name)
    return [directory / f"{name}.started" for name in names]


@dataclass
class RunningProgram:
    process: subprocess.Popen
    directory: Path
    output: Path

    def output_text(self) -> str:
        """What the program and Wine's traces for it printed so far."""
        return self.output.read_text(errors="replace") if self.output.exists() else ""

    @property
    def config_path(self) -> Path:
        return self.directory / CONFIG_NAME

    @property
    def windows_dir(self) -> str:
        """The program directory as the program sees it, with its trailing backslash."""
        return windows_path(self.directory) + "\\"

    def running(self) -> bool:
        return self.process.poll() is None

    def wait_exit(self, timeout: float = EXIT_TIMEOUT) -> int | None:
        """The exit code, or None if the process is still running after `timeout`."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None


@pytest.fixture
def horvane(wine, driver, program_dir, tmp_path):
    """Starts the program: horvane(config=None, wait=True, directory=program_dir, debug=None,
    wrapper=()).

    `config` (bytes) is written to config.txt first. With `wait` the call returns once the
    main window exists. `debug` turns on Wine trace channels, whose lines land in the
    program's output; `wrapper` runs Wine through another command (see WineHost.spawn). Every program still running at the end of the test is closed (an open
    menu is dismissed first), and killed if it does not end."""
    started: list[RunningProgram] = []

    def start(config: bytes | None = None, wait: bool = True, directory: Path = program_dir,
              debug: str | None = None, wrapper: tuple[str, ...] = ()) -> RunningProgram:
        if config is not None:
            (directory / CONFIG_NAME).write_bytes(config)
        if wait:
            assert driver.facts("count", MAIN_TITLE)["count"] == "0", \
                "a main window is left over from an earlier test"
        output = tmp_path / f"program-{len(started)}.out"
        process = wine.spawn(directory / PROGRAM, output=output, debug=debug, wrapper=wrapper)
        program = RunningProgram(process, directory, output)
        started.append(program)
        if wait:
            rc, _ = driver("wait", MAIN_TITLE, START_TIMEOUT)
            assert rc == 0, f"no window titled {MAIN_TITLE!r} within {START_TIMEOUT} s {driver.last_error!r}"
        return program

    yield start

    for program in started:
        if program.running():
            driver("menu-keys", 0, "escape")
            # Posted, not sent: a program stuck in a modal loop must not hang the teardown.
            driver("post-close", MAIN_TITLE)
            if program.wait_exit() is None:
                program.process.kill()
                program.process.wait()
    driver("wait-gone", MAIN_TITLE, EXIT_TIMEOUT)


# -- its settings file ----------------------------------------------------------------------

KEYS = ("[auto]=", "[diff]=", "[list]=", "[ring]=", "[rifn]=",
        "[bash]=", "[alsh]=", "[rpoh]=", "[shut]=", "[shcd]=")
# Keeps the program from starting the date-time bar itself, so that a test's own companion
# window is the only one.
NO_BAR_CONFIG = b"[alsh]=0\r\n[bash]=0\r\n"


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


def close_and_wait(driver, program) -> None:
    driver.facts("close", MAIN_TITLE)
    assert program.wait_exit() == 0, "the program did not end normally after its close"


@pytest.fixture
def no_run_value(wine):
    """The Run value is absent during the test and removed after it, so that no later boot
    of the prefix starts a program from a test directory."""
    wine.reg_delete(RUN_KEY, RUN_VALUE)
    yield
    wine.reg_delete(RUN_KEY, RUN_VALUE)


# -- companions played by the driver -----------------------------------------------------

@dataclass
class Received:
    code: int
    text: bytes


@dataclass
class Sent:
    code: int
    result: int | None  # None: no main window was found to send to


RECEIVED_LINE = re.compile(r"^code=(\d+) len=(\d+) text=([0-9A-F]*)$")
SENT_LINE = re.compile(r"^sent code=(\d+) (?:result=(-?\d+)|found=0)$")


class Companion:
    def __init__(self, process: subprocess.Popen, log: Path):
        self.process = process
        self.log = log

    def wait(self, timeout: float = EXIT_TIMEOUT) -> bool:
        """True once the companion has ended (it ends on the quit code)."""
        try:
            self.process.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def records(self) -> list[Received | Sent]:
        records: list[Received | Sent] = []
        lines = self.log.read_text().splitlines() if self.log.exists() else []
        for line in lines:
            if match := RECEIVED_LINE.match(line):
                records.append(Received(int(match[1]), bytes.fromhex(match[3])))
            elif match := SENT_LINE.match(line):
                result = int(match[2]) if match[2] is not None else None
                records.append(Sent(int(match[1]), result))
        return records

    @property
    def received(self) -> list[Received]:
        return [r for r in self.records() if isinstance(r, Received)]

    @property
    def received_codes(self) -> list[int]:
        return [r.code for r in self.received]

    @property
    def sent(self) -> list[Sent]:
        return [r for r in self.records() if isinstance(r, Sent)]

    def ready(self) -> bool:
        return self.log.exists() and self.log.read_text().startswith("ready")


@pytest.fixture
def companion(wine, driver, tmp_path):
    """companion(title, *send_after, hung=False): a context in which the driver plays a
    companion window with that title for a minute. `send_after` holds (ms, code) or (ms, code,
    text) tuples: copy-data messages it sends to the main window after that delay. A hung
    companion's window reads no message at all."""
    counter = iter(range(1000))

    @contextmanager
    def play(title: str, *send_after: tuple, hung: bool = False):
        log = tmp_path / f"companion-{next(counter)}-{title}.log"
        args = ["companion", title, windows_path(log)] + (["--hung"] if hung else [])
        for send in send_after:
            args += ["--send-after", *map(str, send)]
        process = wine.spawn(driver.exe, *args)
        handle = Companion(process, log)
        try:
            assert poll(lambda: handle.ready() or process.poll() is not None,
                        COMPANION_READY_TIMEOUT) and handle.ready(), \
                f"companion {title!r} did not start"
            yield handle
        finally:
            if process.poll() is None:
                process.kill()
            process.wait()

    return play


# -- the reference time server -----------------------------------------------------------

class ReferenceServer:
    """tools/sntp_reference_server.py on 127.0.0.1 port 123, with the given fault options."""

    def __init__(self, *args: str):
        self.output: str | None = None
        self.process = subprocess.Popen([sys.executable, str(SNTP_SERVER_SCRIPT), *args],
                                        stdout=subprocess.PIPE, text=True)
        ready, _, _ = select.select([self.process.stdout], [], [], SNTP_SERVER_READY_TIMEOUT)
        first = self.process.stdout.readline() if ready else ""
        if not first.startswith("listening on"):
            self.stop()
            raise RuntimeError(f"reference server did not start: {first!r}")

    def stop(self) -> str:
        """Stops it (once) and returns everything it printed."""
        if self.output is None:
            self.process.terminate()
            rest, _ = self.process.communicate(timeout=10)
            self.output = rest or ""
        return self.output


@pytest.fixture
def sntp_server():
    """sntp_server(*options): starts the reference server (port 123 needs root); every
    server started is stopped at the end of the test."""
    if os.geteuid() != 0:
        pytest.fail("the reference SNTP server needs root for port 123")
    servers: list[ReferenceServer] = []

    def start(*args: str) -> ReferenceServer:
        servers.append(ReferenceServer(*args))
        return servers[-1]

    yield start
    for server in servers:
        server.stop()


# -- the time service ---------------------------------------------------------------------

SERVICE_EXE = "HorvaneTime.exe"


@pytest.fixture
def time_service(wine, program_dir):
    """time_service(*subcommand) -> (exit code, output) of HorvaneTime.exe, installed from the
    program directory, whose config.txt names the reference server, approved by asking
    install for it; uninstalled afterwards."""
    exe = program_dir / SERVICE_EXE
    shutil.copy2(require_executable(SERVICE_EXE), exe)
    (program_dir / CONFIG_NAME).write_bytes(CONFIG)

    def service(*args: str) -> tuple[int, str]:
        result = wine.run(exe, *args, timeout=60)
        return result.returncode, result.stdout

    rc, out = service("install", "--approve-config")
    assert rc == 0, out
    assert f"approved {SERVER}" in out, out
    try:
        yield service
    finally:
        service("uninstall")
