#!/bin/sh
# CPU time of the shipped `torvanell --render` of a three-minute MP3 to a 16-bit WAV, plain and
# with the effect chain, against FFmpeg writing the same WAV (44 100 Hz stereo, 16 bit) from
# the same file, plain and through its comparable filters; alternating, side by side in one
# run. Prints every run, the medians and the ratios ours / FFmpeg.
# Usage: render_wav.sh TORVANELL_BINARY [RUNS] [plain|chain|both]
set -eu
tv="$1"
runs="${2:-5}"
which="${3:-both}"
work="$(mktemp -d /tmp/tv-render-bench-XXXXXX)"
trap 'rm -rf "$work"' EXIT
mp3="$work/three-minutes.mp3"
ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=180" \
    -f lavfi -i "anoisesrc=color=pink:amplitude=0.1:sample_rate=44100:duration=180" \
    -filter_complex "[0:a][1:a]amix=inputs=2:duration=shortest,aformat=channel_layouts=stereo" \
    -c:a libmp3lame -b:a 192k "$mp3"

# FFmpeg's counterparts of "Rock", flanger, chorus, echo, reverb and rotation (as in
# bench/effects/effect_chain.sh).
eq=""
for band in 80:-2 170:1 310:3 600:7 1000:-2 3000:-2 6000:0 10000:0 12000:7 14000:7; do
    eq="${eq}equalizer=f=${band%%:*}:t=o:w=0.75:g=${band##*:},"
done
chain="${eq}chorus=0.5:0.9:16:0.25:1.1:0.8,flanger=delay=2:depth=2:regen=-50:speed=0.25,aecho=0.5:1:500:0.5,aecho=0.8:0.9:45|53.5|63.6|75.7:0.5|0.4|0.3|0.2,apulsator=hz=0.42"

cpu() {  # appends user+system seconds of the command to file $1
    out="$1"
    shift
    /usr/bin/time -f "%U %S" -o "$work/t" "$@" > /dev/null 2>&1
    awk '{ printf "%.3f\n", $1 + $2 }' "$work/t" >> "$out"
}
ours_plain() { cpu "$work/ours_plain" "$tv" --render "$mp3" "$work/ours.wav"; }
peer_plain() {
    cpu "$work/peer_plain" ffmpeg -hide_banner -nostdin -y -i "$mp3" -c:a pcm_s16le "$work/peer.wav"
}
ours_chain() {
    cpu "$work/ours_chain" "$tv" --render "$mp3" "$work/ours.wav" --preset Rock \
        --effects flanger,chorus,echo,reverb,rotate
}
peer_chain() {
    cpu "$work/peer_chain" ffmpeg -hide_banner -nostdin -y -threads 1 -filter_threads 1 \
        -i "$mp3" -af "$chain" -c:a pcm_s16le "$work/peer.wav"
}

: > "$work/ours_plain"; : > "$work/peer_plain"; : > "$work/ours_chain"; : > "$work/peer_chain"
i=0
while [ "$i" -lt "$runs" ]; do
    # Alternate the order so neither side always runs on a warmer cache.
    for kind in plain chain; do
        [ "$which" = both ] || [ "$which" = "$kind" ] || continue
        if [ $((i % 2)) -eq 0 ]; then
            "ours_$kind"; "peer_$kind"
        else
            "peer_$kind"; "ours_$kind"
        fi
    done
    i=$((i + 1))
done
median() { sort -n "$1" | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
for kind in plain chain; do
    [ "$which" = both ] || [ "$which" = "$kind" ] || continue
    ours=$(median "$work/ours_$kind")
    peer=$(median "$work/peer_$kind")
    echo "$kind: torvanell runs (s): $(tr '\n' ' ' < "$work/ours_$kind")"
    echo "$kind: ffmpeg    runs (s): $(tr '\n' ' ' < "$work/peer_$kind")"
    echo "$kind: median torvanell ${ours} s, median ffmpeg ${peer} s, ratio $(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "%.2f", a / b }')"
done
