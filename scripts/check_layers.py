#!/usr/bin/env python3
"""Checks that each folder of src/ and companions/ includes only the layers below it, and
that nothing outside the Win32 backends and the entry points includes a Windows header.
Writes a JUnit report when given a path; exits non-zero on the first broken rule it finds."""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

ROOT = pathlib.Path(__file__).resolve().parents[1]
SRC = ROOT / "src"
COMPANIONS = ROOT / "companions"
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
    # What Horvane and its companions agree on: copy-data codes, window titles, how each
    # companion is started, and the date-time bar's values.
    "protocol": {"framework"},
    "dialogs": {"framework", "res", "controls", "settings", "shutdown", "sync", "log", "prefs", "protocol"},
    "app": {"framework", "res", "controls", "dialogs", "settings", "shutdown", "sync", "log", "prefs",
            "timeservice", "protocol"},
    # The entry points wire the Win32 backends to the programs: the one place that sees both.
    "main": {"app", "framework", "framework/win32", "timeservice", "timeservice/win32"},
    # The companions, each its own program on the same framework. Of Horvane itself they
    # know only the protocol.
    "companions/common": {"framework", "protocol"},
    "companions/Quorel": {"framework", "protocol", "companions/common"},
    "companions/Vistrel": {"framework", "protocol", "companions/common"},
    "companions/Globrin": {"framework", "protocol", "companions/common"},
    # Their Win32 parts and entry points: each companion's one place that sees the backend.
    "companions/common/win32": {"framework", "framework/win32", "protocol", "companions/common"},
    "companions/Quorel/win32": {"framework", "framework/win32", "protocol", "companions/common",
                                "companions/common/win32", "companions/Quorel"},
    "companions/Vistrel/win32": {"framework", "framework/win32", "protocol", "companions/common",
                                 "companions/common/win32", "companions/Vistrel"},
    "companions/Globrin/win32": {"framework", "framework/win32", "protocol", "companions/common",
                                 "companions/common/win32", "companions/Globrin"},
}
# Folders whose files may include Windows headers.
WINDOWS_LAYERS = {"framework/win32", "timeservice/win32", "main", "companions/common/win32", "companions/Quorel/win32",
                  "companions/Vistrel/win32", "companions/Globrin/win32"}


def layer_of(relative: str) -> str:
    """The most specific layer a path (under src/, or companions/... for a companion's) is in."""
    matches = [layer for layer in ALLOWED if relative == layer or relative.startswith(layer + "/")]
    return max(matches, key=len) if matches else relative.split("/")[0]


def resolve(included: str) -> str | None:
    """The layer path of an included project file (src/ and companions/ are both include
    roots), or None for a system or library header."""
    if (SRC / included).exists():
        return included
    if (COMPANIONS / included).exists():
        return "companions/" + included
    return None


def allowed(layer: str, target_path: str) -> bool:
    rules = ALLOWED.get(layer, set())
    target = layer_of(target_path)
    return target == layer or target in rules


def sources():
    for root, prefix in ((SRC, ""), (COMPANIONS, "companions/")):
        for path in sorted(root.rglob("*")):
            if path.suffix in (".h", ".cpp"):
                yield path, prefix + path.relative_to(root).as_posix()


def problems():
    for path, source in sources():
        layer = layer_of(source)
        for included in INCLUDE.findall(path.read_text(errors="replace")):
            if WINDOWS_HEADERS.match(included) and layer not in WINDOWS_LAYERS:
                yield f"{source} includes the Windows header {included}"
            target_path = resolve(included) if "/" in included else None
            if target_path is not None and not allowed(layer, target_path):
                yield f"{source} ({layer}) includes {included} ({layer_of(target_path)})"


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
