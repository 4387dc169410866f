#!/bin/sh
# CPU time of the shipped `torvanell --render` of a three-minute MP3 to a 16-bit WAV, plain and
# with the effect chain, against FFmpeg writing the same WAV (44 100 Hz stereo, 16 bit) from
# the same file, plain and through its comparable filters; alternating, side by side in one
# run. Prints every run, the medians and the ratios ours / FFmpeg.
# Usage: render_wav.sh TORVANELL_BINARY [RUNS] [plain|chain|both]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"
bench_args "render_wav.sh TORVANELL_BINARY [RUNS] [plain|chain|both]" 5 "$@"
tv="$bench_target"
runs="$bench_runs"
which="${3:-both}"
case "$which" in
    plain | chain | both) ;;
    *) bench_usage ;;
esac
bench_executable "$tv"
bench_workdir render-bench
work="$bench_work"
mp3="$work/three-minutes.mp3"
bench_make_mp3 "$mp3"
# ffmpeg's counterparts of "Rock", flanger, chorus, echo, reverb and rotation.
chain=$(bench_ffmpeg_chain)

cpu() {  # appends user+system seconds of the command to file $1
    out="$1"
    shift
    bench_cpu_seconds "$@" >> "$out"
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
for kind in plain chain; do
    [ "$which" = both ] || [ "$which" = "$kind" ] || continue
    ours=$(bench_median "$work/ours_$kind")
    peer=$(bench_median "$work/peer_$kind")
    echo "$kind: torvanell runs (s): $(tr '\n' ' ' < "$work/ours_$kind")"
    echo "$kind: ffmpeg    runs (s): $(tr '\n' ' ' < "$work/peer_$kind")"
    echo "$kind: median torvanell ${ours} s, median ffmpeg ${peer} s, ratio $(bench_ratio "$ours" "$peer")"
done
