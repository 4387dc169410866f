#!/usr/bin/env bash
# A video soak under a window manager with the real libmpv: COUNT videos of three containers
# (WebM with sound, AVI without, Matroska with sound) are started, seeked, paused and replaced
# by Next or Back or closed by the close image, each at a moment drawn at random (a position
# the video must first reach); then the program is closed: exit status 0, settings.ini and
# default.m3u written, no X or thread error. Prints the figures (videos, seconds, exits).
# Usage: video_soak_test.sh PLAYER [COUNT] [SEED]
set -euo pipefail
player=$1
count=${2:-30}
RANDOM=${3:-26}
work=$(mktemp -d)
app= xvfb= wm=
cleanup() {
    [ -n "$app" ] && kill -KILL "$app" 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $* (after $started videos)"
    echo "--- last status lines"; tail -n 6 "$work/status.txt" 2>/dev/null || true
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
started=0

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
wait_for 50 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$work/display")
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
wait_for 50 xprop -root _NET_SUPPORTING_WM_CHECK || fail "openbox did not start"

src="testsrc2=size=320x240:rate=25:duration=5"
tone="sine=frequency=440:duration=5"
ffmpeg -v error -f lavfi -i "$src" -f lavfi -i "$tone" -c:v libvpx -b:v 200k -c:a libvorbis \
    -shortest "$work/v.webm"
ffmpeg -v error -f lavfi -i "$src" -c:v mpeg4 "$work/v.avi"
ffmpeg -v error -f lavfi -i "$src" -f lavfi -i "$tone" -c:v mpeg4 -c:a libvorbis -shortest \
    "$work/v.mkv"
files=()
for i in $(seq 0 9); do
    for ext in webm avi mkv; do
        ln -s "$work/v.$ext" "$work/clip$i.$ext"
        files+=("$work/clip$i.$ext")
    done
done

: > "$work/status.txt"
# The main window at the left, so that the video window opens beside it, not over it.
printf '[Settings]\nMainPosX=100\nMainPosY=100\n' > "$work/settings.ini"
begin=$(date +%s)
QT_QPA_PLATFORM=xcb TORVANELL_HOME=$work TORVANELL_WARNINGS_TO_STDERR=1 \
    TORVANELL_VIDEO_STATUS=$work/status.txt SDL_AUDIODRIVER=dummy \
    "$player" "${files[@]}" 2> "$work/stderr.txt" &
app=$!

plays() { grep -c "^play " "$work/status.txt" || true; }
plays_over() { [ "$(plays)" -gt "$1" ]; }
ticks() { grep -c "^tick " "$work/status.txt" || true; }
ticks_over() { [ "$(ticks)" -gt "$1" ]; }
# The newest video has played past $1 ms.
past() { [ "$(grep -E "^(play|tick) " "$work/status.txt" | tail -n 1 |
    sed -n 's/.* pos=\([0-9]*\) .*/\1/p')" -ge "$1" ]; }
window_of() {
    local id
    for id in $(xdotool search --onlyvisible --name '^Torvanell$' 2>/dev/null); do
        if xdotool getwindowgeometry "$id" | grep -q "Geometry: $1\$"; then
            echo "$id"
            return
        fi
    done
}
shown() { [ -n "$(window_of "$1")" ]; }
click_in() {  # window id, x, y
    local wx wy
    read -r wx wy < <(xdotool getwindowgeometry "$1" |
        sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
    xdotool mousemove --sync "$((wx + $2))" "$((wy + $3))" click 1
}
# Clicks (main window x, y) until a new video has started, up to three times.
start_next() {
    local before=$1 x=$2
    for _ in 1 2 3; do
        click_in "$mwin" "$x" 117
        wait_for 50 plays_over "$before" && return 0
    done
    return 1
}

wait_for 150 shown 320x480 || fail "no main window"
mwin=$(window_of 320x480)
wait_for 150 plays_over 0 || fail "the first video did not start"
started=1
while [ "$started" -lt "$count" ]; do
    kill -0 "$app" 2>/dev/null || fail "the player died"
    before=$(plays)
    wait_for 100 past $((RANDOM % 1500)) || fail "the video did not play on"
    case $((RANDOM % 4)) in
        0) click_in "$mwin" $((20 + RANDOM % 200)) 97 ;;  # seek on the slider's track
        1) click_in "$mwin" 160 117  # Pause, and two ticks later resume
           ticked=$(ticks)
           wait_for 20 ticks_over $((ticked + 1)) || fail "no tick while paused"
           click_in "$mwin" 160 117 ;;
        *) ;;
    esac
    case $((RANDOM % 3)) in
        0) start_next "$before" 230 || fail "Next did not start a video" ;;
        1) start_next "$before" 90 || fail "Back did not start a video" ;;
        2) vwin=$(window_of 610x368)
           [ -n "$vwin" ] || fail "no video window"
           : > "$work/status.txt"
           click_in "$vwin" 594 13  # the close image: the player stops
           wait_for 50 grep -q "^closed " "$work/status.txt" || fail "the close image did nothing"
           : > "$work/status.txt"
           before=0
           start_next 0 125 || fail "Play did not start a video after the close image" ;;
    esac
    started=$((started + 1))
done
kill -0 "$app" 2>/dev/null || fail "the player died"
kill -TERM "$app"  # closes the main window like its exit button
wait_for 200 bash -c "! kill -0 $app" || fail "the player still runs 20 s after its close"
status=0
wait "$app" || status=$?
app=
seconds=$(($(date +%s) - begin))
[ "$status" = 0 ] || fail "exit status $status"
[ "$(wc -l < "$work/settings.ini")" -gt 3 ] || fail "settings.ini not written"
grep -q "clip9.mkv" "$work/default.m3u" || fail "default.m3u not written"
! grep -q "X11 connection broke\|X Error\|another thread\|ERROR: AddressSanitizer\|runtime error" \
    "$work/stderr.txt" || fail "an error report on standard error"
echo "videos $started, seconds $seconds, exit status $status"
echo PASS
