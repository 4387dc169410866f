#!/bin/sh
# CPU time of the whole effect chain offline on a three-minute MP3 (decode, ten equalizer
# bands, flanger, chorus, echo, reverb, rotation) against FFmpeg decoding the same file
# through a comparable filter chain to nothing, side by side in one run, plus our decode
# alone for the chain's own share. Prints every run and the medians.
# Usage: effect_chain.sh BENCH_BINARY [RUNS]
set -eu
bench="$1"
runs="${2:-5}"
work="$(mktemp -d /tmp/tv-effects-bench-XXXXXX)"
trap 'rm -rf "$work"' EXIT
mp3="$work/three-minutes.mp3"
# A chord of three tones with vibrato over pink noise: steady material that keeps every
# filter busy.
ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "aevalsrc=0.2*sin(2*PI*220*t)+0.15*sin(2*PI*277*t+2*sin(2*PI*5*t))+0.1*sin(2*PI*330*t):s=44100:d=180" \
    -f lavfi -i "anoisesrc=color=pink:amplitude=0.1:sample_rate=44100:duration=180" \
    -filter_complex "[0:a][1:a]amix=inputs=2:duration=shortest,aformat=channel_layouts=stereo" \
    -c:a libmp3lame -b:a 192k "$mp3"

# FFmpeg's counterparts: the ten peaking bands of "Rock" (9 semitones = 0.75 octave), its
# chorus, flanger and echo, a four-tap echo standing in for the reverb (FFmpeg has no
# reverb filter) and the left-right pulsator for the rotation.
eq=""
set -- 80:-2 170:1 310:3 600:7 1000:-2 3000:-2 6000:0 10000:0 12000:7 14000:7
for band in "$@"; do
    eq="${eq}equalizer=f=${band%%:*}:t=o:w=0.75:g=${band##*:},"
done
chain="${eq}chorus=0.5:0.9:16:0.25:1.1:0.8,flanger=delay=2:depth=2:regen=-50:speed=0.25,aecho=0.5:1:500:0.5,aecho=0.8:0.9:45|53.5|63.6|75.7:0.5|0.4|0.3|0.2,apulsator=hz=0.42"

cpu() {  # prints user+system seconds of the command
    /usr/bin/time -f "%U %S" -o "$work/t" "$@" > /dev/null 2>&1
    awk '{ printf "%.3f\n", $1 + $2 }' "$work/t"
}

: > "$work/ours"
: > "$work/plain"
: > "$work/peer"
i=0
while [ "$i" -lt "$runs" ]; do
    # Alternate the order so neither side always runs on a warmer cache.
    if [ $((i % 2)) -eq 0 ]; then
        cpu "$bench" "$mp3" >> "$work/ours"
        cpu ffmpeg -hide_banner -nostdin -threads 1 -filter_threads 1 -i "$mp3" -af "$chain" -f null - >> "$work/peer"
        cpu "$bench" "$mp3" --no-effects >> "$work/plain"
    else
        cpu "$bench" "$mp3" --no-effects >> "$work/plain"
        cpu ffmpeg -hide_banner -nostdin -threads 1 -filter_threads 1 -i "$mp3" -af "$chain" -f null - >> "$work/peer"
        cpu "$bench" "$mp3" >> "$work/ours"
    fi
    i=$((i + 1))
done
median() { sort -n "$1" | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
echo "chain runs (s):        $(tr '\n' ' ' < "$work/ours")"
echo "ffmpeg chain runs (s): $(tr '\n' ' ' < "$work/peer")"
echo "decode only runs (s):  $(tr '\n' ' ' < "$work/plain")"
ours=$(median "$work/ours")
peer=$(median "$work/peer")
plain=$(median "$work/plain")
echo "median chain ${ours} s ($(awk -v a="$ours" 'BEGIN { printf "%.0f", 180 / a }') x real time), median ffmpeg chain ${peer} s ($(awk -v a="$peer" 'BEGIN { printf "%.0f", 180 / a }') x real time), ratio ours/ffmpeg $(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "%.2f", a / b }'); decode alone ${plain} s"
