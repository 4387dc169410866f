#!/bin/sh
# Drives the real player as a desktop's remote does, on a private session bus and X server:
# play, metadata of a tagged MP3 (title, artist, length), position, pause, next (with the
# change signal that carries the new title), set position, shuffle, loop status and volume
# round trips, stop, and quit over the bus (the modes and volume then saved).
#
# usage: mpris_test.sh TORVANELL_BINARY
set -eu
player=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for i in 1 2 3; do
    ffmpeg -v error -f lavfi -i "sine=frequency=$((220 * i)):sample_rate=44100:duration=20" \
        -ac 2 -c:a libmp3lame -b:a 64k -metadata title="Song $i" -metadata artist="Artist $i" \
        "$work/t$i.mp3"
done
printf '#EXTM3U\n%s\n%s\n%s\n' "$work/t1.mp3" "$work/t2.mp3" "$work/t3.mp3" > "$work/default.m3u"

cat > "$work/run.sh" <<INNER
#!/bin/sh
set -u
cd "$work"
. "$here/waits.sh"
pc() { playerctl -p torvanell "\$@"; }
check() {  # check WHAT EXPECTED ACTUAL
    if [ "\$2" != "\$3" ]; then echo "FAIL: \$1: expected '\$2', got '\$3'"; failed=1; fi
}
prints() {  # prints EXPECTED COMMAND...: COMMAND prints EXPECTED now
    _want=\$1; shift
    [ "\$("\$@")" = "\$_want" ]
}
until_prints() {  # until_prints EXPECTED COMMAND...: waits (10 s at most) for that; check tells
    wait_for 10 "'\$*' to print '\$1'" prints "\$@" || true
}
position_in() {  # position_in LOW HIGH: LOW < position < HIGH (seconds)
    pc position | awk -v lo="\$1" -v hi="\$2" '{ exit !(\$1 > lo && \$1 < hi) }'
}
on_bus() { playerctl -l 2>/dev/null | grep -qx torvanell; }
monitor_hears() {  # a probe signal of our own reaches the monitor's log
    dbus-send --session --type=signal /probe org.freedesktop.DBus.Properties.PropertiesChanged \
        string:monitor-probe
    grep -q monitor-probe "$work/signals.txt"
}
failed=0
"$player" 2>> "$work/stderr.txt" &
pid=\$!
wait_for 30 "the player on the bus" on_bus || { kill \$pid; exit 1; }
dbus-monitor --session "type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged'" \
    > "$work/signals.txt" 2>/dev/null &
monitor=\$!
wait_for 10 "the monitor to listen" monitor_hears || failed=1
check identity Torvanell "\$(dbus-send --session --print-reply=literal --dest=org.mpris.MediaPlayer2.torvanell \
    /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2 string:Identity \
    | tr -d ' ' | sed 's/^variant//')"
check "status before play" Stopped "\$(pc status)"
pc play; until_prints Playing pc status
wait_for 10 "the position to pass 0.3 s" position_in 0.3 5 || true
check "status after play" Playing "\$(pc status)"
check title "Song 1" "\$(pc metadata xesam:title)"
check artist "Artist 1" "\$(pc metadata xesam:artist)"
check "length near 20 s" yes "\$(pc metadata mpris:length | awk '{ print (\$1 > 19900000 && \$1 < 20200000) ? "yes" : "no" }')"
check "position moves" yes "\$(position_in 0.3 5 && echo yes || echo no)"
pc pause; until_prints Paused pc status
check "status after pause" Paused "\$(pc status)"
# Held in the pause: ten reads over the bus, each a round trip through the player, agree.
p1=\$(pc position)
for _ in 1 2 3 4 5 6 7 8 9 10; do check "position held in pause" "\$p1" "\$(pc position)"; done
pc play; until_prints Playing pc status
check "status after resume" Playing "\$(pc status)"
pc next; until_prints "Song 2" pc metadata xesam:title
check "title after next" "Song 2" "\$(pc metadata xesam:title)"
check "trackid after next" "/org/torvanell/track/1" "\$(pc metadata mpris:trackid | tr -d "'")"
pc position 12; wait_for 10 "the position to reach 12 s" position_in 11.999 13.5 || true
check "set position" yes "\$(pc position | awk '{ print (\$1 >= 12 && \$1 < 13.5) ? "yes" : "no" }')"
for s in On Off; do pc shuffle \$s; until_prints \$s pc shuffle; check shuffle \$s "\$(pc shuffle)"; done
for l in Playlist Track None Track; do pc loop \$l; until_prints \$l pc loop; check loop \$l "\$(pc loop)"; done
pc volume 0.25; until_prints 0.250000 pc volume
check volume 0.250000 "\$(pc volume)"
pc stop; until_prints Stopped pc status
check "status after stop" Stopped "\$(pc status)"
stopped_signal() { grep -q 'string "Stopped"' "$work/signals.txt"; }
wait_for 10 "the Stopped signal" stopped_signal || true
kill \$monitor
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.torvanell /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Quit > /dev/null
if ! wait_for 10 "Quit to end the player" process_gone \$pid; then
    echo "FAIL: Quit did not end the player"; touch "$work/quit-failed"; kill \$pid
fi
wait \$pid; echo "player exit status \$?"
exit \$failed
INNER
chmod +x "$work/run.sh"

export TORVANELL_HOME="$work"
export TORVANELL_WARNINGS_TO_STDERR=1
export SDL_AUDIODRIVER=dummy
export QT_QPA_PLATFORM=xcb
fail() { echo "FAIL: $*"; cat "$work/stderr.txt" 2>/dev/null; exit 1; }
xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- "$work/run.sh" > "$work/out.txt" 2>&1 ||
    { cat "$work/out.txt"; fail "the remote's round trips"; }
cat "$work/out.txt"
grep -q "player exit status 0" "$work/out.txt" || fail "the player did not end cleanly"
[ ! -e "$work/quit-failed" ] || fail "Quit over the bus did not end the player"
# The change signal of the track change carries the second title; the others their values.
grep -A40 'string "Metadata"' "$work/signals.txt" | grep -q 'string "Song 2"' ||
    fail "no PropertiesChanged with the new title on next"
for name in PlaybackStatus Shuffle LoopStatus Volume; do
    grep -q "string \"$name\"" "$work/signals.txt" || fail "no PropertiesChanged for $name"
done
grep -q '^Volume=25$' "$work/settings.ini" || fail "the volume set over the bus was not saved"
grep -q '^Random=0$' "$work/settings.ini" || fail "shuffle off was not saved"
grep -q '^Replay=2$' "$work/settings.ini" || fail "loop Track was not saved as replay one"
echo PASS
