"""What the synchronisation tests share: settings naming the reference server on 127.0.0.1 and
the texts a companion receives of a run."""

import re

from program_ids import CODE
from winehost import poll

SERVER = "127.0.0.1"
# Automatic runs off: those who turn them off synchronise by hand, so the default server is
# chosen at start-up all the same.
CONFIG = (b"[auto]=0\r\n[diff]=3\r\n[alsh]=0\r\n[bash]=0\r\n"
          b"[list]=Local reference, Loopback, Here(" + SERVER.encode() + b")?0\r\n")

STAMP = r"\(\d\d:\d\d:\d\d \d\d-\d\d-\d{4}\):"
SENT_TEXT = re.compile(STAMP + r"\r\nSucced to Send Request Data to Time Server!\r\n")
RESULT_TEXT = re.compile(STAMP + r"\r\nNet delay:\d+\.\d{3} sec,localtime off:-?\d+\.\d{3} sec\.\r\n"
                         + STAMP + r"\r\nComplete to adjust time,adjust size:-?\d+\.\d{3}sec\.\r\n")
# Through the time service, whose burst on a path slower than a millisecond takes four samples.
SERVICE_BURST = 4
SERVICE_RESULT_TEXT = re.compile(STAMP + r"\r\nNet delay:\d+\.\d{3} sec,localtime off:-?\d+\.\d{3} sec"
                                 rf" \(best of {SERVICE_BURST}\)\.\r\n"
                                 + STAMP + r"\r\nComplete to adjust time,adjust size:-?\d+\.\d{3}sec\.\r\n")


def texts(companion, code: int) -> list[bytes]:
    """What a companion received with that code, in order."""
    return [r.text for r in companion.received if r.code == code]


RUN_WAIT = 15.0
CODE_SERVER, CODE_START, CODE_RESULT = CODE["kCodeServerAddress"], CODE["kCodeStartSync"], CODE["kCodeSyncResult"]


def sync_once(companion):
    """One run started by the "sync" companion; the texts it was sent for it."""
    with companion("sync", (300, CODE_START)) as sync:
        assert poll(lambda: CODE_RESULT in sync.received_codes, RUN_WAIT), sync.records()
    return sync
