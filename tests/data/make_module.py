#!/usr/bin/env python3
"""Writes a tiny four-channel tracker module: one looping 8-bit sine sample and a single
pattern of a few notes, played once (about 3 s at the default speed)."""
import math
import struct
import sys

ROWS = 64
SAMPLE_WORDS = 16  # 32 bytes: one sine cycle, looped


def cell(sample, period, effect=0, param=0):
    return bytes([(sample & 0xF0) | (period >> 8), period & 0xFF,
                  ((sample & 0x0F) << 4) | effect, param])


def main(path):
    out = bytearray(b"torvanell test tone".ljust(20, b"\0"))
    # Sample 1: name, length in words, finetune, volume, loop start, loop length (big-endian).
    out += b"sine".ljust(22, b"\0") + struct.pack(">HBBHH", SAMPLE_WORDS, 0, 64, 0, SAMPLE_WORDS)
    for _ in range(30):
        out += bytes(22) + struct.pack(">HBBHH", 0, 0, 0, 0, 1)
    out += bytes([1, 127]) + bytes(128)  # song length 1, order table: pattern 0
    out += b"M.K."
    periods = [428, 381, 339, 320]  # C, D, E, F of the middle octave
    for row in range(ROWS):
        for ch in range(4):
            if row % 16 == 0 and ch == 0:
                out += cell(1, periods[(row // 16) % 4])
            elif row == ROWS - 1 and ch == 1:
                out += cell(0, 0, 0xD, 0)  # pattern break: the song ends after one pass
            else:
                out += cell(0, 0)
    n = SAMPLE_WORDS * 2
    out += bytes((int(round(100 * math.sin(2 * math.pi * i / n))) & 0xFF) for i in range(n))
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tone.mod")
