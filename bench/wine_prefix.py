"""What the Wine benches share: a private prefix's environment, a display when there is
none, and the Linux processes of that prefix, watched from outside through /proc."""
import os
import pathlib
import subprocess
import time


def wine_env(prefix):
    return dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")


def start_display(env, display):
    """An Xvfb on `display` (":78") put in env, or None when env already has a display:
    Wine's start-up of a fresh prefix wants one."""
    if env.get("DISPLAY"):
        return None
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "800x600x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env["DISPLAY"] = display
    time.sleep(1)
    return xvfb


def in_prefix(entry, prefix):
    return f"WINEPREFIX={prefix}".encode() in (entry / "environ").read_bytes().split(b"\0")


def linux_pid(exe_name, prefix):
    """The Linux process of a Windows program of the prefix (Wine puts its path in argv[0]),
    or None."""
    for entry in pathlib.Path("/proc").iterdir():
        try:
            if entry.name.isdigit() and in_prefix(entry, prefix):
                argv0 = (entry / "cmdline").read_bytes().split(b"\0")[0].decode(errors="replace")
                if argv0.lower().endswith(exe_name.lower()):
                    return int(entry.name)
        except OSError:
            continue
    return None


def wait_for_pid(exe_name, prefix, timeout=20.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        pid = linux_pid(exe_name, prefix)
        if pid is not None:
            return pid
        time.sleep(0.2)
    raise RuntimeError(f"{exe_name} did not start")
