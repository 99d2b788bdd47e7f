#!/usr/bin/env python3
"""Reads what SDL's disk audio driver wrote (signed 16-bit stereo at 22050 Hz,
the game's mixer format) from byte FROM on, and prints how many whole seconds
it holds and how many of them hold sound: a tenth of a second louder than
-50 dBFS. A missing file is no seconds.

Usage: heard_seconds.py FILE [FROM]"""
import array
import math
import sys

SECOND = 22050 * 2
TENTH = SECOND // 10
THRESHOLD = 32768 * 10 ** (-50 / 20)

try:
    raw = open(sys.argv[1], "rb").read()
except OSError:
    raw = b""
start = int(sys.argv[2]) // 4 * 4 if len(sys.argv) > 2 else 0
data = array.array("h", raw[start:len(raw) // 2 * 2] if start < len(raw) else b"")
seconds = len(data) // SECOND
loud = 0
for s in range(seconds):
    chunk = data[s * SECOND:(s + 1) * SECOND]
    rms = max(math.sqrt(sum(x * x for x in chunk[t:t + TENTH]) / TENTH) for t in range(0, SECOND, TENTH))
    loud += rms > THRESHOLD
print(seconds, loud)
