#!/usr/bin/env python3
"""Checks a raw float32 stereo 44.1 kHz recording of the player's output: sound must start
within the first second, and the sound must end in a fade of about 200 ms (a steady fall from
the playing level to silence), not in a cut.

usage: analyse_fade.py RAW [--max-start 1.0] [--fade-ms 200] [--tolerance-ms 80]
Prints what it measured; exit status 0 when both hold, 1 otherwise."""
import argparse
import array
import math
import sys

RATE = 44100
WINDOW = 441  # 10 ms of frames


def envelope(samples):
    """Peak of |sample| per 10 ms window, both channels together."""
    frames = len(samples) // 2
    out = []
    for start in range(0, frames - WINDOW + 1, WINDOW):
        chunk = samples[2 * start:2 * (start + WINDOW)]
        out.append(max(abs(v) for v in chunk))
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("raw")
    parser.add_argument("--max-start", type=float, default=1.0)
    parser.add_argument("--fade-ms", type=float, default=200.0)
    parser.add_argument("--tolerance-ms", type=float, default=80.0)
    args = parser.parse_args()

    samples = array.array("f")
    with open(args.raw, "rb") as f:
        samples.frombytes(f.read())
    if any(math.isnan(v) for v in samples[:: max(1, len(samples) // 10000)]):
        print("recording holds NaN samples")
        return 1
    env = envelope(samples)
    if not env:
        print("recording is empty")
        return 1
    level = sorted(env)[int(len(env) * 0.9)]  # the playing level
    if level < 0.01:
        print(f"no sound at all (level {level:.4f})")
        return 1
    audible = [i for i, v in enumerate(env) if v > 0.5 * level]
    start_s = audible[0] * WINDOW / RATE
    print(f"level {level:.4f}; sound starts at {start_s:.3f} s")

    # The fade: from the last window still at the playing level to the first silent one.
    last_full = max(i for i, v in enumerate(env) if v > 0.9 * level)
    silent = next((i for i in range(last_full, len(env)) if env[i] < 0.03 * level), None)
    if silent is None:
        print("FAIL: the sound never falls silent; last windows: "
              + " ".join(f"{v:.3f}" for v in env[-30:]))
        return 1
    fade_ms = (silent - last_full) * WINDOW * 1000.0 / RATE
    fall = env[last_full:silent + 1]
    rises = sum(1 for a, b in zip(fall, fall[1:]) if b > a + 0.05 * level)
    print(f"fade from {last_full * 10} ms to {silent * 10} ms: {fade_ms:.0f} ms, {rises} rises")

    ok = True
    if start_s > args.max_start:
        print(f"FAIL: sound starts after {args.max_start} s")
        ok = False
    if abs(fade_ms - args.fade_ms) > args.tolerance_ms:
        print(f"FAIL: fade of {fade_ms:.0f} ms, expected about {args.fade_ms:.0f} ms")
        ok = False
    if rises:
        print("FAIL: the level rises during the fade")
        ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
