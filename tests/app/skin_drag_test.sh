#!/usr/bin/env bash
# The real player under Xvfb: the main window has no window-manager frame (Motif hints without
# decorations), is 320 x 480, and a drag from its background moves it and snaps its left edge
# onto the screen's. Run bare (our own drag loop), and with openbox when WITH_WM=1 (the window
# manager runs the move; exits 77, skipped, when openbox is not installed).
# Usage: skin_drag_test.sh PLAYER
# The X server takes the first free display number, so parallel runs do not meet.
set -euo pipefail
player=$1
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
for _ in $(seq 50); do
    [ -s "$home/display" ] && break
    sleep 0.1
done
[ -s "$home/display" ] || { echo "FAIL: no X server"; exit 1; }
export DISPLAY=:$(head -n1 "$home/display")
sleep 0.5
if [ "${WITH_WM:-0}" = 1 ]; then
    command -v openbox >/dev/null || { echo "openbox not installed: skipped"; exit 77; }
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
fi
QT_QPA_PLATFORM=xcb TORVANELL_HOME=$home SDL_AUDIODRIVER=dummy TORVANELL_WARNINGS_TO_STDERR=1 "$player" &
app=$!
win=
for _ in $(seq 50); do
    for id in $(xdotool search --name '^Torvanell$' 2>/dev/null); do
        if xdotool getwindowgeometry "$id" | grep -q 'Geometry: 320x480'; then win=$id; fi
    done
    [ -n "$win" ] && break
    sleep 0.2
done
[ -n "$win" ] || { echo "FAIL: no 320x480 window"; exit 1; }
xprop -id "$win" _MOTIF_WM_HINTS | grep -q '= 0x2, 0x1, 0x0' || { echo "FAIL: framed"; exit 1; }
if [ -n "$wm" ]; then
    # The window manager keeps no frame around it either.
    for _ in $(seq 20); do
        xprop -id "$win" _NET_FRAME_EXTENTS | grep -q '=' && break
        sleep 0.1
    done
    xprop -id "$win" _NET_FRAME_EXTENTS | grep -q '= 0, 0, 0, 0' ||
        { echo "FAIL: window manager frame: $(xprop -id "$win" _NET_FRAME_EXTENTS)"; exit 1; }
fi
read -r x y < <(xdotool getwindowgeometry "$win" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
# Grab the title band beside the wordmark and drag so the left edge lands 6 pixels from the
# screen's: it must snap onto it.
gx=$((x + 200)); gy=$((y + 10))
xdotool mousemove "$gx" "$gy" mousedown 1
sleep 0.3
for step in 1 2 3 4 5; do
    xdotool mousemove $((gx - (x - 6) * step / 5)) $((gy + 20 * step / 5))
    sleep 0.1
done
xdotool mouseup 1
sleep 0.5
read -r nx ny < <(xdotool getwindowgeometry "$win" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
echo "moved from $x,$y to $nx,$ny"
[ "$nx" = 0 ] || { echo "FAIL: left edge at $nx, not snapped to 0"; exit 1; }
# The window stays where the pointer holds it: 20 pixels down, no jump at the press.
[ "$ny" = $((y + 20)) ] || { echo "FAIL: top at $ny, not $((y + 20))"; exit 1; }
echo PASS
