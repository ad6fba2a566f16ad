"""What the synchronisation tests share: the program's settings pointing at the reference
server on 127.0.0.1, and the texts a companion receives of a run."""

from __future__ import annotations

import re

SERVER = "127.0.0.1"
# Automatic runs off: those who turn them off synchronise by hand, so the default server is
# chosen at start-up all the same.
CONFIG = (b"[auto]=0\r\n[diff]=3\r\n[alsh]=0\r\n[bash]=0\r\n"
          b"[list]=Local reference, Loopback, Here(" + SERVER.encode() + b")?0\r\n")

STAMP = r"\(\d\d:\d\d:\d\d \d\d-\d\d-\d{4}\):"
SENT_TEXT = re.compile(STAMP + r"\r\nSucced to Send Request Data to Time Server!\r\n")
RESULT_TEXT = re.compile(STAMP + r"\r\nNet delay:\d+\.\d{3} sec,localtime off:-?\d+\.\d{3} sec\.\r\n"
                         + STAMP + r"\r\nComplete to adjust time,adjust size:-?\d+\.\d{3}sec\.\r\n")
STOP_TEXT = re.compile(STAMP + r"Stop Sycn Process\.\r\n")


def texts(companion, code: int) -> list[bytes]:
    """What a companion received with that code, in order."""
    return [r.text for r in companion.received if r.code == code]
