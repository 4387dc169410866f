#!/bin/sh
# Starts the player with a file under a private X server (or Qt's offscreen platform when no
# Xvfb is installed) and SDL's disk driver, sends SIGTERM (or SIGINT) after a while and checks that the
# sound started within a second, ended in a fade of about 200 ms, that the program exited
# normally and that settings.ini and default.m3u were written.
#
# usage: sigterm_fade_test.sh TORVANELL_BINARY ANALYSER [SIGNAL]   (SIGNAL: TERM or INT)
set -eu
player=$1
analyser=$2
signal=${3:-TERM}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ffmpeg -v error -f lavfi -i "sine=frequency=1000:sample_rate=44100:duration=20" -ac 2 \
    -c:a pcm_s16le "$work/tone.wav"

# The signal once 1.5 s of the tone are out (the disk driver writes 32-bit float stereo).
cat > "$work/run.sh" <<INNER
#!/bin/sh
. "$here/waits.sh"
"$player" "$work/tone.wav" 2> "$work/stderr.txt" &
pid=\$!
if wait_for 60 "1.5 s of sound" file_reaches "$work/out.raw" 529200 &&
    stop_player \$pid $signal; then
    echo 0 > "$work/status"
else
    kill -KILL \$pid 2>/dev/null
    echo failed > "$work/status"
fi
INNER
chmod +x "$work/run.sh"

export TORVANELL_HOME="$work"
export TORVANELL_WARNINGS_TO_STDERR=1
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE="$work/out.raw"
if command -v xvfb-run >/dev/null 2>&1; then
    xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh"
else
    QT_QPA_PLATFORM=offscreen "$work/run.sh"
fi

status=$(cat "$work/status")
if [ "$status" != 0 ]; then
    echo "FAIL: exit status $status"; cat "$work/stderr.txt"; exit 1
fi
for f in settings.ini default.m3u; do
    [ -s "$work/$f" ] || { echo "FAIL: $f not written"; exit 1; }
done
grep -q "^Volume=80$" "$work/settings.ini" || { echo "FAIL: settings.ini lacks Volume=80"; exit 1; }
grep -q "tone.wav" "$work/default.m3u" || { echo "FAIL: default.m3u lacks the file"; exit 1; }
python3 "$analyser" "$work/out.raw"
