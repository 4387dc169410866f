#!/usr/bin/env python3
"""Prints the runs of a raw float32 stereo 44.1 kHz recording: for each stretch of 50 ms
windows, either "silence" or the tone's frequency (from zero crossings, rounded to 10 Hz),
with its length in seconds. Used by the hotkey test to follow what the player played.

usage: analyse_runs.py RAW"""
import array
import sys

RATE = 44100
WINDOW = 2205  # 50 ms


def main():
    samples = array.array("f")
    with open(sys.argv[1], "rb") as f:
        samples.frombytes(f.read())
    left = samples[0::2]
    runs = []
    for start in range(0, len(left) - WINDOW + 1, WINDOW):
        chunk = left[start:start + WINDOW]
        peak = max(abs(v) for v in chunk)
        if peak < 0.01:
            label = "silence"
        else:
            crossings = sum(1 for a, b in zip(chunk, chunk[1:]) if (a < 0) != (b < 0))
            label = str(int(round(crossings / 2 / (WINDOW / RATE) / 10.0)) * 10)
        if runs and runs[-1][0] == label:
            runs[-1][1] += 1
        else:
            runs.append([label, 1])
    for label, count in runs:
        if count >= 2:  # windows straddling a change are noise
            print(f"{label} {count * WINDOW / RATE:.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
