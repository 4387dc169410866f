#!/usr/bin/env bash
# CPU of audio playback against `mpv --no-video --ao=null` on the same files, in the same run,
# alternating. Two cases: one 30 s MP3 played through (plain playback), and the same music cut
# into three 10 s MP3 files played as a list (two gapless hand-overs: the next file is opened
# and queued 5 s before each end). Both players run in real time (SDL's dummy output and mpv's
# null output each take audio at the sound card's pace). The figure is user + system CPU time
# (/usr/bin/time) per second of playback.
# usage: gapless_cpu.sh BUILD_DIR [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"
bench_args "gapless_cpu.sh BUILD_DIR [RUNS]" 3 "$@"
play=$(bench_bin "$bench_target" tv_audio_play)
command -v mpv >/dev/null || { echo "mpv is not installed (apt-get install mpv)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Music-like test sound: two detuned tones and a little noise, 44.1 kHz stereo.
sox -n -r 44100 -c 2 -b 16 "$work/whole.wav" synth 30 sine 220 sine 331 pinknoise vol 0.3
ffmpeg -v error -i "$work/whole.wav" -c:a libmp3lame -b:a 192k "$work/whole.mp3"
for i in 0 1 2; do
    ffmpeg -v error -ss $((i * 10)) -t 10 -i "$work/whole.wav" -c:a libmp3lame -b:a 192k \
        "$work/piece$i.mp3"
done
pieces=("$work/piece0.mp3" "$work/piece1.mp3" "$work/piece2.mp3")

cpu_per_s() {  # command... : prints CPU seconds per second of playback
    /usr/bin/time -f "%U %S %e" -o "$work/t" "$@" >/dev/null 2>&1
    awk '{ printf "%.4f\n", ($1 + $2) / $3 }' "$work/t"
}
ours() { SDL_AUDIODRIVER=dummy cpu_per_s "$play" "$@" 60; }
theirs() { cpu_per_s mpv --no-config --no-video --ao=null --gapless-audio=yes "$@"; }

for run in $(seq "$bench_runs"); do
    a=$(ours "$work/whole.mp3") b=$(theirs "$work/whole.mp3")
    c=$(ours "${pieces[@]}") d=$(theirs "${pieces[@]}")
    echo "run $run  plain: ours $a mpv $b ratio $(awk -v x="$a" -v y="$b" 'BEGIN{printf "%.2f", x/y}')" \
         " hand-overs: ours $c mpv $d ratio $(awk -v x="$c" -v y="$d" 'BEGIN{printf "%.2f", x/y}')"
done
