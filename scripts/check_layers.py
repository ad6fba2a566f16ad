#!/usr/bin/env python3
"""Checks that each folder of src/ includes only the layers below it, and that nothing
outside the Win32 backend includes a Windows header. Writes a JUnit report when given a
path; exits non-zero on the first broken rule it finds."""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

ROOT = pathlib.Path(__file__).resolve().parents[1]
SRC = ROOT / "src"
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]', re.M)
WINDOWS_HEADERS = re.compile(r"^(windows|winsock2?|shellapi|commctrl|commdlg|mmsystem|bcrypt|objbase)\.h$", re.I)

# Each folder and the folders it may include; a folder may always include itself.
ALLOWED = {
    "framework": {"framework"},
    "framework/win32": {"framework", "res"},
    "framework/fake": {"framework", "res"},
    "res": set(),
    "log": {"framework"},
    "shutdown": {"framework"},
    "sync": {"framework"},
    "prefs": {"framework"},
    "settings": {"framework", "shutdown"},
    "controls": {"framework", "res"},
    # The time service's platform-free side: its protocol, approvals, limits and its run
    # against a server with the program's own SNTP client.
    "timeservice": {"framework", "sync"},
    # Its Win32 side: the service host, the pipe, the event log, the subcommands, and the
    # tray program's end of the pipe.
    "timeservice/win32": {"framework", "framework/win32", "sync", "settings", "timeservice"},
    "dialogs": {"framework", "res", "controls", "settings", "shutdown", "sync", "log", "prefs"},
    "app": {"framework", "res", "controls", "dialogs", "settings", "shutdown", "sync", "log", "prefs",
            "timeservice"},
    # The entry points wire the Win32 backends to the programs: the one place that sees both.
    "main": {"app", "framework", "framework/win32", "timeservice", "timeservice/win32"},
}


def layer_of(relative: str) -> str:
    """The most specific layer a path under src/ belongs to."""
    matches = [layer for layer in ALLOWED if relative == layer or relative.startswith(layer + "/")]
    return max(matches, key=len) if matches else relative.split("/")[0]


def problems():
    for path in sorted(SRC.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        source = path.relative_to(SRC).as_posix()
        layer = layer_of(source)
        for included in INCLUDE.findall(path.read_text(errors="replace")):
            if WINDOWS_HEADERS.match(included) and layer not in ("framework/win32", "timeservice/win32", "main"):
                yield f"{source} includes the Windows header {included}"
            target = layer_of(included)
            if "/" in included and (SRC / included).exists() and target != layer and target not in ALLOWED.get(layer, set()):
                yield f"{source} ({layer}) includes {included} ({target})"


def main() -> int:
    found = list(problems())
    for problem in found:
        print("layers:", problem)
    if len(sys.argv) > 1:
        suite = ET.Element("testsuite", name="layers")
        case = ET.SubElement(suite, "testcase", name="each folder includes only the layers below it")
        if found:
            ET.SubElement(case, "failure", message="\n".join(found))
        ET.ElementTree(suite).write(sys.argv[1])
    print("layers:", "ok" if not found else f"{len(found)} broken")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
