#!/bin/sh
# The whole player on a Wayland compositor (run inside weston_session.sh and a private session
# bus): it starts with its saved playlist, plays a file (seen through its remote-control
# interface), shows its skinned main window (a screenshot differs from the empty desktop over
# most of the window's area), takes a video from a second start and plays it in its video
# window (the position advances; the picture stays black, with a warning, as libmpv cannot
# draw into a Wayland window), closes on SIGTERM with status 0 and writes the playlist back
# in its own form with every entry in order.
#
# usage: player_test.sh TORVANELL_BINARY VIDEO_FIXTURE
# With TORVANELL_SCREENSHOT_DIR set, the screenshots are copied there as wayland-*.png.
set -eu
player=$1
video=$2
work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; cat "$work/stderr.txt" 2>/dev/null; exit 1; }
wait_for() {  # wait_for SECONDS COMMAND...: polls every 0.1 s
    limit=$(($1 * 10)); shift
    i=0
    until "$@"; do
        i=$((i + 1)); [ "$i" -le "$limit" ] || return 1
        sleep 0.1
    done
}
shot() {  # shot NAME: the whole output as $work/NAME.png
    mkdir -p "$work/shots"
    (cd "$work/shots" && rm -f wayland-screenshot-*.png && weston-screenshooter) ||
        fail "weston-screenshooter failed"
    mv "$work/shots"/wayland-screenshot-*.png "$work/$1.png"
    if [ -n "${TORVANELL_SCREENSHOT_DIR:-}" ]; then cp "$work/$1.png" "$TORVANELL_SCREENSHOT_DIR/$1.png"; fi
}
differing() {  # differing A B: how many pixels of the two screenshots differ
    compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | awk '{ printf "%d", $1 }' || true
}
desktop_drawn() {  # the compositor has drawn its (grey) background: the empty desktop to compare with
    shot wayland-empty
    [ "$(convert "$work/wayland-empty.png" -format '%[fx:mean > 0.2]' info:)" = 1 ]
}
title_is() { [ "$(playerctl -p torvanell metadata xesam:title 2>/dev/null)" = "$1" ]; }
status_is() { [ "$(playerctl -p torvanell status 2>/dev/null)" = "$1" ]; }
video_at_least() {  # the video window's position bar has reached $1 ms
    pos=$(grep '^tick ' "$work/status.txt" 2>/dev/null | tail -n 1 | tr ' ' '\n' | sed -n 's/^pos=//p')
    [ "${pos:-0}" -ge "$1" ]
}

for f in first second; do
    ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=30" -ac 2 \
        -c:a pcm_s16le "$work/$f.wav"
done
cp "$video" "$work/clip.avi"
# The player's own form for the first entry, a foreign bare line for the second.
printf '#EXTM3U\r\n#EXTINF:30,first\r\n%s\r\n# a comment\n%s\n' "$work/first.wav" \
    "$work/second.wav" > "$work/default.m3u"

export TORVANELL_HOME="$work"
export TORVANELL_WARNINGS_TO_STDERR=1
export TORVANELL_VIDEO_STATUS="$work/status.txt"
export SDL_AUDIODRIVER=dummy

wait_for 20 desktop_drawn || fail "weston drew no desktop"
"$player" 2>> "$work/stderr.txt" & pid=$!
wait_for 20 playerctl -p torvanell status > /dev/null 2>&1 || fail "the player did not start"
playerctl -p torvanell play
wait_for 20 status_is Playing || fail "nothing plays"
title_is first || fail "the first entry does not play"
shot wayland-main
shown=$(differing wayland-empty wayland-main)
[ "${shown:-0}" -ge 100000 ] || fail "the main window is not on the screen ($shown pixels changed)"

# A second start hands the video over; the running player plays it in its video window.
timeout 10 "$player" "$work/clip.avi" 2>> "$work/stderr.txt" || fail "the hand-over failed"
wait_for 20 video_at_least 1000 || fail "the video does not advance"
shot wayland-video
shown=$(differing wayland-main wayland-video)
[ "${shown:-0}" -ge 100000 ] || fail "the video window is not on the screen ($shown pixels changed)"
# libmpv cannot draw into a Wayland window: the picture stays black, which is said once.
grep -q "video pictures are not shown under Wayland" "$work/stderr.txt" ||
    fail "no word that the video picture is not shown"
[ -z "${TORVANELL_SCREENSHOT_DIR:-}" ] || rm -f "$TORVANELL_SCREENSHOT_DIR/wayland-empty.png"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" = 0 ] || fail "exit status $status"
head -n 1 "$work/default.m3u" | grep -q '^#EXTM3U' || fail "default.m3u lost its header"
actual=$(grep -v '^#' "$work/default.m3u" | tr -d '\r')
expected=$(printf '%s\n' first.wav second.wav clip.avi | sed "s|^|$work/|")
[ "$actual" = "$expected" ] || fail "default.m3u holds:
$actual"
echo PASS
