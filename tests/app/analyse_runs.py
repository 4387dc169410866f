#!/usr/bin/env python3
"""Prints the runs of a raw float32 stereo 44.1 kHz recording: for each stretch of 50 ms
windows, either "silence" or the tone's frequency (from the span between the window's first and
last zero crossing, so that the phase at the window's edges does not move it; rounded to 10 Hz),
with its length in seconds. Used by the hotkey test to follow what the player played.

usage: analyse_runs.py RAW"""
import array
import sys

RATE = 44100
WINDOW = 2205  # 50 ms


def frequency_label(chunk):
    # Crossing positions interpolated between the two samples around each sign change.
    crossings = [i + a / (a - b) for i, (a, b) in enumerate(zip(chunk, chunk[1:]))
                 if (a < 0) != (b < 0) and a != b]
    if len(crossings) < 3:
        return "0"
    cycles = (len(crossings) - 1) / 2
    hertz = cycles * RATE / (crossings[-1] - crossings[0])
    return str(int(round(hertz / 10.0)) * 10)


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
            label = frequency_label(chunk)
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
