"""The popup menu read back from Wine's traces (no other process can read a menu's items, but
Wine's "menu" channel prints each as it is drawn, with its type and state), the Run value, and
the notification area of the virtual desktop's taskbar."""

import re
from pathlib import Path

from winehost import VIRTUAL_DESKTOP_SIZE, WineHost, windows_path

TRACE_CHANNELS = "+menu"
SEPARATOR = ("-", 0, "")
# The one state that follows the mouse, not the menu.
HIGHLIGHT = "hi"

_TRACK = re.compile(r"^([0-9a-f]+):trace:menu:NtUserTrackPopupMenuEx ", re.I)
_DRAWING = re.compile(r"^[0-9a-f]+:trace:menu:draw_(?:popup_menu|menu_item) ", re.I)
_ITEM = re.compile(r"\{ ID=0x([0-9a-f]+)(.*)\}\s*$", re.I)
_FLAGS = re.compile(r"(?:fType|State)=([^,\s]+)")
_TEXT = re.compile(r'Text=L"((?:[^"\\]|\\.)*)"')


def _entry(item: re.Match) -> tuple[str, int, str]:
    # Wine writes the flags' names one after the other ("greycheck"); only the highlight's has "hi".
    flags = "".join(_FLAGS.findall(item[2])).replace(HIGHLIGHT, "")
    if flags.startswith("sep"):
        return SEPARATOR
    text = _TEXT.search(item[2])
    return re.sub(r"\\(.)", r"\1", text[1]) if text else "", int(item[1], 16), flags


def drawn_menu(trace: str) -> list[tuple[str, int, str]] | None:
    """The first popup menu tracked, as first drawn: (text, id, flags as Wine names them) per
    item, a separator as SEPARATOR; None until drawn in full."""
    thread, items = None, []
    for line in trace.split("\n")[:-1]:  # whole lines only: Wine may be writing the last
        if thread is None:
            thread = match[1] if (match := _TRACK.match(line)) else None
        elif not line.startswith(thread + ":"):
            continue
        elif _DRAWING.match(line):
            if item := _ITEM.search(line):
                items.append(_entry(item))
        elif items:  # the next line of that thread after the first drawing
            return items
    return None



RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Horvane"
# In a .reg file (UTF-16) a string value reads "name"="data", with \\ and \" escaped.
_EXPORTED_STRING = re.compile(r'^"' + RUN_VALUE + r'"="((?:[^"\\]|\\.)*)"$', re.M)


def run_value(host: WineHost, scratch: Path) -> str | None:
    """The Run value's text, or None; exported to a file, so that no console code page interferes."""
    export = scratch / "run-key.reg"
    host.run("reg", "export", RUN_KEY, windows_path(export), "/y").check_returncode()
    match = _EXPORTED_STRING.search(export.read_bytes().decode("utf-16").replace("\r\n", "\n"))
    return re.sub(r"\\(.)", r"\1", match[1]) if match else None



# Wine's taskbar runs along the desktop's bottom; its notification area has one slot per icon
# from the right end.
TASKBAR_HEIGHT = 20
ICON_SLOT = 20
ICON_SIZE = 16
_DESKTOP_WIDTH, _DESKTOP_HEIGHT = VIRTUAL_DESKTOP_SIZE
TASKBAR_TOP = _DESKTOP_HEIGHT - TASKBAR_HEIGHT


def icon_rect(index: int) -> tuple[int, int, int, int]:
    border = (ICON_SLOT - ICON_SIZE) // 2
    left, top = _DESKTOP_WIDTH - ICON_SLOT * (index + 1) + border, TASKBAR_TOP + border
    return left, top, left + ICON_SIZE, top + ICON_SIZE
