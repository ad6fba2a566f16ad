"""SntpQuery.exe under Wine against the reference SNTP server on 127.0.0.1 port 123.

Under Wine the program reads the host's clock, the same clock the reference server
serves with its injected offset, so the offset the tool reports must be that offset.
"""

import os
import pathlib
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
SERVER_SCRIPT = REPO / "tools" / "sntp_reference_server.py"
SNTPQUERY = pathlib.Path(os.environ.get("HORVANE_WINDOWS_BUILD", REPO / "build" / "windows")) / \
    "tools" / "sntpquery" / "SntpQuery.exe"
SERVER = "127.0.0.1"
PATH_DELAY = 0.020
OFFSET_TOLERANCE = 0.001
REFUSAL_TIMEOUT = 2
SERVER_READY_SECONDS = 10

# Each broken reply the server can send, with the reason the tool must give for refusing it.
MALFORMED = {
    "short": "shorter than 48 bytes",
    "wrong-mode": "not in server mode",
    "bad-version": "version outside 1 to 4",
    "leap3": "leap indicator 3",
    "kod": "kiss-o'-death",
    "stratum16": "stratum outside 1 to 15",
    "zero-transmit": "transmit timestamp is zero",
    "root-distance": "root distance",
    "wrong-originate": "originate timestamp",
    "wrong-port": "not from the server's address and port 123",
}

pytestmark = [
    pytest.mark.skipif(not SNTPQUERY.exists(), reason="SntpQuery.exe not built (windows preset)"),
    pytest.mark.skipif(os.geteuid() != 0, reason="the reference server needs port 123"),
]


@pytest.fixture(scope="module")
def wine_env():
    """A private Wine prefix for this module's runs, with a wineserver that stays up."""
    prefix = tempfile.mkdtemp(prefix="horvane-sntpquery-wine-")
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
    env.pop("DISPLAY", None)  # a console program needs no display
    quiet = dict(env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineboot", "-i"], check=True, timeout=300, **quiet)
    subprocess.run(["wineserver", "-p"], **quiet)
    yield env
    subprocess.run(["wineserver", "-k"], **quiet)
    subprocess.run(["wineserver", "-w"], timeout=60, **quiet)
    shutil.rmtree(prefix, ignore_errors=True)


class ReferenceServer:
    def __init__(self, *args):
        self.output = None
        self.process = subprocess.Popen([sys.executable, str(SERVER_SCRIPT), *args],
                                        stdout=subprocess.PIPE, text=True)
        ready, _, _ = select.select([self.process.stdout], [], [], SERVER_READY_SECONDS)
        first = self.process.stdout.readline() if ready else ""
        if not first.startswith("listening on"):
            self.stop()
            raise RuntimeError("reference server did not start: %r" % first)

    def stop(self):
        """Stops it (once) and returns everything it printed."""
        if self.output is None:
            self.process.terminate()
            rest, _ = self.process.communicate(timeout=10)
            self.output = rest or ""
        return self.output


@pytest.fixture
def reference_server():
    servers = []

    def start(*args):
        servers.append(ReferenceServer(*args))
        return servers[-1]

    yield start
    for server in servers:
        server.stop()


def sntpquery(env, timeout):
    """Runs one query; returns (exit code, {key: value}, seconds taken)."""
    started = time.monotonic()
    run = subprocess.run(["wine", str(SNTPQUERY), SERVER, "--timeout", str(timeout)],
                         env=env, capture_output=True, text=True, timeout=timeout + 60)
    fields = dict(re.findall(r"^(\w+)=(.*?)\s*$", run.stdout.replace("\r", ""), re.MULTILINE))
    return run.returncode, fields, time.monotonic() - started


@pytest.mark.parametrize("offset", [2.5, -1.234, 0.0])
def test_reports_the_injected_offset(wine_env, reference_server, offset):
    reference_server("--offset", repr(offset), "--delay", repr(PATH_DELAY))
    code, fields, _ = sntpquery(wine_env, 5)
    assert code == 0, fields
    assert fields["server"] == SERVER
    assert abs(float(fields["offset"]) - offset) < OFFSET_TOLERANCE, fields
    assert abs(float(fields["delay"]) - PATH_DELAY) < 0.005, fields
    assert re.fullmatch(r"-?\d+\.\d{6}", fields["offset"]), "microseconds shown"


def test_server_hold_time_is_not_counted_as_delay(wine_env, reference_server):
    reference_server("--offset", "0.5", "--hold", "0.050", "--delay", repr(PATH_DELAY))
    code, fields, _ = sntpquery(wine_env, 5)
    assert code == 0, fields
    assert abs(float(fields["offset"]) - 0.5) < OFFSET_TOLERANCE, fields
    assert abs(float(fields["delay"]) - PATH_DELAY) < 0.005, fields


@pytest.mark.parametrize("mode", sorted(MALFORMED))
def test_malformed_reply_gives_no_time(wine_env, reference_server, mode):
    server = reference_server("--offset", "2.5", "--malformed", mode)
    code, fields, _ = sntpquery(wine_env, REFUSAL_TIMEOUT)
    assert code == 1, fields
    assert "offset" not in fields and "delay" not in fields, fields
    assert MALFORMED[mode] in fields.get("refused", ""), fields
    assert "malformed=%s" % mode in server.stop(), "the server did answer"


def test_silent_server_is_given_up(wine_env, reference_server):
    server = reference_server("--silent")
    code, fields, took = sntpquery(wine_env, REFUSAL_TIMEOUT)
    assert code == 1, fields
    assert "offset" not in fields and "refused" not in fields, fields
    assert fields["error"].startswith("no valid reply")
    assert took >= REFUSAL_TIMEOUT
    assert "-> silent" in server.stop()
