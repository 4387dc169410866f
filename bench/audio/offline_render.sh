#!/bin/sh
# CPU time of decoding a three-minute MP3 through the engine's whole chain (offline, no
# device, no effects) against FFmpeg decoding the same file to nothing, side by side in one
# run. Prints every run and the medians; the ratio is what docs/PERFORMANCE.md records.
# Usage: offline_render.sh BENCH_BINARY [RUNS]
set -eu
bench="$1"
runs="${2:-5}"
work="$(mktemp -d /tmp/tv-audio-bench-XXXXXX)"
trap 'rm -rf "$work"' EXIT
mp3="$work/three-minutes.mp3"
ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=180" \
    -f lavfi -i "anoisesrc=color=pink:amplitude=0.1:sample_rate=44100:duration=180" \
    -filter_complex "[0:a][1:a]amix=inputs=2:duration=shortest,aformat=channel_layouts=stereo" \
    -c:a libmp3lame -b:a 192k "$mp3"

cpu() {  # prints user+system seconds of the command
    /usr/bin/time -f "%U %S" -o "$work/t" "$@" > /dev/null 2>&1
    awk '{ printf "%.3f\n", $1 + $2 }' "$work/t"
}

: > "$work/ours"
: > "$work/peer"
i=0
while [ "$i" -lt "$runs" ]; do
    # Alternate the order so neither side always runs on a warmer cache.
    if [ $((i % 2)) -eq 0 ]; then
        cpu "$bench" "$mp3" >> "$work/ours"
        cpu ffmpeg -hide_banner -nostdin -i "$mp3" -f null - >> "$work/peer"
    else
        cpu ffmpeg -hide_banner -nostdin -i "$mp3" -f null - >> "$work/peer"
        cpu "$bench" "$mp3" >> "$work/ours"
    fi
    i=$((i + 1))
done
median() { sort -n "$1" | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
echo "engine runs (s): $(tr '\n' ' ' < "$work/ours")"
echo "ffmpeg runs (s): $(tr '\n' ' ' < "$work/peer")"
ours=$(median "$work/ours")
peer=$(median "$work/peer")
echo "median engine ${ours} s, median ffmpeg ${peer} s, ratio $(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "%.2f", a / b }')"
