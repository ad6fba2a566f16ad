"""The program's ids and copy-data codes by name, as its own headers define them."""

import re
from pathlib import Path

SRC = Path(__file__).resolve().parents[2] / "src"
RESOURCE_HEADERS = (SRC / "res" / "resource.h", SRC / "framework" / "DialogView.h")  # with kIdOk, kIdCancel
COMMAND_HEADER = SRC / "app" / "CommandIds.h"
PROTOCOL_HEADERS = (SRC / "protocol" / "CompanionProtocol.h",)
COMPANIONS_DIR = SRC.parent / "companions"

# "#define IDC_NAME 1001" and "constexpr int kName = 1;" or "= kOtherName;".
DEFINITION = re.compile(r"^(?:#define\s+(\w+)\s+\(?|\s*constexpr\s+[\w:]+\s+(k\w+)\s*=\s*)(-?\w+)", re.M)


class Ids(dict):
    def __init__(self, *headers: Path):
        super().__init__()
        for header in headers:
            for macro, constant, value in DEFINITION.findall(header.read_text()):
                if value.lstrip("-").isdigit() or value in self:
                    self[macro or constant] = int(value) if value.lstrip("-").isdigit() else self[value]


CONTROL = Ids(*RESOURCE_HEADERS)
COMMAND = Ids(COMMAND_HEADER)
CODE = Ids(*PROTOCOL_HEADERS)
# The dialog manager reads a control's id back as 16 bits: IDC_STATIC (-1) arrives as this.
STATIC_ID = CONTROL["IDC_STATIC"] & 0xFFFF


def companion_ids(name: str) -> Ids:
    """The dialog, control and menu ids of the companion in companions/`name`."""
    return Ids(COMPANIONS_DIR / name / "res" / "resource.h")
