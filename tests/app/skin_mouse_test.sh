#!/usr/bin/env bash
# The real player's mouse on its skin under Xvfb, bare and with openbox when WITH_WM=1 (exits
# 77, skipped, when openbox is not installed). First run: right-click on the playing spectrum
# opens its small menu, and its "None" item changes the mode (saved at exit). Second run: ten
# rounds of clicks on the time display, the spectrum and the background leave the window where
# it was, and every spectrum click changes the mode (None -> Lines -> Big Lines -> None ...,
# ten clicks end on Lines); right-click on the background opens the context menu, whose "Stop"
# stops the player (the spectrum hides, so a right-click there opens the context menu).
# Usage: skin_mouse_test.sh PLAYER
set -euo pipefail
player=$1
. "$(dirname "$0")/waits.sh"
home=$(mktemp -d)
ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=600" -ac 2 \
    "$home/tone.wav"
Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$home/display" >/dev/null 2>&1 &
xvfb=$!
wm=
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT
wait_for 10 "the X server" test -s "$home/display"
export DISPLAY=:$(head -n1 "$home/display")
wait_for 10 "the X server to answer" xdotool getdisplaygeometry >/dev/null
if [ "${WITH_WM:-0}" = 1 ]; then
    command -v openbox >/dev/null || { echo "openbox not installed: skipped"; exit 77; }
    openbox >"$home/openbox.log" 2>&1 &
    wm=$!
    wm_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_for 10 "openbox to manage the screen" wm_runs || { cat "$home/openbox.log"; exit 1; }
fi

win=
# The player's shown windows other than the main one, as "WIDTHxHEIGHT" lines.
popups() {
    for id in $(timeout 5 xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
        [ "$id" = "$win" ] && continue
        timeout 5 xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: \([0-9x]*\).*/\1/p'
    done | grep -v '^1x1$' || true
}
menu_height() { popups | head -n1 | cut -dx -f2; }
menu_shown() { [ -n "$(popups)" ]; }
no_menu() { [ -z "$(popups)" ]; }
# The spectrum's menu holds two lines ("Mode", "Speed"); the context menu ten.
small_menu() { [ "$(menu_height)" -lt 100 ]; }
large_menu() { [ "$(menu_height)" -gt 150 ]; }
position() {
    xdotool getwindowgeometry "$win" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p'
}

start_player() {
    QT_QPA_PLATFORM=xcb TORVANELL_HOME=$home SDL_AUDIODRIVER=dummy \
        TORVANELL_WARNINGS_TO_STDERR=1 "$player" "$home/tone.wav" &
    app=$!
    win=
    find_window() {
        for id in $(timeout 5 xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
            if timeout 5 xdotool getwindowgeometry "$id" | grep -q 'Geometry: 320x480'; then
                win=$id
            fi
        done
        [ -n "$win" ]
    }
    shown_or_ended() { find_window || process_gone "$app"; }
    wait_for 30 "a 320x480 window" shown_or_ended || { echo "FAIL: no window"; exit 1; }
    [ -n "$win" ] || { echo "FAIL: the player ended before showing its window"; exit 1; }
    read -r x y < <(position)
}
# within SECONDS COMMAND...: polls COMMAND every 50 ms until it succeeds or SECONDS have
# passed on the clock (wait_for counts tries and keeps its state in globals, so conditions
# that wait themselves are polled with this).
within() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}
# menu_opens KIND X Y: right-clicks at X,Y and waits for a menu; true when it is of KIND
# (small_menu or large_menu), left open; else the menu is closed again. The spectrum shows
# once the sound plays and hides once the stop's fade ends, so callers poll this.
menu_opens() {
    xdotool mousemove "$2" "$3" click 3
    within 5 menu_shown || return 1
    "$1" && return 0
    xdotool key Escape
    within 5 no_menu
    return 1
}
mode() { sed -n 's/^SpectrumMode=//p' "$home/settings.ini"; }

# First run: the spectrum's menu, Mode > None.
start_player
within 30 menu_opens small_menu $((x + 160)) $((y + 42)) ||
    { echo "FAIL: right-click on the spectrum opened no menu of its own"; exit 1; }
xdotool key Down Right Down Down Return  # "Mode", its "Big Lines", "Lines", "None"
wait_for 5 "the menu to close" no_menu || { echo "FAIL: the menu stayed open"; exit 1; }
stop_player "$app" || exit 1
app=
[ "$(mode)" = 2 ] || { echo "FAIL: the menu's None left SpectrumMode=$(mode)"; exit 1; }
echo "the spectrum menu chose None"

# Second run: clicks that must not move the window, each spectrum click counted.
start_player
within 30 menu_opens small_menu $((x + 160)) $((y + 42)) ||
    { echo "FAIL: right-click on the spectrum opened no menu of its own"; exit 1; }
xdotool key Escape
wait_for 5 "the menu to close" no_menu || { echo "FAIL: the menu stayed open"; exit 1; }
for round in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((x + 50)) $((y + 42)) click 1   # the time display
    xdotool mousemove $((x + 160)) $((y + 42)) click 1  # the spectrum
    xdotool mousemove $((x + 200)) $((y + 10)) click 1  # the background beside the wordmark
done
# The context menu opens once the player has taken every click before it.
xdotool mousemove $((x + 200)) $((y + 10)) click 3
wait_for 5 "the context menu" large_menu || { echo "FAIL: no context menu ($(popups))"; exit 1; }
read -r nx ny < <(position)
[ "$nx $ny" = "$x $y" ] ||
    { echo "FAIL: the clicks moved the window from $x,$y to $nx,$ny"; exit 1; }
echo "thirty clicks left the window at $x,$y"
xdotool key Down Down Down Return  # "Play", "Pause", "Stop"
wait_for 5 "the menu to close" no_menu || { echo "FAIL: the menu stayed open"; exit 1; }
# Stopped, the spectrum is hidden: a right-click at its place is one on the background.
within 15 menu_opens large_menu $((x + 160)) $((y + 42)) ||
    { echo "FAIL: Stop did not stop the player"; exit 1; }
xdotool key Escape
wait_for 5 "the menu to close" no_menu || { echo "FAIL: the menu stayed open"; exit 1; }
stop_player "$app" || exit 1
app=
[ "$(mode)" = 0 ] ||
    { echo "FAIL: ten spectrum clicks from None left SpectrumMode=$(mode), not 0"; exit 1; }
echo PASS
