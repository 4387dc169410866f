#!/usr/bin/env python3
"""Checks a raw float32 stereo 44.1 kHz recording for gaps inside the music: between the first
and the last frame that is not silent, no run of frames whose samples are all exactly zero may
last longer than the limit (1 ms unless given). Prints the music's span and its longest such
run; exit status 1 when that run is too long or there is no music at all.

usage: analyse_gaps.py RAW [LIMIT_MS]"""
import array
import sys

RATE = 44100


def main():
    limit_ms = float(sys.argv[2]) if len(sys.argv) > 2 else 1.0
    samples = array.array("f")
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    samples.frombytes(data[:len(data) - len(data) % 8])
    frames = len(samples) // 2
    left, right = samples[0::2], samples[1::2]
    first = next((i for i in range(frames) if left[i] or right[i]), None)
    if first is None:
        print("no music in the recording")
        return 1
    last = next(i for i in range(frames - 1, -1, -1) if left[i] or right[i])
    longest, longest_at, run = 0, first, 0
    for i in range(first, last + 1):
        if left[i] or right[i]:
            run = 0
            continue
        run += 1
        if run > longest:
            longest, longest_at = run, i - run + 1
    longest_ms = longest * 1000.0 / RATE
    print("music %.3f s to %.3f s; longest run of zero samples %d frames (%.2f ms) at %.3f s"
          % (first / RATE, last / RATE, longest, longest_ms, longest_at / RATE))
    return 1 if longest_ms > limit_ms else 0


if __name__ == "__main__":
    sys.exit(main())
