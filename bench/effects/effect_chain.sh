#!/bin/sh
# CPU time of the whole effect chain offline on a three-minute MP3 (decode, ten equalizer
# bands, flanger, chorus, echo, reverb, rotation) against FFmpeg decoding the same file
# through a comparable filter chain to nothing, side by side in one run, plus our decode
# alone for the chain's own share. Prints every run and the medians.
# Usage: effect_chain.sh BENCH_BINARY [RUNS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"
bench_args "effect_chain.sh BENCH_BINARY [RUNS]" 5 "$@"
bench="$bench_target"
runs="$bench_runs"
bench_executable "$bench"
bench_workdir effects-bench
work="$bench_work"
mp3="$work/three-minutes.mp3"
# A chord of three tones with vibrato over pink noise: steady material that keeps every
# filter busy.
bench_make_mp3 "$mp3" "aevalsrc=0.2*sin(2*PI*220*t)+0.15*sin(2*PI*277*t+2*sin(2*PI*5*t))+0.1*sin(2*PI*330*t):s=44100:d=180"
# ffmpeg's counterparts of the chain (bench_ffmpeg_chain in bench/lib.sh).
chain=$(bench_ffmpeg_chain)
# Each appends the user+system seconds of its side to its file.
ours() { bench_cpu_seconds "$bench" "$mp3" >> "$work/ours"; }
plain() { bench_cpu_seconds "$bench" "$mp3" --no-effects >> "$work/plain"; }
peer() {
    bench_cpu_seconds ffmpeg -hide_banner -nostdin -threads 1 -filter_threads 1 -i "$mp3" \
        -af "$chain" -f null - >> "$work/peer"
}

: > "$work/ours"
: > "$work/plain"
: > "$work/peer"
i=0
while [ "$i" -lt "$runs" ]; do
    # Alternate the order so neither side always runs on a warmer cache.
    if [ $((i % 2)) -eq 0 ]; then ours; peer; plain; else plain; peer; ours; fi
    i=$((i + 1))
done
echo "chain runs (s):        $(tr '\n' ' ' < "$work/ours")"
echo "ffmpeg chain runs (s): $(tr '\n' ' ' < "$work/peer")"
echo "decode only runs (s):  $(tr '\n' ' ' < "$work/plain")"
ours=$(bench_median "$work/ours")
peer=$(bench_median "$work/peer")
plain=$(bench_median "$work/plain")
echo "median chain ${ours} s ($(awk -v a="$ours" 'BEGIN { printf "%.0f", 180 / a }') x real time), median ffmpeg chain ${peer} s ($(awk -v a="$peer" 'BEGIN { printf "%.0f", 180 / a }') x real time), ratio ours/ffmpeg $(bench_ratio "$ours" "$peer"); decode alone ${plain} s"
