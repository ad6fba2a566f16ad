"""Fixtures of the end-to-end tests: the real executables under Wine on one virtual display and
prefix; each test gets its own program directory. HORVANE_BUILD_DIR picks another build,
HORVANE_E2E_KEEP_PREFIX=1 reuses the last prefix."""

import os
import re
import select
import shutil
import subprocess
import sys
from collections import namedtuple
from contextlib import contextmanager
from dataclasses import dataclass
from pathlib import Path

import pytest

from tray_support import RUN_KEY, RUN_VALUE
from winehost import WineHost, poll, windows_path

REPO_ROOT = Path(__file__).resolve().parents[2]
BUILD_DIR = Path(os.environ.get("HORVANE_BUILD_DIR", REPO_ROOT / "build" / "windows"))
E2E_DIR = Path(os.environ.get("HORVANE_E2E_DIR", REPO_ROOT / "build" / "e2e"))
SCREENSHOT_DIR = E2E_DIR / "screenshots"

PROGRAM = "Horvane.exe"
DRIVER = "HorvaneDriver.exe"
RELEASE_FILES = {"Horvane.exe", "Quorel.exe", "Vistrel.exe", "Globrin.exe", "Horvane.chm", "bell.wav",
                 "LICENSE.txt", "README.txt"}
MAIN_TITLE = "panel"
CONFIG_NAME = "config.txt"

START_TIMEOUT = 15.0
EXIT_TIMEOUT = 10.0
COMPANION_READY_TIMEOUT = 15.0
DRIVER_TIMEOUT = 30.0
# Wine's own errors stay on for the driver and the program (and what it starts): when a
# process ends before it runs, they are all a failure has to go on.
WINE_ERRORS_ONLY = "-all,err+all"  # "-all" first: Debian's wine script then spares us its wine32 hint
OUTPUT_TAIL = 4000
SNTP_SERVER_SCRIPT = REPO_ROOT / "tools" / "sntp_reference_server.py"
SNTP_SERVER_READY_TIMEOUT = 10.0


def require_executable(name: str) -> Path:
    """The built executable of that name anywhere under the build directory."""
    found = sorted(p for p in BUILD_DIR.rglob(name) if "CMakeFiles" not in p.parts)
    if not found:
        pytest.fail(f"{name} is not built under {BUILD_DIR}; "
                    "run: cmake --preset windows && cmake --build --preset windows")
    return found[0]


@pytest.fixture(scope="session")
def wine():
    host = WineHost(E2E_DIR / "wineprefix", fresh=os.environ.get("HORVANE_E2E_KEEP_PREFIX") != "1")
    try:  # a start that fails half-way leaves no X server or wineserver behind
        host.start()
        yield host
    finally:
        host.stop()


class Driver:
    def __init__(self, host: WineHost, exe: Path):
        self.host, self.exe, self.last_error = host, exe, ""  # the last subcommand's stderr, for failures

    def __call__(self, *args: str, timeout: float = DRIVER_TIMEOUT) -> tuple[int, str]:
        result = self.host.run(self.exe, *map(str, args), timeout=timeout, debug=WINE_ERRORS_ONLY)
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


@pytest.fixture
def program_dir(tmp_path) -> Path:
    directory = tmp_path / "prog"
    directory.mkdir()
    shutil.copy2(require_executable(PROGRAM), directory / PROGRAM)
    return directory


def install_stand_ins(directory: Path, *names: str) -> list[Path]:
    """The stand-in under each name; returns the files where each records its command line."""
    for name in names:
        shutil.copy2(require_executable("CompanionStandIn.exe"), directory / name)
    return [directory / f"{name}.started" for name in names]


@dataclass
class RunningProgram:
    process: subprocess.Popen
    directory: Path
    output: Path  # the program's and Wine's traces

    def output_text(self) -> str:
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
        """The exit code, or None if still running after `timeout`."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    report = (yield).get_result()
    if report.when == "call":
        item.call_failed = report.failed


def print_failure_context(driver, started: list) -> None:
    """What a failed test leaves to go on, shown with its report: the windows on screen and
    what Wine said for each program started."""
    _, listing = driver("windows")
    shown = [line for line in listing.splitlines() if not line.startswith(" ") and "visible=1" in line]
    print("windows shown:", *shown, sep="\n  ")
    for program in started:
        print(f"{program.output.name}:", program.output_text()[-OUTPUT_TAIL:], sep="\n")


@pytest.fixture
def horvane(wine, driver, program_dir, tmp_path, request):
    """horvane(config bytes, wait for the main window, directory, Wine trace channels, wrapper
    command): starts the program; whatever still runs at the end is closed, else killed."""
    started: list[RunningProgram] = []

    def start(config: bytes | None = None, wait: bool = True, directory: Path = program_dir,
              debug: str | None = None, wrapper: tuple[str, ...] = ()) -> RunningProgram:
        if config is not None:
            (directory / CONFIG_NAME).write_bytes(config)
        if wait:
            assert driver.facts("count", MAIN_TITLE)["count"] == "0", \
                "a main window is left over from an earlier test"
        output = tmp_path / f"program-{len(started)}.out"
        process = wine.spawn(directory / PROGRAM, output=output, debug=debug or WINE_ERRORS_ONLY, wrapper=wrapper)
        program = RunningProgram(process, directory, output)
        started.append(program)
        if wait:
            rc, _ = driver("wait", MAIN_TITLE, START_TIMEOUT)
            assert rc == 0, f"no window titled {MAIN_TITLE!r} within {START_TIMEOUT} s {driver.last_error!r}"
        return program

    yield start

    if getattr(request.node, "call_failed", False):
        print_failure_context(driver, started)
    for program in started:
        if program.running():
            driver("menu-keys", 0, "escape")
            # Posted, not sent: a program stuck in a modal loop must not hang the teardown.
            driver("post-close", MAIN_TITLE)
            if program.wait_exit() is None:
                program.process.kill()
                program.process.wait()
    driver("wait-gone", MAIN_TITLE, EXIT_TIMEOUT)


KEYS = ("[auto]=", "[diff]=", "[list]=", "[ring]=", "[rifn]=",
        "[bash]=", "[alsh]=", "[rpoh]=", "[shut]=", "[shcd]=")
# No date-time bar of the program's own: a test's companion window is the only one.
NO_BAR_CONFIG = b"[alsh]=0\r\n[bash]=0\r\n"


def settings_values(data: bytes) -> dict[str, str]:
    """The values of a written config.txt, checked to be ten keyed lines ending in CRLF."""
    text = data.decode("latin-1")
    assert text.endswith("\r\n"), repr(text[-20:])
    lines = text[:-2].split("\r\n")
    assert not any("\n" in line or "\r" in line for line in lines), repr(text)
    assert [line[:7] for line in lines] == list(KEYS), lines
    return {line[:7]: line[7:] for line in lines}


def close_and_wait(driver, program) -> None:
    driver.facts("close", MAIN_TITLE)
    assert program.wait_exit() == 0, "the program did not end normally after its close"


@pytest.fixture
def no_run_value(wine):
    """No Run value during the test nor after it, for a later boot to start."""
    wine.reg_delete(RUN_KEY, RUN_VALUE)
    yield
    wine.reg_delete(RUN_KEY, RUN_VALUE)


Received = namedtuple("Received", "code text")
Sent = namedtuple("Sent", "code result")  # result None: no main window was found to send to
RECORD = re.compile(r"^(?:code=(\d+) len=\d+ text=([0-9A-F]*)|sent code=(\d+) (?:result=(-?\d+)|found=0))$")


class Companion:
    def __init__(self, process: subprocess.Popen, log: Path):
        self.process, self.log = process, log

    def records(self) -> list:
        lines = self.log.read_text().splitlines() if self.log.exists() else []
        return [Received(int(m[1]), bytes.fromhex(m[2])) if m[1] else Sent(int(m[3]), m[4] and int(m[4]))
                for m in map(RECORD.match, lines) if m]

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
    """companion(title, *send_after): a context in which the driver plays a companion window;
    `send_after` holds (ms, code[, text]): copy-data it sends to the main window after that."""
    counter = iter(range(1000))

    @contextmanager
    def play(title: str, *send_after: tuple):
        log = tmp_path / f"companion-{next(counter)}-{title}.log"
        args = ["companion", title, windows_path(log)]
        for send in send_after:
            args += ["--send-after", *map(str, send)]
        output = log.with_suffix(".out")
        process = wine.spawn(driver.exe, *args, output=output, debug=WINE_ERRORS_ONLY)
        handle = Companion(process, log)
        try:
            assert poll(lambda: handle.ready() or process.poll() is not None,
                        COMPANION_READY_TIMEOUT) and handle.ready(), \
                f"companion {title!r} did not start: ended {process.poll()}, " \
                f"{output.read_text(errors='replace')[-2000:] if output.exists() else ''!r}"
            yield handle
        finally:
            if process.poll() is None:
                process.kill()
            process.wait()

    return play


class ReferenceServer:
    def __init__(self, *args: str):
        self.output: str | None = None
        self.process = subprocess.Popen([sys.executable, str(SNTP_SERVER_SCRIPT), *args], stdout=subprocess.PIPE,
                                        text=True)
        ready, _, _ = select.select([self.process.stdout], [], [], SNTP_SERVER_READY_TIMEOUT)
        first = self.process.stdout.readline() if ready else ""
        if not first.startswith("listening on"):
            self.stop()
            raise RuntimeError(f"reference server did not start: {first!r}")

    def stop(self) -> str:
        """Stops it (once) and returns everything it printed."""
        if self.output is None:
            self.process.terminate()
            self.output = self.process.communicate(timeout=10)[0] or ""
        return self.output


@pytest.fixture
def sntp_server():
    """sntp_server(*options): tools/sntp_reference_server.py on port 123, stopped at the end."""
    if os.geteuid() != 0:
        pytest.fail("the reference SNTP server needs root for port 123")
    servers: list[ReferenceServer] = []
    yield lambda *args: servers.append(ReferenceServer(*args)) or servers[-1]
    for server in servers:
        server.stop()


# What both installers register.
SERVICE_KEY = r"HKLM\System\CurrentControlSet\Services\HorvaneTime"
INSTALL_KEY = r"HKLM\Software\Horvane"
