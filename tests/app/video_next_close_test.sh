#!/usr/bin/env bash
# Two videos in one run under a window manager: started with a video with sound (WebM) and one
# without (AVI), Next while the first plays starts the second in the same window, and a click
# on the video window's close image ends the video; closing the main window then ends the
# program with status 0, and both settings.ini and default.m3u are written. A third entry that
# is no video at all (a text file named .mkv) leaves the window black and the player usable.
# The video window reports what it shows through TORVANELL_VIDEO_STATUS.
# Usage: video_next_close_test.sh PLAYER [ROUNDS]
set -euo pipefail
player=$1
rounds=${2:-1}
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
    echo "FAIL: $*"
    echo "--- last status lines"; tail -n 8 "$work/status.txt" 2>/dev/null || true
    echo "--- player stderr"; tail -n 20 "$work/stderr.txt" 2>/dev/null || true
    exit 1
}
# Waits up to $1 tenths of a second for the command that follows to succeed.
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
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
wait_for 50 xprop -root _NET_SUPPORTING_WM_CHECK || fail "openbox did not start"

ffmpeg -v error -f lavfi -i "testsrc2=size=320x240:rate=25:duration=8" \
    -f lavfi -i "sine=frequency=440:duration=8" -c:v libvpx -b:v 300k -c:a libvorbis \
    -shortest "$work/a.webm"
ffmpeg -v error -f lavfi -i "testsrc2=size=320x240:rate=25:duration=8" -c:v mpeg4 "$work/b.avi"
echo "not a video" > "$work/c.mkv"

last() { grep "^$1 " "$work/status.txt" | tail -n 1 | tr ' ' '\n' | sed -n "s/^$2=//p"; }
plays() { grep -c "^play " "$work/status.txt" || true; }
plays_over() { [ "$(plays)" -gt "$1" ]; }
playing_past() { [ "$(last tick pos)" -ge "$1" ]; }
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
position_of() {
    xdotool getwindowgeometry "$1" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p'
}
click_in() {  # window id, x, y
    local wx wy
    read -r wx wy < <(position_of "$1")
    xdotool mousemove --sync "$((wx + $2))" "$((wy + $3))" click 1
}

for round in $(seq "$rounds"); do
    # The main window at the left, so that the video window opens beside it, not over it.
    printf '[Settings]\nMainPosX=100\nMainPosY=100\n' > "$work/settings.ini"
    rm -f "$work/default.m3u" "$work/status.txt"
    : > "$work/status.txt"
    QT_QPA_PLATFORM=xcb TORVANELL_HOME=$work TORVANELL_WARNINGS_TO_STDERR=1 \
        TORVANELL_VIDEO_STATUS=$work/status.txt SDL_AUDIODRIVER=dummy \
        "$player" "$work/a.webm" "$work/b.avi" "$work/c.mkv" 2> "$work/stderr.txt" &
    app=$!
    wait_for 100 shown 320x480 || fail "no main window"
    mwin=$(window_of 320x480)
    wait_for 100 playing_past 500 || fail "the first video did not play"
    # Next; a click the server took before the pointer arrived is given again.
    for _ in 1 2 3; do
        click_in "$mwin" 230 117
        wait_for 20 plays_over 1 && break
    done
    [ "$(plays)" -ge 2 ] || fail "Next did not start the second video"
    : > "$work/status.txt"
    wait_for 100 playing_past 500 || fail "the second video did not play"
    vwin=$(window_of 610x368)
    [ -n "$vwin" ] || fail "no video window for the second video"
    click_in "$vwin" 594 13  # the close image
    wait_for 50 bash -c "! xdotool getwindowname $vwin >/dev/null 2>&1 ||
        ! xwininfo -id $vwin | grep -q IsViewable" || fail "the close image left the window shown"
    kill -0 "$app" || fail "the player died after the close image (round $round)"
    # The third entry cannot be played: its window stays black and the player stays usable.
    : > "$work/status.txt"
    click_in "$mwin" 230 117  # Next (stopped: selects the third entry)
    click_in "$mwin" 125 117  # Play
    wait_for 50 plays_over 0 || fail "Play did not reach the video window"
    [ "$(last play file)" = c.mkv ] || fail "Play started $(last play file), not c.mkv"
    [ "$(last play played)" = 0 ] || fail "a stream was loaded from a file that is no video"
    click_in "$mwin" 195 117  # Stop
    wait_for 50 bash -c "! xwininfo -id $vwin | grep -q IsViewable" ||
        fail "Stop left the window shown"
    kill -TERM "$app"  # closes the main window like its exit button
    wait_for 100 bash -c "! kill -0 $app" || fail "the player still runs 10 s after its close"
    status=0
    wait "$app" || status=$?
    app=
    [ "$status" = 0 ] || fail "exit status $status (round $round)"
    [ "$(wc -l < "$work/settings.ini")" -gt 3 ] || fail "settings.ini not written (round $round)"
    grep -q "b.avi" "$work/default.m3u" || fail "default.m3u not written (round $round)"
    ! grep -q "X11 connection broke\|X Error\|another thread" "$work/stderr.txt" ||
        fail "an X or thread error (round $round)"
    echo "round $round: exit 0, both files written"
done
echo PASS
