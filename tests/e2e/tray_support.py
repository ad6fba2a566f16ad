"""What the tray tests need beyond the common fixtures: the popup menu read back from Wine's
traces, the Run registry value, and the notification area of the virtual desktop's taskbar.

Wine keeps a menu inside the process that owns it, so no other process can read the items
of the program's popup menu. Wine's "menu" trace channel prints every item as it is drawn
in the open menu window, with its type and state; reading those lines checks the menu on
screen without any help from the program.
"""

from __future__ import annotations

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
    # Wine writes the names of the type and state flags one after the other ("greycheck");
    # none but the highlight's holds "hi".
    flags = "".join(_FLAGS.findall(item[2])).replace(HIGHLIGHT, "")
    if flags.startswith("sep"):
        return SEPARATOR
    text = _TEXT.search(item[2])
    return re.sub(r"\\(.)", r"\1", text[1]) if text else "", int(item[1], 16), flags


def drawn_menus(trace: str) -> list[list[tuple[str, int, str]] | None]:
    """Every popup menu the trace shows being tracked, oldest first, as it was first drawn:
    (text, id, flags) per item, the flags being the type and state as Wine names them
    ("check", "grey", "greycheck", ...), a separator reading as SEPARATOR; None until drawn
    in full."""
    menus: list[list[tuple[str, int, str]] | None] = []
    thread, items = None, []
    for line in trace.split("\n")[:-1]:  # whole lines only: Wine may be writing the last
        if match := _TRACK.match(line):
            menus.append(None)
            thread, items = match[1], []
        elif thread is None or not line.startswith(thread + ":"):
            continue
        elif _DRAWING.match(line):
            if item := _ITEM.search(line):
                items.append(_entry(item))
        elif items:  # the next line of that thread after the first drawing
            menus[-1], thread = items, None
    return menus


# -- the Run key --------------------------------------------------------------------------

RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Horvane"
# In a .reg file (UTF-16) a string value reads "name"="data", with \\ and \" escaped.
_EXPORTED_STRING = re.compile(r'^"' + RUN_VALUE + r'"="((?:[^"\\]|\\.)*)"$', re.M)


def run_value(host: WineHost, scratch: Path) -> str | None:
    """The Run value's text, or None if absent. Exported to a file, not printed, so that no
    console code page stands between the value and the test."""
    export = scratch / "run-key.reg"
    host.run("reg", "export", RUN_KEY, windows_path(export), "/y").check_returncode()
    match = _EXPORTED_STRING.search(export.read_bytes().decode("utf-16").replace("\r\n", "\n"))
    return re.sub(r"\\(.)", r"\1", match[1]) if match else None


# -- the virtual desktop's notification area -----------------------------------------------

# Wine's taskbar runs along the bottom of the virtual desktop; its notification area fills
# the right end with one slot per icon, the first icon rightmost.
TASKBAR_HEIGHT = 20
ICON_SLOT = 20
ICON_SIZE = 16
_DESKTOP_WIDTH, _DESKTOP_HEIGHT = VIRTUAL_DESKTOP_SIZE
TASKBAR_TOP = _DESKTOP_HEIGHT - TASKBAR_HEIGHT


def icon_rect(index: int) -> tuple[int, int, int, int]:
    """The icon image in notification-area slot `index`: left, top, right, bottom."""
    border = (ICON_SLOT - ICON_SIZE) // 2
    left, top = _DESKTOP_WIDTH - ICON_SLOT * (index + 1) + border, TASKBAR_TOP + border
    return left, top, left + ICON_SIZE, top + ICON_SIZE
