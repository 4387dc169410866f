#!/bin/sh
# Plays a fixture through SDL2's disk driver and fails if the written sound is silent.
# Usage: disk_output_test.sh PLAYER FILE
set -eu
player="$1"
file="$2"
raw="$(mktemp /tmp/tv-disk-XXXXXX.raw)"
trap 'rm -f "$raw"' EXIT
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$raw" "$player" "$file" 20
size=$(stat -c %s "$raw")
echo "disk output: $size bytes"
[ "$size" -gt 0 ] || { echo "FAIL: nothing written"; exit 1; }
rms=$(sox -t raw -r 44100 -e floating-point -b 32 -c 2 "$raw" -n stat 2>&1 |
      awk '/RMS +amplitude/ {print $3}')
echo "RMS amplitude: $rms"
# The fixture is a 1 kHz sine at 1/8 of full scale (RMS about 0.088); silence reads 0.
awk -v r="$rms" 'BEGIN { exit !(r > 0.03) }' || { echo "FAIL: output is silent"; exit 1; }
