#!/usr/bin/env python3
"""Load on the time service's pipe under Wine: twenty callers at once for five minutes.

Installs HorvaneTime.exe in a private Wine prefix, approves the reference SNTP server on
127.0.0.1, and runs PipeLoad.exe, whose callers connect, send valid, malformed, partial and
over-long messages, hang up before the reply and say nothing, each in a loop. Meanwhile it
samples the service process from outside: its resident memory (VmRSS in /proc of the Wine
process) every ten seconds, and its handle count (GetProcessHandleCount, asked by
PipeLoad.exe). Afterwards: whether a genuine request is answered and whether the service
still runs in the same process. Port 123 needs root, so run it in a network namespace:

    cmake --preset windows && cmake --build --preset windows
    unshare -n sh -c 'ip link set lo up; exec python3 bench/pipeload/run_pipeload.py'
"""
import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "bench"))
from wine_prefix import linux_pid, start_display, wine_env  # noqa: E402

BUILD = ROOT / "build" / "windows"
WORK = ROOT / "build" / "bench" / "pipeload"
PIPE = r"\\.\pipe\ProtectedPrefix\LocalService\HorvaneTime"
SAMPLE_SECONDS = 10


def built(name):
    """The built executable of that name anywhere under the build directory."""
    found = sorted(p for p in BUILD.rglob(name) if "CMakeFiles" not in p.parts)
    return found[0] if found else BUILD / name


def rss_kib(pid):
    for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return 0


def run(env, *args, timeout=240):
    # Output through a file, not a pipe: a process Wine starts on the way (the desktop, the
    # service) inherits a pipe and keeps it open long after the program has ended.
    with tempfile.TemporaryFile() as out:
        subprocess.run(["wine", *map(str, args)], env=env, timeout=timeout, stdin=subprocess.DEVNULL,
                       stdout=out, stderr=subprocess.DEVNULL)
        out.seek(0)
        return subprocess.CompletedProcess(args, 0, out.read().decode(errors="replace"), "")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--clients", type=int, default=20)
    parser.add_argument("--seconds", type=int, default=300)
    args = parser.parse_args()
    service_exe = built("HorvaneTime.exe")
    load_exe = built("PipeLoad.exe")
    for exe in (service_exe, load_exe):
        if not exe.exists():
            sys.exit(f"missing {exe}: build the windows preset first")
    env = wine_env(WORK / "wineprefix")
    xvfb = start_display(env, ":79")
    program = WORK / "program"
    shutil.rmtree(program, ignore_errors=True)
    program.mkdir(parents=True)
    shutil.copy(service_exe, program)
    if not (WORK / "wineprefix").exists():
        subprocess.run(["wineboot", "-i"], env=env, check=True, capture_output=True)
    # A new prefix's first boot can leave two service control managers running: a restarted
    # server starts one. The service lives only while the wineserver does: keep it.
    subprocess.run(["wineserver", "-k"], env=env)
    subprocess.run(["wineserver", "-p"], env=env)
    sntp = subprocess.Popen([sys.executable, str(ROOT / "tools" / "sntp_reference_server.py"), "--delay", "0.010"],
                            stdout=subprocess.DEVNULL)
    try:
        print(run(env, program / "HorvaneTime.exe", "install").stdout.strip())
        print(run(env, program / "HorvaneTime.exe", "approve", "127.0.0.1").stdout.strip())
        status = run(env, program / "HorvaneTime.exe", "status").stdout
        windows_pid = re.search(r"running \(process (\d+)\)", status).group(1)
        pid = linux_pid("HorvaneTime.exe", env["WINEPREFIX"])
        samples = []
        done = threading.Event()

        def sample():
            started = time.monotonic()
            while not done.is_set():
                samples.append((round(time.monotonic() - started), rss_kib(pid), len(os.listdir(f"/proc/{pid}/fd"))))
                done.wait(SAMPLE_SECONDS)

        sampler = threading.Thread(target=sample)
        sampler.start()
        load = run(env, load_exe, PIPE, args.clients, args.seconds, windows_pid, timeout=args.seconds + 120)
        done.set()
        sampler.join()
        after = run(env, program / "HorvaneTime.exe", "status").stdout
        print(load.stdout.strip())
        # Wine keeps a Windows handle in the wineserver; what reaches the process as a file
        # descriptor (pipes, events, sockets in use) is the part of it visible from outside.
        print("service's Wine process every %d s: VmRSS KiB / open file descriptors:" % SAMPLE_SECONDS)
        print(" ".join(f"t={t}:{kib}/{fds}" for t, kib, fds in samples))
        same = f"running (process {windows_pid})" in after and linux_pid("HorvaneTime.exe", env["WINEPREFIX"]) == pid
        print("service still running in the same process:", same)
        print(after.strip())
    finally:
        sntp.terminate()
        run(env, program / "HorvaneTime.exe", "uninstall")
        subprocess.run(["wineserver", "-k"], env=env)
        if xvfb:
            xvfb.terminate()


if __name__ == "__main__":
    main()
