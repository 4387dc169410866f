#!/bin/sh
# --verbose: the player plays a short tone through SDL's disk driver, is closed with SIGTERM and
# reports its dropouts in total on stderr; without --verbose it says nothing about them.
#
# usage: verbose_test.sh TORVANELL_BINARY
set -eu
player=$1
. "$(dirname "$0")/waits.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=5" -ac 2 \
    -c:a pcm_s16le "$work/tone.wav"
export TORVANELL_HOME="$work" TORVANELL_WARNINGS_TO_STDERR=1 SDL_AUDIODRIVER=disk
export QT_QPA_PLATFORM=offscreen

run() {  # run NAME [OPTION]: plays for a second and closes the player
    SDL_DISKAUDIOFILE="$work/$1.raw" "$player" --new-instance ${2:+"$2"} "$work/tone.wav" \
        2> "$work/$1.txt" &
    pid=$!
    # SIGTERM only once a second of the tone is out: the player is then past its start (a
    # slow build takes a while to get there).
    wait_for 20 "a second of sound" file_reaches "$work/$1.raw" 352800 || true
    stop_player $pid || { cat "$work/$1.txt"; exit 1; }
}

run verbose --verbose
run quiet
if ! grep -qx "torvanell: audio dropouts in total: 0" "$work/verbose.txt"; then
    echo "FAIL: --verbose did not report the total" >&2
    cat "$work/verbose.txt"
    exit 1
fi
if grep -q "dropouts" "$work/quiet.txt"; then
    echo "FAIL: dropouts reported without --verbose" >&2
    exit 1
fi
[ -s "$work/verbose.raw" ] || { echo "FAIL: nothing was played" >&2; exit 1; }
echo "PASS"
