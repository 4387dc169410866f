#!/bin/sh
# One running player without XDG_RUNTIME_DIR: the socket goes to $TMPDIR/torvanell-UID, made
# with mode 0700, and a second `torvanell FILE` hands the file over and ends with status 0.
# A folder there that others can write to is refused with a message, and that start runs a
# player of its own. What plays is read through the remote control on a private session bus.
#
# usage: instance_tmpdir_test.sh TORVANELL_BINARY
set -eu
# On a private session bus, so the test can see through the remote control what plays.
if [ -z "${TV_PRIVATE_BUS:-}" ]; then
    TV_PRIVATE_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
player=$1
work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; cat "$work/stderr.txt" 2>/dev/null; exit 1; }

mkdir -p "$work/tmp"
for f in first second; do
    ffmpeg -nostdin -v error -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=30" -ac 2 \
        -c:a pcm_s16le "$work/$f.wav"
done
unset XDG_RUNTIME_DIR
export TMPDIR="$work/tmp"
export TORVANELL_HOME="$work"
export TORVANELL_WARNINGS_TO_STDERR=1
export SDL_AUDIODRIVER=dummy
export QT_QPA_PLATFORM=offscreen
folder="$work/tmp/torvanell-$(id -u)"

wait_for() {  # wait_for SECONDS COMMAND...: polls every 0.1 s
    limit=$(($1 * 10)); shift
    i=0
    until "$@"; do
        i=$((i + 1)); [ "$i" -le "$limit" ] || return 1
        sleep 0.1
    done
}
catches_term() {  # the player has set up its SIGTERM handler (it then closes cleanly)
    mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null)
    [ -n "$mask" ] && [ $((0x$mask & 0x4000)) -ne 0 ]
}
closes() {  # SIGTERM closes the player with status 0 within 20 s
    kill -TERM "$pid"
    (sleep 20; kill -9 "$pid") > /dev/null 2>&1 &
    watchdog=$!
    status=0
    wait "$pid" || status=$?
    kill "$watchdog" 2>/dev/null || true
    pid=
    [ "$status" = 0 ]
}
has_socket() { ls "$folder"/torvanell-*.sock > /dev/null 2>&1; }
playlist_has_second() { grep -q "second.wav" "$work/default.m3u" 2>/dev/null; }
plays_second() { [ "$(playerctl -p torvanell metadata xesam:title 2>/dev/null)" = second ]; }

"$player" "$work/first.wav" 2>> "$work/stderr.txt" & pid=$!
wait_for 20 has_socket || fail "no socket in $folder"
[ "$(stat -c %a "$folder")" = 700 ] || fail "$folder has mode $(stat -c %a "$folder")"
timeout 10 "$player" "$work/second.wav" 2>> "$work/stderr.txt" ||
    fail "the second start did not hand over and end with 0 (status $?)"
wait_for 20 plays_second || fail "the first player does not play second.wav"
closes || fail "the first player's exit status $status"
playlist_has_second || fail "the first player did not keep second.wav"

# A folder others can write to is not used: the start says so and runs on its own.
chmod 777 "$folder"
"$player" 2>> "$work/stderr.txt" & pid=$!
wait_for 20 grep -q "can be written by other users; this player runs on its own" \
    "$work/stderr.txt" || fail "no refusal of the open folder"
wait_for 20 catches_term || fail "the player did not come up"
! has_socket || fail "a socket was made in the refused folder"
closes || fail "the player's exit status $status"
echo PASS
