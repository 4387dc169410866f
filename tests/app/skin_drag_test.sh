#!/usr/bin/env bash
# The real player under Xvfb: the main window has no window-manager frame (Motif hints without
# decorations), is 320 x 480, and a drag from its background moves it and snaps its left edge
# onto the screen's. Run bare (our own drag loop), and with openbox when WITH_WM=1 (the window
# manager runs the move; exits 77, skipped, when openbox is not installed). A press alone
# moves nothing: the drag starts after a few pixels of travel.
# Usage: skin_drag_test.sh PLAYER
# The X server takes the first free display number, so parallel runs do not meet.
set -euo pipefail
player=$1
. "$(dirname "$0")/waits.sh"
home=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$home/display" >/dev/null 2>&1 &
xvfb=$!
wm=
cleanup() {
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT
wait_for 10 "the X server" test -s "$home/display"
export DISPLAY=:$(head -n1 "$home/display")
# Our own server answers (the number it wrote is no other's).
wait_for 10 "the X server to answer" xdotool getdisplaygeometry >/dev/null
kill -0 "$xvfb" || { echo "FAIL: the X server ended"; exit 1; }
if [ "${WITH_WM:-0}" = 1 ]; then
    command -v openbox >/dev/null || { echo "openbox not installed: skipped"; exit 77; }
    openbox >/dev/null 2>&1 &
    wm=$!
    # A window manager announces itself on the root window.
    wm_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_for 10 "openbox to manage the screen" wm_runs
fi
QT_QPA_PLATFORM=xcb TORVANELL_HOME=$home SDL_AUDIODRIVER=dummy TORVANELL_WARNINGS_TO_STDERR=1 "$player" &
app=$!
win=
find_window() {
    for id in $(timeout 5 xdotool search --name '^Torvanell$' 2>/dev/null); do
        if timeout 5 xdotool getwindowgeometry "$id" | grep -q 'Geometry: 320x480'; then win=$id; fi
    done
    [ -n "$win" ]
}
shown_or_ended() { find_window || process_gone "$app"; }
wait_for 30 "a 320x480 window" shown_or_ended || { echo "FAIL: no 320x480 window"; exit 1; }
if [ -z "$win" ]; then
    status=0
    wait "$app" || status=$?
    app=
    echo "FAIL: the player ended with status $status before showing its window"
    exit 1
fi
xprop -id "$win" _MOTIF_WM_HINTS | grep -q '= 0x2, 0x1, 0x0' || { echo "FAIL: framed"; exit 1; }
if [ -n "$wm" ]; then
    # The window manager keeps no frame around it either.
    framed() { xprop -id "$win" _NET_FRAME_EXTENTS | grep -q '='; }
    wait_for 10 "the window manager's frame extents" framed || true
    xprop -id "$win" _NET_FRAME_EXTENTS | grep -q '= 0, 0, 0, 0' ||
        { echo "FAIL: window manager frame: $(xprop -id "$win" _NET_FRAME_EXTENTS)"; exit 1; }
fi
position() {
    xdotool getwindowgeometry "$win" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p'
}
at() { [ "$(position)" = "$1 $2" ]; }
moved_from() { [ "$(position)" != "$1" ]; }
read -r x y < <(position)
# Grab the title band beside the wordmark and drag so the left edge lands 6 pixels from the
# screen's: it must snap onto it. Each step waits for the window to follow the pointer.
gx=$((x + 200)); gy=$((y + 10))
xdotool mousemove "$gx" "$gy" mousedown 1
# A press alone moves nothing; the drag starts once the pointer has travelled a few pixels, and
# the window manager's move follows the motions after that. Nudge the pointer 5 or 6 pixels
# down until the window follows.
nudge=0
follows_nudge() {
    nudge=$((1 - nudge))
    xdotool mousemove "$gx" $((gy + 5 + nudge))
    moved_from "$x $y"
}
wait_for 10 "the drag to start" follows_nudge || true
for step in 1 2 3 4 5; do
    before=$(position)
    xdotool mousemove $((gx - (x - 6) * step / 5)) $((gy + 20 * step / 5))
    wait_for 10 "the window to follow step $step of the drag" moved_from "$before" || true
done
xdotool mouseup 1
wait_for 10 "the window to settle at 0,$((y + 20))" at 0 $((y + 20)) || true
read -r nx ny < <(position)
echo "moved from $x,$y to $nx,$ny"
[ "$nx" = 0 ] || { echo "FAIL: left edge at $nx, not snapped to 0"; exit 1; }
# The window stays where the pointer holds it: 20 pixels down, no jump at the press.
[ "$ny" = $((y + 20)) ] || { echo "FAIL: top at $ny, not $((y + 20))"; exit 1; }
# The player closes in order and ends with status 0.
stop_player "$app" || exit 1
app=
echo PASS
