#!/bin/sh
# The global hotkeys through the desktop portal: on a private session bus with our stand-in
# for the portal's GlobalShortcuts, a player on a platform without X11 key grabs registers
# the eight actions with their Ctrl+Alt keys as preferred triggers, an activation of
# "Hotkey4" moves the playing title to the next one, and the session is closed at exit.
#
# usage: portal_hotkeys_test.sh TORVANELL_BINARY MOCK_PORTAL_BINARY
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export player="$1" mock="$2" work

for f in first second; do
    ffmpeg -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=30" -ac 2 \
        -c:a pcm_s16le "$work/$f.wav"
done
printf '#EXTM3U\n%s\n%s\n' "$work/first.wav" "$work/second.wav" > "$work/default.m3u"
cat > "$work/expected.txt" <<'LIST'
Hotkey1	CTRL+ALT+Insert	Play
Hotkey2	CTRL+ALT+Home	Pause
Hotkey3	CTRL+ALT+Page_Up	Previous title
Hotkey4	CTRL+ALT+Page_Down	Next title
Hotkey5	CTRL+ALT+Right	Forward 5 seconds
Hotkey6	CTRL+ALT+Left	Back 5 seconds
Hotkey7	CTRL+ALT+Up	Volume up
Hotkey8	CTRL+ALT+Down	Volume down
LIST

cat > "$work/run.sh" <<'INNER'
#!/bin/sh
set -u
pid= mockpid=
fail() {
    echo "FAIL: $*"; cat "$work/stderr.txt"
    for p in $pid $mockpid; do kill -9 "$p" 2>/dev/null; done
    exit 1
}
wait_for() {  # wait_for SECONDS COMMAND...: polls every 0.1 s
    limit=$(($1 * 10)); shift
    i=0
    until "$@"; do
        i=$((i + 1)); [ "$i" -le "$limit" ] || return 1
        sleep 0.1
    done
}
"$mock" "$work/portal.log" > "$work/mock.out" 2>> "$work/stderr.txt" &
mockpid=$!
wait_for 20 grep -q ready "$work/mock.out" || fail "the stand-in portal did not start"
"$player" 2>> "$work/stderr.txt" &
pid=$!
bound() { [ "$(grep -c '^Hotkey' "$work/portal.log" 2>/dev/null)" = 8 ]; }
wait_for 20 bound || fail "the eight shortcuts were not bound: $(cat "$work/portal.log")"
diff "$work/expected.txt" "$work/portal.log" || fail "the bound shortcuts differ"
title_is() { [ "$(playerctl -p torvanell metadata xesam:title 2>/dev/null)" = "$1" ]; }
wait_for 20 playerctl -p torvanell play 2>/dev/null || fail "no remote control on the bus"
wait_for 20 title_is first || fail "first.wav does not play"
dbus-send --session --type=method_call --dest=org.freedesktop.portal.Desktop \
    /org/freedesktop/portal/desktop org.torvanell.test.MockPortal.Trigger string:Hotkey4
wait_for 20 title_is second || fail "Hotkey4 did not move to the next title"
kill -TERM "$pid"
wait "$pid" || fail "the player's exit status $?"
pid=
grep -qx closed "$work/portal.log" || fail "the shortcut session was not closed at exit"
kill "$mockpid"
echo PASS
INNER
chmod +x "$work/run.sh"

export TORVANELL_HOME="$work"
export TORVANELL_WARNINGS_TO_STDERR=1
export SDL_AUDIODRIVER=dummy
export QT_QPA_PLATFORM=offscreen
dbus-run-session -- "$work/run.sh"
