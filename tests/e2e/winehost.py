"""A private Wine session: a virtual X display, one Wine prefix and the processes started in
them; `WineHost.stop` tears down only what `WineHost.start` created."""

import os
import platform
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path, PurePosixPath

SCREEN_GEOMETRY = "1024x768x24"
VIRTUAL_DESKTOP_NAME = "Horvane"
VIRTUAL_DESKTOP_SIZE = (800, 600)
EXPLORER_KEY = r"HKCU\Software\Wine\Explorer"
DESKTOPS_KEY = r"HKCU\Software\Wine\Explorer\Desktops"
POLL_INTERVAL = 0.05
# A new prefix is ready once a trivial program runs to its end and the prefix's processes
# (the wineserver, the services the boot started) have gone quiet for QUIET_PERIOD.
PREFIX_READY_TIMEOUT = 90.0
PROBE_TIMEOUT = 30.0
PROBE_PAUSE = 0.5
QUIET_PERIOD = 1.0
QUIET_TICKS = 2  # CPU ticks (1/100 s) the whole prefix may still use in a quiet period


def windows_path(path: Path | str) -> str:
    return "Z:" + str(PurePosixPath(path)).replace("/", "\\")


def _read_text(file) -> str:
    file.seek(0)
    return file.read().decode("utf-8", errors="replace")


def poll(condition, timeout: float, interval: float = POLL_INTERVAL):
    """Calls `condition` until it returns something true or `timeout` passes; the last result."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result or time.monotonic() >= deadline:
            return result
        time.sleep(interval)


class WineHost:
    def __init__(self, prefix: Path, fresh: bool = True):
        self.prefix = Path(prefix)
        self.fresh = fresh
        self.display: str | None = os.environ.get("DISPLAY") or None
        self._xvfb: subprocess.Popen | None = None
        # Without address randomisation. This Wine has no preloader to hold its fixed addresses,
        # and the kernel puts the loader's heap anywhere in the gigabyte above it: about one
        # process start in a few thousand then finds the shared user data's page taken and ends
        # with code 1 before it runs ("failed to map the shared user data: c0000018"). The
        # setting is inherited, so it also holds for what the programs start.
        self._wine = (*(("setarch", platform.machine(), "-R") if shutil.which("setarch") else ()),
                      shutil.which("wine") or "wine")
        self._wineserver = shutil.which("wineserver") or "wineserver"

    def start(self) -> None:
        if self.display is None:
            self._start_xvfb()
        if self.fresh and self.prefix.exists():
            self._kill_wineserver()
            shutil.rmtree(self.prefix)
        self.prefix.mkdir(parents=True, exist_ok=True)
        # Persistent: otherwise each gap between two test processes costs a server restart.
        subprocess.run([self._wineserver, "-p"], env=self.env, check=True)
        if not (self.prefix / "system.reg").exists() or self.fresh:
            subprocess.run([*self._wine, "wineboot", "-i"], env=self.env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # A first boot can leave two service control managers, each with its own list of
            # services; a restarted server starts just one.
            self._kill_wineserver()
            subprocess.run([self._wineserver, "-p"], env=self.env, check=True)
        self.wait_ready()
        # One virtual desktop for every program: like Windows it has a taskbar with a
        # notification area (a bare X display gets a slow tray window of Wine's own).
        width, height = VIRTUAL_DESKTOP_SIZE
        self.reg_add(DESKTOPS_KEY, VIRTUAL_DESKTOP_NAME, f"{width}x{height}")
        self.reg_add(EXPLORER_KEY, "Desktop", VIRTUAL_DESKTOP_NAME)

    def wait_ready(self, timeout: float = PREFIX_READY_TIMEOUT) -> None:
        """Waits until the prefix runs a program and is idle: in its first seconds a Wine
        process can end with code 1 before it runs, which is no fault of a program under test."""
        deadline = time.monotonic() + timeout
        attempts = 0
        while True:
            attempts += 1
            try:
                probe = self.run("cmd", "/c", "exit", "0", timeout=PROBE_TIMEOUT)
                if probe.returncode == 0:
                    break
                failure = f"ended with code {probe.returncode}: {(probe.stdout + probe.stderr)[-500:]!r}"
            except subprocess.TimeoutExpired:
                failure = f"did not end within {PROBE_TIMEOUT} s"
            if time.monotonic() >= deadline:
                raise RuntimeError(f"the Wine prefix {self.prefix} is not ready after {timeout} s: "
                                   f"a trivial program (cmd /c exit 0), started {attempts} times, {failure}")
            time.sleep(PROBE_PAUSE)
        if not poll(self._quiet, max(deadline - time.monotonic(), QUIET_PERIOD), interval=0):
            raise RuntimeError(f"the Wine prefix {self.prefix} runs programs but its processes did not go "
                               f"quiet for {QUIET_PERIOD} s within {timeout} s of the start")

    def _prefix_cpu_ticks(self) -> int:
        marker = f"WINEPREFIX={self.prefix}".encode() + b"\0"
        total = 0
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                if marker not in (entry / "environ").read_bytes():
                    continue
                # Fields after the command name in parentheses; utime and stime are 14 and 15.
                fields = (entry / "stat").read_text().rsplit(")", 1)[1].split()
                total += int(fields[11]) + int(fields[12])
            except (OSError, IndexError, ValueError):
                continue
        return total

    def _quiet(self) -> bool:
        before = self._prefix_cpu_ticks()
        time.sleep(QUIET_PERIOD)
        return self._prefix_cpu_ticks() - before <= QUIET_TICKS

    def stop(self) -> None:
        self._kill_wineserver()
        if self._xvfb is not None:
            self._xvfb.kill()
            self._xvfb.wait()
            self._xvfb = None

    def _start_xvfb(self) -> None:
        # -displayfd lets the server pick a free display number and tell us which.
        read_end, write_end = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN_GEOMETRY,
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self._xvfb.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = f":{number}"

    def _kill_wineserver(self) -> None:
        for option in ("-k", "-w"):
            subprocess.run([self._wineserver, option], env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @property
    def env(self) -> dict[str, str]:
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": str(self.prefix),
            "WINEDEBUG": "-all",
            # No Mono or Gecko install prompts in a fresh prefix.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        })
        if self.display is not None:
            env["DISPLAY"] = self.display
        return env

    def spawn(self, exe: Path, *args: str, output: Path | None = None,
              debug: str | None = None, wrapper: tuple[str, ...] = ()) -> subprocess.Popen:
        """Starts a program in the background; `debug` sets WINEDEBUG, `wrapper` is a command
        line that ends by running the one it is given (unshare ...)."""
        env = self.env if debug is None else dict(self.env, WINEDEBUG=debug)
        sink = open(output, "ab") if output is not None else subprocess.DEVNULL
        try:
            return subprocess.Popen([*wrapper, *self._wine, str(exe), *args], env=env,
                                    stdin=subprocess.DEVNULL, stdout=sink, stderr=sink)
        finally:
            if output is not None:
                sink.close()

    def run(self, exe: Path | str, *args: str, timeout: float = 30,
            debug: str | None = None) -> subprocess.CompletedProcess:
        # Files, not pipes: the desktop process the first program starts would inherit pipes
        # and keep them open long after the program has ended.
        env = self.env if debug is None else dict(self.env, WINEDEBUG=debug)
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            process = subprocess.run([*self._wine, str(exe), *args], env=env,
                                     timeout=timeout, stdin=subprocess.DEVNULL,
                                     stdout=out, stderr=err)
            return subprocess.CompletedProcess(process.args, process.returncode,
                                               _read_text(out), _read_text(err))

    def reg_add(self, key: str, name: str, value: str) -> None:
        self.run("reg", "add", key, "/v", name, "/d", value, "/f").check_returncode()

    def reg_delete(self, key: str, name: str) -> None:
        self.run("reg", "delete", key, "/v", name, "/f")

    def screenshot(self, path: Path) -> Path:
        path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-display", self.display, "-window", "root", str(path)],
                       check=True, timeout=30)
        return path


def _cut(picture: Path, left: int, top: int, right: int, bottom: int) -> list[str]:
    return ["convert", str(picture), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]


def crop(source: Path, target: Path, left: int, top: int, right: int, bottom: int,
         scale: int = 1) -> Path:
    """Cuts a rectangle out of a screenshot; `scale` enlarges it without smoothing."""
    target.parent.mkdir(parents=True, exist_ok=True)
    resize = ["-filter", "point", "-resize", f"{scale * 100}%"] if scale != 1 else []
    subprocess.run(_cut(source, left, top, right, bottom) + resize + ["-strip", str(target)], check=True, timeout=30)
    return target


def colours(picture: Path, rect: tuple[int, int, int, int]) -> set[tuple[int, int, int]]:
    """Every colour in a rectangle (left, top, right, bottom) of a screenshot."""
    histogram = subprocess.run(_cut(picture, *rect) + ["-format", "%c", "histogram:info:-"],
                               check=True, capture_output=True, text=True, timeout=30).stdout
    return {tuple(map(int, found)) for found in re.findall(r"\(\s*(\d+),\s*(\d+),\s*(\d+)", histogram)}
