#!/bin/sh
# One running player per settings folder: two later starts `torvanell a.wav folder/` (relative
# names, from the test folder) hand their names to the first player and end at once with
# status 0; the first player's playlist grows by a.wav and the folder's files, in order, twice,
# and plays the handed-over file; default.m3u at exit has them. A player killed with SIGKILL
# leaves its socket behind: the next start replaces it at once and takes hand-overs itself.
# No session bus is reachable, so this also shows the player running without one.
#
# usage: single_instance_test.sh TORVANELL_BINARY
set -eu
player=$1
. "$(dirname "$0")/waits.sh"
work=$(mktemp -d)
pids=""
cleanup() { for p in $pids; do kill -9 "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; cat "$work/stderr.txt" 2>/dev/null; exit 1; }

tone() { ffmpeg -v error -f lavfi -i "sine=frequency=$1:sample_rate=44100:duration=30" -ac 2 \
    -c:a pcm_s16le "$2"; }
mkdir -p "$work/folder" "$work/run"
chmod 700 "$work/run"
tone 440 "$work/first.wav"
tone 550 "$work/a.wav"
tone 660 "$work/folder/x.wav"
tone 770 "$work/folder/y.wav"
printf '#EXTM3U\n%s\n' "$work/first.wav" > "$work/default.m3u"

export TORVANELL_HOME="$work"
export TORVANELL_WARNINGS_TO_STDERR=1
export XDG_RUNTIME_DIR="$work/run"
export SDL_AUDIODRIVER=dummy
export QT_QPA_PLATFORM=offscreen
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"

listening() {  # waits until a player answers on the folder's socket
    wait_for 30 "a player to listen" player_answers "$work/run"
}
playing_a() {  # the player PID has the handed-over a.wav open: it plays it
    ls -l "/proc/$1/fd" 2>/dev/null | grep -q "$work/a.wav\$"
}
start() { "$player" "$@" 2>> "$work/stderr.txt" & pid=$!; pids="$pids $pid"; }
second() {  # a later start must hand over and end by itself
    (cd "$work" && timeout 10 "$player" a.wav folder/ 2>> "$work/stderr.txt") ||
        fail "a later start did not hand over and end with 0 (status $?)"
}

start
first=$pid
listening || fail "the first player does not listen"
second
second
wait_for 30 "the first player to play the handed-over file" playing_a "$first" ||
    fail "the first player does not play a.wav"
stop_player "$first" || fail "the first player did not end cleanly"
expected=$(printf '%s\n' first.wav a.wav folder/x.wav folder/y.wav a.wav folder/x.wav folder/y.wav |
    sed "s|^|$work/|")
actual=$(grep -v '^#' "$work/default.m3u" | tr -d '\r')
[ "$actual" = "$expected" ] || fail "default.m3u:
$actual
expected:
$expected"
grep -q '^TrackPos=4$' "$work/settings.ini" || fail "the handed-over file was not made current"

# A crashed player's socket does not block the next start.
start
listening || fail "the second player does not listen"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
ls "$work/run"/torvanell-*.sock > /dev/null || fail "no socket file left to test with"
start
third=$pid
listening || fail "the player after the crash does not listen"
(cd "$work" && timeout 10 "$player" a.wav 2>> "$work/stderr.txt") ||
    fail "a hand-over to the player after the crash failed"
wait_for 30 "the third player to play a.wav" playing_a "$third" ||
    fail "the third player does not play a.wav"
stop_player "$third" || fail "the third player did not end cleanly"
[ "$(grep -c "^$work/a.wav" "$work/default.m3u")" = 3 ] || fail "the third player did not take a.wav"
# --new-instance opts out: a player of its own while another runs.
start
fourth=$pid
listening || fail "the fourth player does not listen"
# A player of its own plays its file (a start that hands over plays nothing and ends).
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/own.raw" "$player" --new-instance \
    "$work/first.wav" 2>> "$work/stderr.txt" &
pid=$!
pids="$pids $pid"
wait_for 30 "the --new-instance player to play" file_reaches "$work/own.raw" 176400 ||
    fail "--new-instance did not start a player of its own"
stop_player "$pid" || fail "the --new-instance player did not end cleanly"
stop_player "$fourth" || fail "the fourth player did not end cleanly"
echo PASS
