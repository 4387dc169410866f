#!/usr/bin/env bash
# The real player with the libmpv plug-in under a private X server: started with the generated
# 5 s test picture it shows the video window, whose panel shows a non-black, moving picture in
# two screenshots taken 1 s apart while the position bar advances; Pause holds the position, a
# click on the main seek slider while paused lands within 0.5 s, Stop closes the window and
# frees the stream, and the audio entry played next is heard (SDL's disk driver records it).
# Started again, closing the main window while the video plays ends the program cleanly.
# The video window reports what it shows through TORVANELL_VIDEO_STATUS.
# Usage: video_test.sh PLAYER VIDEO_FILE RUNS_ANALYSER
set -euo pipefail
player=$1
video=$2
analyser=$3
work=$(mktemp -d)
app=
xvfb=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- last status lines"; tail -n 8 "$work/status.txt" 2>/dev/null || true
    echo "--- player stderr"; cat "$work/stderr.txt" 2>/dev/null || true
    exit 1
}

# A free display number chosen by the server itself.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$work/display")

ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=4" -ac 2 \
    -c:a pcm_s16le "$work/tone.wav"
cp "$video" "$work/clip.avi"
printf '#EXTM3U\n%s\n' "$work/tone.wav" > "$work/default.m3u"
# The main window at the left, so that the video window has room beside it.
printf '[Settings]\nMainPosX=100\nMainPosY=100\n' > "$work/settings.ini"

QT_QPA_PLATFORM=xcb TORVANELL_HOME=$work TORVANELL_WARNINGS_TO_STDERR=1 \
    TORVANELL_VIDEO_STATUS=$work/status.txt SDL_AUDIODRIVER=disk \
    SDL_DISKAUDIOFILE=$work/audio.raw "$player" "$work/clip.avi" 2> "$work/stderr.txt" &
app=$!

# The window of the given size that is mapped now, if any.
window_of() {
    local id
    for id in $(xdotool search --onlyvisible --name '^Torvanell$' 2>/dev/null); do
        if xdotool getwindowgeometry "$id" | grep -q "Geometry: $1\$"; then
            echo "$id"
            return
        fi
    done
}
position_of() {
    xdotool getwindowgeometry "$1" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p'
}
# A field of the last status line of the given event.
last() { grep "^$1 " "$work/status.txt" | tail -n 1 | tr ' ' '\n' | sed -n "s/^$2=//p"; }

vwin= mwin=
for _ in $(seq 100); do
    vwin=$(window_of 610x368)
    mwin=$(window_of 320x480)
    [ -n "$vwin" ] && [ -n "$mwin" ] && break
    sleep 0.1
done
[ -n "$vwin" ] || fail "no 610x368 video window"
[ -n "$mwin" ] || fail "no main window"

for _ in $(seq 100); do
    [ "$(last tick pos || true)" -ge 300 ] 2>/dev/null && break
    sleep 0.1
done
[ "$(last play played)" = 1 ] || fail "the stream did not load"
[ "$(last tick len)" = 5000 ] || fail "length $(last tick len), not 5000"

read -r vx vy < <(position_of "$vwin")
read -r mx my < <(position_of "$mwin")
echo "video window at $vx,$vy, main window at $mx,$my"
[ "$vx" = $((mx + 320)) ] && [ "$vy" = "$my" ] || fail "the video window is not beside the main window"
# The panel: inside the 5-pixel borders, under the 25-pixel title bar.
shot() {
    import -window root -crop "600x338+$((vx + 5))+$((vy + 25))" -depth 8 "rgb:$work/$1.rgb"
}
shot first
p1=$(last tick pos)
sleep 1
shot second
p2=$(last tick pos)
echo "positions at the screenshots: $p1, $p2"
[ "$p2" -ge $((p1 + 500)) ] || fail "the position bar did not advance ($p1 -> $p2)"
python3 - "$work/first.rgb" "$work/second.rgb" <<'PY' || fail "no moving picture in the panel"
import sys
a, b = (open(p, "rb").read() for p in sys.argv[1:3])
pixels = len(a) // 3
lit = sum(1 for i in range(0, len(a), 3) if max(a[i:i + 3]) > 24)
moved = sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])
print(f"non-black {lit / pixels:.0%}, changed {moved / pixels:.0%}")
assert lit > pixels // 4 and moved > pixels // 50
PY

click() { xdotool mousemove "$((mx + $1))" "$((my + $2))" click 1; }
click 160 117  # Pause
sleep 0.5
held=$(last tick pos)
sleep 0.7
[ "$(last tick pos)" = "$held" ] || fail "the position moved while paused ($held -> $(last tick pos))"
# A click on the seek slider's track, away from the knob: the knob's left edge at x of its
# 280-pixel travel (the track starts at 10, the knob is 20 wide) is 5000 * x / 280 ms.
if [ "$held" -gt 2500 ]; then target=1000 knob=56; else target=4000 knob=224; fi
click $((10 + knob + 10)) 97
sleep 1
landed=$(last tick stream_pos)
echo "paused at $held, seek to $target landed at $landed"
[ "$landed" -ge $((target - 500)) ] && [ "$landed" -le $((target + 500)) ] ||
    fail "the seek to $target landed at $landed"

click 195 117  # Stop
sleep 0.8
[ -z "$(window_of 610x368)" ] || fail "the video window is still shown after Stop"
[ "$(last closed played)" = 0 ] || fail "the stream was not freed"
[ "$(last closed stream_len)" = 0 ] || fail "a length is still reported after Stop"

click 90 117  # Previous: selects the audio entry (stopped, it does not start it)
sleep 0.3
click 125 117  # Play
sleep 3
kill -0 "$app" || fail "the player died"
kill -TERM "$app"
wait "$app" || fail "exit status $?"
app=
python3 "$analyser" "$work/audio.raw" > "$work/runs"
cat "$work/runs"
python3 - "$work/runs" <<'PY' || fail "the audio entry was not heard"
import sys
runs = [line.split() for line in open(sys.argv[1])]
assert any(f == "440" and float(s) >= 1.5 for f, s in runs), runs
PY

# Closing the main window (SIGTERM closes it like its exit button) while a video is shown.
: > "$work/status.txt"
QT_QPA_PLATFORM=xcb TORVANELL_HOME=$work TORVANELL_WARNINGS_TO_STDERR=1 \
    TORVANELL_VIDEO_STATUS=$work/status.txt SDL_AUDIODRIVER=dummy "$player" "$work/clip.avi" \
    2> "$work/stderr.txt" &
app=$!
for _ in $(seq 100); do
    [ "$(last tick pos || true)" -ge 300 ] 2>/dev/null && break
    sleep 0.1
done
[ "$(last tick pos || true)" -ge 300 ] 2>/dev/null || fail "the video did not play a second time"
kill -TERM "$app"
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the player still runs 10 s after its main window closed"
wait "$app" || fail "exit status $? after closing during a video"
app=
! grep -q "X Error" "$work/stderr.txt" || fail "an X error at exit"
echo PASS
