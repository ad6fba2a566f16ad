"""Reading and working the program's dialogs from outside, through the driver."""

from __future__ import annotations

from dataclasses import dataclass

from conftest import MAIN_TITLE, SCREENSHOT_DIR
from program_ids import COMMAND, STATIC_ID
from winehost import crop

WM_COMMAND = 0x0111
# The commands of the tray menu.
CMD_SYNCHRONIZE, CMD_PREFERENCES, CMD_TIMEZONE, CMD_WORLD_CLOCK, CMD_CALENDAR = (COMMAND[name] for name in (
    "kCmdSynchronizeTime", "kCmdPreferences", "kCmdChangeTimeZone", "kCmdWorldClock", "kCmdCalendar"))
CMD_HELP, CMD_SHUTDOWN, CMD_VIEW_LOG, CMD_RUN_AT_STARTUP, CMD_EXIT = (COMMAND[name] for name in (
    "kCmdHelp", "kCmdShutDown", "kCmdViewLog", "kCmdRunAtStartup", "kCmdExit"))
CMD_DATETIME_BAR, CMD_BELL, CMD_ABOUT = COMMAND["kCmdDateTimeBar"], COMMAND["kCmdBell"], COMMAND["kCmdAbout"]
DIALOG_OPEN_TIMEOUT = 10.0


@dataclass
class Control:
    id: int
    cls: str
    enabled: bool
    visible: bool
    checked: int
    focused: bool
    rect: tuple[int, int, int, int]
    text: str


def _fields(line: str) -> dict[str, str]:
    return dict(word.split("=", 1) for word in line.split()[1:])


def controls(driver, title: str) -> dict[int, Control]:
    """The dialog's named controls by id (the unnamed labels are left out)."""
    rc, out = driver("controls", title)
    assert rc == 0, f"no window {title!r}: {out!r} {driver.last_error!r}"
    found = {}
    for line in out.splitlines():
        if not line.startswith("control "):
            continue
        f = _fields(line)
        control = Control(int(f["id"]), f["class"], f["enabled"] == "1", f["visible"] == "1",
                          int(f["checked"]), f["focused"] == "1",
                          tuple(int(v) for v in f["rect"].split(",")),
                          bytes.fromhex(f["texthex"]).decode("utf-8"))
        if control.id not in (STATIC_ID, -1):
            found[control.id] = control
    return found


def window(driver, title: str) -> dict[str, str]:
    return driver.facts("window", title)


def post_command(driver, command_id: int, title: str = MAIN_TITLE) -> None:
    """Posts a menu command, as the tray menu does; a modal dialog it opens does not block."""
    driver.facts("post", title, WM_COMMAND, command_id, 0)


def wait_open(driver, title: str, timeout: float = DIALOG_OPEN_TIMEOUT) -> None:
    rc, out = driver("wait", title, timeout)
    assert rc == 0, f"no window {title!r} within {timeout} s: {out!r}"


def wait_closed(driver, title: str, timeout: float = DIALOG_OPEN_TIMEOUT) -> None:
    rc, out = driver("wait-gone", title, timeout)
    assert rc == 0, f"window {title!r} still open after {timeout} s"


def list_rows(driver, title: str, control_id: int) -> list[dict]:
    """The rows of a list view: cells (texts), image index and whether it is selected."""
    rc, out = driver("listview", title, control_id)
    assert rc == 0, out
    rows = []
    for line in out.splitlines():
        if not line.startswith("row="):
            continue
        f = dict(word.split("=", 1) for word in line.split())
        cells = [bytes.fromhex(c).decode("utf-8") for c in f["cells"].split(",")] if f["cells"] else []
        rows.append({"cells": cells, "image": int(f["image"]), "selected": f["selected"] == "1"})
    return rows


def rect_of(text: str) -> tuple[int, int, int, int]:
    """A rectangle the driver prints as "left,top,right,bottom"."""
    left, top, right, bottom = map(int, text.split(","))
    return left, top, right, bottom


def window_rect(driver, title: str) -> tuple[int, int, int, int]:
    return rect_of(window(driver, title)["rect"])


def assert_on_screen(driver, title: str) -> None:
    """The whole window lies in the work area."""
    facts = window(driver, title)
    left, top, right, bottom = rect_of(facts["rect"])
    w_left, w_top, w_right, w_bottom = rect_of(facts["workarea"])
    assert w_left <= left and right <= w_right and w_top <= top and bottom <= w_bottom, facts


def window_picture(wine, driver, title: str, name: str, margin: int = 0, scale: int = 1):
    """A screenshot cut to the window (and `margin` pixels around it), saved as `name` under
    the screenshot directory."""
    left, top, right, bottom = window_rect(driver, title)
    shot = wine.screenshot(SCREENSHOT_DIR / "screen.png")
    return crop(shot, SCREENSHOT_DIR / name, left - margin, top - margin, right + margin, bottom + margin, scale)
