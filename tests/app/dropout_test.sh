#!/bin/sh
# Plays a tone through the real engine and SDL's disk driver while the probe's main thread scans
# a folder tree and completes its rows from their tags, loads and saves a large playlist and
# writes tags (tv_dropout_probe); then checks that the engine counted no underrun, that the
# mixing thread never paused for long and that the recording has no gap inside the music.
# First two short runs show that the checks fail when they should: a deliberate 100 ms pause of
# the channel must fail the gap check, and a device that takes blocks as fast as it can
# (SDL_DISKAUDIODELAY=0) outruns the decoder, which the engine must count as underruns.
#
# usage: dropout_test.sh PROBE ANALYSER
# The size of the run comes from the environment (defaults: the full run):
#   TV_DROPOUT_SECONDS (60), TV_DROPOUT_FILES (20000), TV_DROPOUT_FOLDERS (3800),
#   TV_DROPOUT_PLAYLIST (100000), TV_DROPOUT_TAGS (500), TV_DROPOUT_MAX_PAUSE_MS (250: on a loaded
#   machine the scheduler alone delays the mixing thread by 100 ms and more now and then)
set -eu
probe=$1
analyser=$2
seconds=${TV_DROPOUT_SECONDS:-60}
max_pause=${TV_DROPOUT_MAX_PAUSE_MS:-250}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$seconds" -ac 2 \
    -c:a pcm_s16le "$work/tone.wav"
ffmpeg -v error -f lavfi -i "sine=frequency=880:sample_rate=44100:duration=0.1" -ac 2 \
    -c:a libmp3lame -b:a 64k -id3v2_version 3 -metadata artist=Seed -metadata title=Seed \
    "$work/seed.mp3"
ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=4" -ac 2 \
    -c:a pcm_s16le "$work/short.wav"

export SDL_AUDIODRIVER=disk

# The checker must see a deliberate pause. It lasts 100 ms, several device blocks (23 ms each):
# a pause shorter than one block can fall between two callbacks and leave no silence at all.
mkdir "$work/stall"
SDL_DISKAUDIOFILE="$work/stall.raw" "$probe" "$work/short.wav" "$work/stall" "$work/seed.mp3" \
    --files 10 --folders 2 --playlist 10 --tags 2 --stall-ms 100 > "$work/stall.txt"
if python3 "$analyser" "$work/stall.raw" > "$work/stall-gaps.txt"; then
    cat "$work/stall.txt" "$work/stall-gaps.txt"
    echo "FAIL: the gap check passed a recording with a 100 ms pause" >&2
    exit 1
fi

mkdir "$work/unpaced"
status=0
SDL_DISKAUDIODELAY=0 SDL_DISKAUDIOFILE="$work/unpaced.raw" "$probe" "$work/short.wav" \
    "$work/unpaced" "$work/seed.mp3" --files 10 --folders 2 --playlist 10 --tags 2 \
    > "$work/unpaced.txt" || status=$?
if [ "$status" -ne 1 ] || python3 "$analyser" "$work/unpaced.raw" > "$work/unpaced-gaps.txt"; then
    cat "$work/unpaced.txt" "$work/unpaced-gaps.txt"
    echo "FAIL: an unpaced device went without counted underruns or gaps" >&2
    exit 1
fi
rm -f "$work/unpaced.raw"

mkdir "$work/run"
status=0
SDL_DISKAUDIOFILE="$work/out.raw" "$probe" "$work/tone.wav" "$work/run" "$work/seed.mp3" \
    --files "${TV_DROPOUT_FILES:-20000}" --folders "${TV_DROPOUT_FOLDERS:-3800}" \
    --playlist "${TV_DROPOUT_PLAYLIST:-100000}" --tags "${TV_DROPOUT_TAGS:-500}" \
    > "$work/probe.txt" || status=$?
cat "$work/probe.txt"
[ "$status" -eq 0 ] || { echo "FAIL: the engine counted underruns (status $status)" >&2; exit 1; }
pause=$(sed -n 's/^longest pause between mixed blocks: \([0-9.]*\) ms.*/\1/p' "$work/probe.txt")
if [ -z "$pause" ] || ! awk -v p="$pause" -v m="$max_pause" 'BEGIN { exit !(p <= m) }'; then
    echo "FAIL: the mixing thread paused ${pause:-?} ms (limit $max_pause ms)" >&2
    exit 1
fi
python3 "$analyser" "$work/out.raw" || { echo "FAIL: a gap inside the music" >&2; exit 1; }
# The whole tone was heard: 60 s of music is 60 s of recording, give or take a block.
python3 - "$work/out.raw" "$seconds" <<'PY'
import os, sys
heard = os.path.getsize(sys.argv[1]) / 8 / 44100
if heard < float(sys.argv[2]) - 0.05:
    sys.exit("FAIL: only %.2f s of %s s recorded" % (heard, sys.argv[2]))
PY
echo "PASS"
