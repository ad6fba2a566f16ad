#!/usr/bin/env python3
"""Idle footprint of Horvane under Wine, beside a Wine process that only runs a message loop.

For each program: start it in a private Wine prefix, let it settle, then measure over the
window (60 s by default) the CPU seconds its process used, the CPU seconds wineserver used
for it, and its wake-ups per second (voluntary context switches of all its threads). Horvane
ticks once a second, so one wake-up a second is its floor.

    python3 bench/footprint/run_footprint.py [--seconds 60]
"""
import argparse
import os
import pathlib
import shutil
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "bench"))
from wine_prefix import in_prefix, start_display, wait_for_pid, wine_env  # noqa: E402

BUILD = ROOT / "build" / "windows"
WORK = ROOT / "build" / "bench" / "footprint"
QUIET_CONFIG = b"[auto]=0\r\n[alsh]=0\r\n[bash]=0\r\n"
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def wakeups(pid):
    total = 0
    for task in pathlib.Path(f"/proc/{pid}/task").iterdir():
        for line in (task / "status").read_text().splitlines():
            if line.startswith("voluntary_ctxt_switches"):
                total += int(line.split()[1])
    return total


def wineserver_pid(prefix):
    """The wineserver of our prefix (Debian names it wineserver64)."""
    for entry in pathlib.Path("/proc").iterdir():
        try:
            if entry.name.isdigit() and (entry / "comm").read_text().startswith("wineserver") \
                    and in_prefix(entry, prefix):
                return int(entry.name)
        except OSError:
            continue
    return None


def measure(exe, seconds, env, args=(), label=None):
    program_dir = WORK / (label or exe.stem)
    shutil.rmtree(program_dir, ignore_errors=True)
    program_dir.mkdir(parents=True)
    shutil.copy(exe, program_dir)
    (program_dir / "config.txt").write_bytes(QUIET_CONFIG)
    proc = subprocess.Popen(["wine", str(program_dir / exe.name), *args], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        pid = wait_for_pid(exe.name, env["WINEPREFIX"])
        time.sleep(5)  # let start-up finish
        server = wineserver_pid(env["WINEPREFIX"])
        cpu0, wake0 = cpu_seconds(pid), wakeups(pid)
        server0 = cpu_seconds(server) if server else 0.0
        time.sleep(seconds)
        cpu1, wake1 = cpu_seconds(pid), wakeups(pid)
        server1 = cpu_seconds(server) if server else 0.0
        return {"cpu": cpu1 - cpu0, "server": server1 - server0, "wakeups": (wake1 - wake0) / seconds}
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
        proc.wait(timeout=30)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=60.0)
    args = parser.parse_args()
    horvane = BUILD / "program" / "Horvane.exe"
    idle = BUILD / "bench" / "footprint" / "IdleLoop.exe"
    for exe in (horvane, idle):
        if not exe.exists():
            sys.exit(f"missing {exe}: build the windows preset first")

    env = wine_env(WORK / "wineprefix")
    xvfb = start_display(env, ":78")
    try:
        if not (WORK / "wineprefix").exists():
            WORK.mkdir(parents=True, exist_ok=True)
            subprocess.run(["wineboot", "-i"], env=env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=env)
        ours = measure(horvane, args.seconds, env)
        peer = measure(idle, args.seconds, env)
        ticking = measure(idle, args.seconds, env, args=("tick",), label="IdleLoopTick")
    finally:
        if xvfb:
            xvfb.terminate()

    print(f"Idle footprint under Wine over {args.seconds:.0f} s")
    print(f"{'':26}{'Horvane.exe':>13}{'idle loop':>13}{'loop + 1 s timer':>18}{'Horvane - loop':>16}")
    rows = [("process CPU seconds", "cpu", "{:.3f}"), ("wineserver CPU seconds", "server", "{:.3f}"),
            ("wake-ups per second", "wakeups", "{:.2f}")]
    for label, key, fmt in rows:
        print(f"{label:26}{fmt.format(ours[key]):>13}{fmt.format(peer[key]):>13}"
              f"{fmt.format(ticking[key]):>18}{fmt.format(ours[key] - peer[key]):>16}")
    print("CPU share of one core: Horvane {:.3%}, idle loop {:.3%}, loop with timer {:.3%}".format(
        ours["cpu"] / args.seconds, peer["cpu"] / args.seconds, ticking["cpu"] / args.seconds))


if __name__ == "__main__":
    main()
