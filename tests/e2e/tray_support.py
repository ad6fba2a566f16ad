"""What the tray tests need beyond the common fixtures: a program started with Wine's own
traces, the popup menu read back from those traces, the Run registry value, and the
notification area of the virtual desktop's taskbar in a screenshot.

Wine keeps a menu inside the process that owns it, so no other process can read the items
of the program's popup menu. Wine's "menu" trace channel prints every item as it is
appended and again as it is drawn in the open menu window; reading those lines checks the
menu without any help from the program.
"""

from __future__ import annotations

import re
from dataclasses import dataclass, field
from pathlib import Path

from conftest import RunningProgram
from winehost import VIRTUAL_DESKTOP_SIZE, WineHost, windows_path

TRACE_CHANNELS = "+menu"

# Item flags as AppendMenu hands them on to InsertMenu; any other (greyed, disabled, owner
# drawn, ...) is unusual in this menu.
MF_CHECKED = 0x8
MF_SEPARATOR = 0x800
MF_BYPOSITION = 0x400
PLAIN_ITEM_FLAGS = MF_BYPOSITION | MF_CHECKED | MF_SEPARATOR

SEPARATOR = ("-", 0, False)

_HEX = r"[0-9A-Fa-f]+"
_TRACK = re.compile(rf"^({_HEX}):trace:menu:NtUserTrackPopupMenuEx hmenu (0x{_HEX}) "
                    rf"flags {_HEX} \([^)]*\) hwnd (0x{_HEX})")
_CREATE = re.compile(rf"^({_HEX}):trace:menu:create_menu return (0x{_HEX})\s*$")
_INSERT = re.compile(rf"^({_HEX}):trace:menu:InsertMenuW hMenu ({_HEX}), pos -?\d+, "
                     rf"flags ({_HEX}), id ({_HEX}), str (?:L\"((?:[^\"\\]|\\.)*)\"|.*)$")
_DRAW_MENU = re.compile(rf"^({_HEX}):trace:menu:draw_popup_menu wnd=0x{_HEX} dc=\S+ "
                        rf"menu=(0x{_HEX})\s*$")
_DRAW_ITEM = re.compile(rf"^({_HEX}):trace:menu:draw_menu_item \{{ ID=0x({_HEX}),(.*)\}}\s*$")
_DRAWN_TEXT = re.compile(r'Text=L"((?:[^"\\]|\\.)*)"')


def _unescape(text: str) -> str:
    return re.sub(r"\\(.)", r"\1", text)


@dataclass(frozen=True)
class MenuItem:
    id: int
    text: str | None
    flags: int

    @property
    def entry(self) -> tuple[str, int, bool]:
        """(text, id, checked); a separator reads as SEPARATOR."""
        if self.flags & MF_SEPARATOR:
            return SEPARATOR
        return (self.text or "", self.id, bool(self.flags & MF_CHECKED))


@dataclass
class TrackedMenu:
    """A popup menu that was tracked: its items as appended, and as drawn on screen."""
    thread: str
    handle: int
    owner: int
    items: list[MenuItem]
    drawn: list[tuple[int, str | None]] = field(default_factory=list)

    @property
    def entries(self) -> list[tuple[str, int, bool]]:
        return [item.entry for item in self.items]

    @property
    def unusual_items(self) -> list[MenuItem]:
        """Items that are not plain text or separators, or are greyed or disabled."""
        return [item for item in self.items if item.flags & ~PLAIN_ITEM_FLAGS]

    @property
    def fully_drawn(self) -> bool:
        return len(self.drawn) == len(self.items)


def tracked_menus(trace: str) -> list[TrackedMenu]:
    """Every popup menu the trace shows being tracked, oldest first."""
    building: dict[tuple[str, int], list[MenuItem]] = {}
    tracked: list[TrackedMenu] = []
    drawing: TrackedMenu | None = None
    for line in trace.splitlines():
        if match := _CREATE.match(line):
            building[(match[1], int(match[2], 16))] = []
        elif match := _INSERT.match(line):
            text = _unescape(match[5]) if match[5] is not None else None
            item = MenuItem(int(match[4], 16), text, int(match[3], 16))
            building.setdefault((match[1], int(match[2], 16)), []).append(item)
        elif match := _TRACK.match(line):
            handle = int(match[2], 16)
            items = list(building.get((match[1], handle), []))
            tracked.append(TrackedMenu(match[1], handle, int(match[3], 16), items))
        elif match := _DRAW_MENU.match(line):
            # The first drawing after tracking began shows the menu as it opened.
            menu = tracked[-1] if tracked else None
            is_first = menu is not None and not menu.drawn
            same = menu is not None and (match[1], int(match[2], 16)) == (menu.thread, menu.handle)
            drawing = menu if is_first and same else None
        elif drawing is not None and (match := _DRAW_ITEM.match(line)):
            if match[1] == drawing.thread:
                text = _DRAWN_TEXT.search(match[3])
                drawing.drawn.append((int(match[2], 16), _unescape(text[1]) if text else None))
                if drawing.fully_drawn:
                    drawing = None
    return tracked


def menus_of(program: RunningProgram) -> list[TrackedMenu]:
    """The menus the program tracked so far, read from Wine's trace in its output."""
    return tracked_menus(program.output_text())


def opened_menu(program: RunningProgram, index: int) -> TrackedMenu | None:
    """The menu tracked `index`-th (from 0), once Wine has drawn all its items."""
    menus = menus_of(program)
    return menus[index] if len(menus) > index and menus[index].fully_drawn else None


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
