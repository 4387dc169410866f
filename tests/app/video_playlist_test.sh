#!/usr/bin/env bash
# Videos are entries like tracks, under a window manager: three 3-second clips show their
# duration in the playlist file; with Replay All the playlist plays them through and starts
# over, and with Not Replay it stops after the third. A double-click on the picture fills the
# screen and a second one restores the window exactly; the window opens whole on the screen.
# Usage: video_playlist_test.sh PLAYER
set -euo pipefail
player=$1
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
    echo "--- status"; grep -E "^(play|closed)" "$work/status.txt" 2>/dev/null | tail -n 8 || true
    echo "--- player stderr"; grep -v "^ALSA" "$work/stderr.txt" 2>/dev/null | tail -n 10 || true
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
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
wait_for 50 xprop -root _NET_SUPPORTING_WM_CHECK || fail "openbox did not start"

for i in 0 1 2; do
    ffmpeg -v error -f lavfi -i "testsrc2=size=320x240:rate=25:duration=3" -c:v mpeg4 \
        "$work/clip$i.avi"
done

played_files() { grep "^play " "$work/status.txt" | sed 's/.* file=//' | tr '\n' ' '; }
plays_over() { [ "$(grep -c "^play " "$work/status.txt")" -gt "$1" ]; }
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
place_of() { xdotool getwindowgeometry "$1" | sed -n 's/.*Position: \([0-9,]*\).*/\1/p'; }
run() {  # replay mode, main window x
    : > "$work/status.txt"
    printf '[Settings]\nMainPosX=%s\nMainPosY=300\nReplay=%s\n' "$2" "$1" > "$work/settings.ini"
    rm -f "$work/default.m3u"
    QT_QPA_PLATFORM=xcb TORVANELL_HOME=$work TORVANELL_VIDEO_STATUS=$work/status.txt \
        SDL_AUDIODRIVER=dummy "$player" "$work/clip0.avi" "$work/clip1.avi" "$work/clip2.avi" \
        2> "$work/stderr.txt" &
    app=$!
}
finish() {
    kill -TERM "$app"
    wait_for 100 bash -c "! kill -0 $app" || fail "the player still runs 10 s after its close"
    local status=0
    wait "$app" || status=$?
    app=
    [ "$status" = 0 ] || fail "exit status $status"
}

# Replay All, the main window at the right edge: the video window opens on its left.
run 1 900
wait_for 150 shown 610x368 || fail "no video window"
vwin=$(window_of 610x368)
read -r vx vy < <(place_of "$vwin" | tr ',' ' ')
echo "video window at $vx,$vy"
[ "$vx" -ge 0 ] && [ $((vx + 610)) -le 1280 ] && [ "$vy" -ge 0 ] && [ $((vy + 368)) -le 1024 ] ||
    fail "the video window is not whole on the screen"
# Double-click on the picture: the screen, then back to where it was.
xdotool mousemove --sync $((vx + 300)) $((vy + 200)) click --repeat 2 --delay 80 1
wait_for 50 shown 1280x1024 || fail "a double-click did not fill the screen"
xdotool mousemove --sync 640 512 click --repeat 2 --delay 80 1
wait_for 50 shown 610x368 || fail "a second double-click did not restore the size"
[ "$(place_of "$(window_of 610x368)")" = "$vx,$vy" ] || fail "restored at $(place_of "$vwin")"
wait_for 200 plays_over 3 || fail "Replay All did not start over: $(played_files)"
[ "$(played_files)" = "clip0.avi clip1.avi clip2.avi clip0.avi " ] ||
    fail "played $(played_files)"
finish
for i in 0 1 2; do
    grep -q "^#EXTINF:3,clip$i" "$work/default.m3u" || fail "no 3-second entry clip$i in default.m3u"
done
echo "Replay All: $(played_files); durations written"

# Not Replay: the third clip's end stops the player and closes the window.
run 0 100
wait_for 200 grep -q "^play .*file=clip2.avi" "$work/status.txt" || fail "not at the third clip"
wait_for 60 bash -c "grep -A1000 'file=clip2.avi' '$work/status.txt' | grep -q '^closed '" ||
    fail "the third clip's end did not stop the player"
plays_over 3 && fail "played on after the third clip: $(played_files)"
finish
echo "Not Replay: $(played_files); stopped"
echo PASS
