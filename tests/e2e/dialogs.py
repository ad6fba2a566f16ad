"""Reading and working the program's dialogs from outside, through the driver."""

from collections import namedtuple

from conftest import MAIN_TITLE, SCREENSHOT_DIR
from program_ids import COMMAND, STATIC_ID
from winehost import crop, poll

WM_COMMAND = 0x0111
# The commands of the tray menu.
CMD_SYNCHRONIZE, CMD_PREFERENCES, CMD_TIMEZONE, CMD_WORLD_CLOCK, CMD_CALENDAR = (COMMAND[name] for name in (
    "kCmdSynchronizeTime", "kCmdPreferences", "kCmdChangeTimeZone", "kCmdWorldClock", "kCmdCalendar"))
CMD_HELP, CMD_SHUTDOWN, CMD_VIEW_LOG, CMD_RUN_AT_STARTUP, CMD_EXIT = (COMMAND[name] for name in (
    "kCmdHelp", "kCmdShutDown", "kCmdViewLog", "kCmdRunAtStartup", "kCmdExit"))
CMD_DATETIME_BAR, CMD_BELL, CMD_ABOUT = COMMAND["kCmdDateTimeBar"], COMMAND["kCmdBell"], COMMAND["kCmdAbout"]
DIALOG_OPEN_TIMEOUT = 10.0


Control = namedtuple("Control", "enabled checked focused rect text")


def controls(driver, title: str) -> dict[int, Control]:
    """The dialog's controls by id, the unnamed labels left out."""
    rc, out = driver("controls", title)
    assert rc == 0, f"no window {title!r}: {out!r} {driver.last_error!r}"
    found = {}
    for line in out.splitlines():
        if line.startswith("control "):
            f = dict(word.split("=", 1) for word in line.split()[1:])
            found[int(f["id"])] = Control(f["enabled"] == "1", int(f["checked"]), f["focused"] == "1",
                                          rect_of(f["rect"]), bytes.fromhex(f["texthex"]).decode("utf-8"))
    found.pop(STATIC_ID, None)
    found.pop(-1, None)
    return found


def window(driver, title: str) -> dict[str, str]:
    return driver.facts("window", title)


def post_command(driver, command_id: int, title: str = MAIN_TITLE) -> None:
    """Posts a menu command, as the tray menu does; a modal dialog it opens does not block."""
    driver.facts("post", title, WM_COMMAND, command_id, 0)


def wait_open(driver, title: str, timeout: float = DIALOG_OPEN_TIMEOUT, shown: bool = True) -> None:
    """Waits for the window and, unless `shown` is false, until it is shown: a dialog has its title
    before it is placed and shown, and a click aimed at it meanwhile lands elsewhere."""
    assert driver("wait", title, timeout)[0] == 0, f"no window {title!r} within {timeout} s"
    assert not shown or poll(lambda: window(driver, title)["visible"] == "1", timeout), \
        f"window {title!r} not shown within {timeout} s"


def wait_closed(driver, title: str) -> None:
    assert driver("wait-gone", title, DIALOG_OPEN_TIMEOUT)[0] == 0, f"window {title!r} still open"


def list_rows(driver, title: str, control_id: int) -> list[dict]:
    """The rows of a list view: cells (texts), image index and whether it is selected."""
    rc, out = driver("listview", title, control_id)
    assert rc == 0, out
    rows = [dict(word.split("=", 1) for word in line.split()) for line in out.splitlines() if line.startswith("row=")]
    return [{"cells": [bytes.fromhex(c).decode("utf-8") for c in f["cells"].split(",")] if f["cells"] else [],
             "image": int(f["image"]), "selected": f["selected"] == "1"} for f in rows]


def rect_of(text: str) -> tuple[int, int, int, int]:
    """A rectangle the driver prints as "left,top,right,bottom"."""
    return tuple(map(int, text.split(",")))


def assert_on_screen(driver, title: str) -> None:
    """The whole window lies in the work area."""
    facts = window(driver, title)
    left, top, right, bottom = rect_of(facts["rect"])
    w_left, w_top, w_right, w_bottom = rect_of(facts["workarea"])
    assert w_left <= left and right <= w_right and w_top <= top and bottom <= w_bottom, facts


def window_picture(wine, driver, title: str, name: str, margin: int = 0, scale: int = 1):
    """A screenshot cut to the window and `margin` pixels around it, saved as `name`."""
    left, top, right, bottom = rect_of(window(driver, title)["rect"])
    shot = wine.screenshot(SCREENSHOT_DIR / "screen.png")
    return crop(shot, SCREENSHOT_DIR / name, left - margin, top - margin, right + margin, bottom + margin, scale)
