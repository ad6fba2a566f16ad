#!/usr/bin/env python3
"""Synthesises Horvane's default chime, bell.wav: two struck bell tones, a fourth apart,
each a handful of inharmonic partials dying away at their own rates, as a small bell's do.
Standard library only; the same file every time (no randomness).

Usage: make_bell.py OUTPUT.wav
"""
import math
import struct
import sys
import wave

RATE = 22050            # samples a second: plenty for a chime, half the size of CD rate
LENGTH = 1.6            # seconds
PEAK = 0.7              # of full scale, leaving headroom
ATTACK = 0.004          # seconds: a struck bell starts at once, but not with a click
# (ratio to the strike's pitch, loudness, decay rate per second) of a small bell's partials.
PARTIALS = [(0.5, 0.35, 2.2), (1.0, 1.0, 3.0), (1.19, 0.45, 4.0), (1.5, 0.30, 5.5),
            (2.0, 0.40, 6.5), (2.74, 0.22, 9.0), (3.76, 0.12, 12.0)]
# (start in seconds, pitch in Hz, loudness) of each strike: E6, then B5.
STRIKES = [(0.0, 1318.5, 1.0), (0.28, 987.8, 0.8)]


def sample(t: float) -> float:
    value = 0.0
    for start, pitch, loudness in STRIKES:
        since = t - start
        if since < 0:
            continue
        onset = min(1.0, since / ATTACK)
        for ratio, gain, decay in PARTIALS:
            value += loudness * onset * gain * math.exp(-decay * since) * math.sin(2 * math.pi * pitch * ratio * since)
    return value


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    raw = [sample(i / RATE) for i in range(int(LENGTH * RATE))]
    # The last 50 ms fade to silence, so playback never ends on a click.
    fade = int(0.05 * RATE)
    for i in range(fade):
        raw[-1 - i] *= i / fade
    scale = PEAK * 32767 / max(abs(v) for v in raw)
    frames = b"".join(struct.pack("<h", round(v * scale)) for v in raw)
    with wave.open(sys.argv[1], "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)
    return 0


if __name__ == "__main__":
    sys.exit(main())
