#!/bin/sh
# Starts the player under a private X server (or Qt's offscreen platform when no Xvfb is
# installed) with a prepared default.m3u that mixes entries in the player's own form with lines
# other programs write (blank lines, comments, a path without an information line, an unknown
# length "-1", a fractional length, a relative path), sends SIGTERM and checks that the
# default.m3u written at exit is, byte for byte, the playlist in the player's own form.
#
# usage: m3u_roundtrip_test.sh TORVANELL_BINARY
set -eu
player=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"

# Own entries end in CR LF; the foreign part uses bare LF and has no final line break.
printf '#EXTM3U\r\n#EXTINF:205,Artist - Title\r\n/music/a.mp3\r\n#EXTINF:61,The Title, Part 2\r\n/music/b.ogg\r\n' \
    > "$work/default.m3u"
printf '\n# a comment between entries\n/music/bare.flac\n#EXTINF:-1,Stream Radio\n/music/unknown.mp3\n#EXTINF:3725,Long\n/music/long.mp3\n   \n#EXTINF:12.6,Fraction\nsub/rel.wav' \
    >> "$work/default.m3u"

# What the player writes back: its own form, every line in CR LF, lengths in whole seconds
# (-1 where none is known), the relative path resolved against the playlist's folder.
printf '#EXTM3U\r\n#EXTINF:205,Artist - Title\r\n/music/a.mp3\r\n#EXTINF:61,The Title, Part 2\r\n/music/b.ogg\r\n#EXTINF:-1,bare.flac\r\n/music/bare.flac\r\n#EXTINF:-1,Stream Radio\r\n/music/unknown.mp3\r\n#EXTINF:3725,Long\r\n/music/long.mp3\r\n#EXTINF:13,Fraction\r\n%s/sub/rel.wav\r\n' \
    "$work" > "$work/expected.m3u"

# SIGTERM once the player listens for later starts: its playlist is loaded by then.
cat > "$work/run.sh" <<INNER
#!/bin/sh
. "$here/waits.sh"
"$player" 2> "$work/stderr.txt" &
pid=\$!
if wait_for 60 "the player to listen" player_answers "$work/run" && stop_player \$pid; then
    echo 0 > "$work/status"
else
    kill -KILL \$pid 2>/dev/null
    echo failed > "$work/status"
fi
INNER
chmod +x "$work/run.sh"

export TORVANELL_HOME="$work"
export TORVANELL_WARNINGS_TO_STDERR=1
export SDL_AUDIODRIVER=dummy
if command -v xvfb-run >/dev/null 2>&1; then
    xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh"
else
    QT_QPA_PLATFORM=offscreen "$work/run.sh"
fi

status=$(cat "$work/status")
if [ "$status" != 0 ]; then
    echo "FAIL: exit status $status"; cat "$work/stderr.txt"; exit 1
fi
if ! cmp "$work/expected.m3u" "$work/default.m3u"; then
    echo "FAIL: default.m3u differs from the expected file"
    echo "--- expected"; od -c "$work/expected.m3u" | head -40
    echo "--- written"; od -c "$work/default.m3u" | head -40
    exit 1
fi
echo "PASS: default.m3u round trip"
