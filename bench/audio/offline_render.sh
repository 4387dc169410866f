#!/bin/sh
# CPU time of decoding a three-minute MP3 through the engine's whole chain (offline, no
# device, no effects) against FFmpeg decoding the same file to nothing, side by side in one
# run. Prints every run and the medians; the ratio is what docs/PERFORMANCE.md records.
# Usage: offline_render.sh BENCH_BINARY [RUNS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"
bench_args "offline_render.sh BENCH_BINARY [RUNS]" 5 "$@"
bench="$bench_target"
runs="$bench_runs"
bench_executable "$bench"
bench_workdir audio-bench
work="$bench_work"
mp3="$work/three-minutes.mp3"
bench_make_mp3 "$mp3"
# Each appends the user+system seconds of its side to its file.
ours() { bench_cpu_seconds "$bench" "$mp3" >> "$work/ours"; }
peer() { bench_cpu_seconds ffmpeg -hide_banner -nostdin -i "$mp3" -f null - >> "$work/peer"; }

: > "$work/ours"
: > "$work/peer"
i=0
while [ "$i" -lt "$runs" ]; do
    # Alternate the order so neither side always runs on a warmer cache.
    if [ $((i % 2)) -eq 0 ]; then ours; peer; else peer; ours; fi
    i=$((i + 1))
done
echo "engine runs (s): $(tr '\n' ' ' < "$work/ours")"
echo "ffmpeg runs (s): $(tr '\n' ' ' < "$work/peer")"
ours=$(bench_median "$work/ours")
peer=$(bench_median "$work/peer")
echo "median engine ${ours} s, median ffmpeg ${peer} s, ratio $(bench_ratio "$ours" "$peer")"
