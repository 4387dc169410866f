#!/usr/bin/env bash
# libmpv is opened by the first video only: playing an audio file leaves it out of the
# process's memory map, a video maps it, and without it (TORVANELL_LIBMPV naming a missing
# file) a video leaves its window black with one warning on standard error while the audio
# entry after it plays and the program ends with status 0.
# Usage: video_lazy_mpv_test.sh PLAYER
set -euo pipefail
player=$1
work=$(mktemp -d)
app= xvfb=
cleanup() {
    [ -n "$app" ] && kill -KILL "$app" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- player stderr"; grep -v "^ALSA" "$work/stderr.txt" 2>/dev/null | tail -n 20 || true
    exit 1
}
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do
        "$@" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
wait_for 50 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$work/display")

ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=20" -ac 2 \
    -c:a pcm_s16le "$work/tone.wav"
ffmpeg -v error -f lavfi -i "testsrc2=size=320x240:rate=25:duration=10" -c:v mpeg4 \
    "$work/clip.avi"

# Starts the player on the given files; extra environment first.
start() {
    rm -f "$work/audio.raw" "$work/status.txt" "$work/settings.ini" "$work/default.m3u"
    : > "$work/status.txt"
    env "$@" QT_QPA_PLATFORM=xcb TORVANELL_HOME="$work" TORVANELL_VIDEO_STATUS="$work/status.txt" \
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" "${files[@]}" \
        2> "$work/stderr.txt" &
    app=$!
}
heard() { [ "$(stat -c %s "$work/audio.raw" 2>/dev/null || echo 0)" -gt 400000 ]; }
mapped() { grep -q "libmpv" "/proc/$app/maps"; }
finish() {
    kill -TERM "$app"
    wait_for 100 bash -c "! kill -0 $app" || fail "the player still runs 10 s after its close"
    local status=0
    wait "$app" || status=$?
    app=
    [ "$status" = 0 ] || fail "exit status $status ($1)"
    [ -s "$work/settings.ini" ] || fail "settings.ini not written ($1)"
}

# An audio file only: libmpv stays out.
files=("$player" "$work/tone.wav")
start
wait_for 100 heard || fail "the audio file was not heard"
! mapped || fail "libmpv is mapped in an audio-only run"
finish "audio only"
echo "audio only: libmpv not mapped"

# A video: libmpv comes in with it.
files=("$player" "$work/clip.avi")
start
wait_for 100 grep -q "^play .*played=1" "$work/status.txt" || fail "the video did not play"
mapped || fail "libmpv is not mapped while a video plays"
finish "video"
echo "video: libmpv mapped"

# No libmpv: the video stays black with a warning; the audio entry after it plays.
files=("$player" "$work/clip.avi" "$work/tone.wav")
start TORVANELL_LIBMPV="$work/no-such-libmpv.so"
wait_for 100 grep -q "^play .*played=0" "$work/status.txt" || fail "the video window was not shown"
wait_for 50 grep -q "videos stay black" "$work/stderr.txt" || fail "no warning about libmpv"
[ "$(grep -c "videos stay black" "$work/stderr.txt")" = 1 ] || fail "the warning is repeated"
wait_for 50 bash -c "xdotool search --onlyvisible --name '^Torvanell\$' | grep -q ." ||
    fail "no window"
for id in $(xdotool search --onlyvisible --name '^Torvanell$'); do
    xdotool getwindowgeometry "$id" | grep -q "Geometry: 320x480" && mwin=$id
done
read -r mx my < <(xdotool getwindowgeometry "$mwin" |
    sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
for _ in 1 2 3; do
    xdotool mousemove --sync $((mx + 230)) $((my + 117)) click 1  # Next
    wait_for 30 heard && break
done
heard || fail "the audio entry after the black video was not heard"
finish "no libmpv"
echo "no libmpv: warning once, black video, audio heard"
echo PASS
