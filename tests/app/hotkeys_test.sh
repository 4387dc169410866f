#!/bin/sh
# Drives the real player with the global hotkeys under a private X server, with SDL's disk
# driver recording what is heard, on a playlist of three generated tones (440, 660, 880 Hz):
#   A: Insert plays, Page Down goes to the next title, Right 4 s before its end jumps to its
#      end (the third tone follows at once), Home pauses (silence), and with NumLock on Up
#      still steps the channel volume and Home resumes.
#   B: another client holds Ctrl+Alt+Insert first: the player keeps running, Insert does
#      nothing, Page Down and Up still work.
#
# usage: hotkeys_test.sh TORVANELL_BINARY HOLDER_BINARY RUNS_ANALYSER
set -eu
player=$1
holder=$2
analyser=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tone() { ffmpeg -v error -f lavfi -i "sine=frequency=$1:sample_rate=44100:duration=$2" -ac 2 \
    -c:a pcm_s16le "$work/$3"; }
tone 440 30 t1.wav
tone 660 6 t2.wav
tone 880 30 t3.wav

cat > "$work/run.sh" <<INNER
#!/bin/sh
set -u
cd "$work"
key() { xdotool key "\$@"; }
start() {
    rm -f settings.ini
    printf '#EXTM3U\n%s\n%s\n%s\n' "$work/t1.wav" "$work/t2.wav" "$work/t3.wav" > default.m3u
    SDL_DISKAUDIOFILE="$work/\$1.raw" "$player" 2>> "$work/stderr.txt" &
    pid=\$!
    sleep 2
}
stop() {
    kill -0 \$pid || { echo "player of \$1 died"; exit 1; }
    kill -TERM \$pid
    wait \$pid
    echo \$? > "$work/\$1.status"
    cp settings.ini "$work/\$1.ini"
}
# A
start a
key ctrl+alt+Insert; sleep 1.5
key ctrl+alt+Next; sleep 2
key ctrl+alt+Right; sleep 1.5
key ctrl+alt+Home; sleep 1.5
key Num_Lock
key ctrl+alt+Up; sleep 0.3
key ctrl+alt+Home; sleep 1.5
key Num_Lock
stop a
# B
"$holder" > "$work/holder.out" &
hold=\$!
sleep 0.5
grep -q held "$work/holder.out" || { echo "holder did not grab"; exit 1; }
start b
key ctrl+alt+Insert; sleep 1
key ctrl+alt+Next; sleep 0.3
key ctrl+alt+Up; sleep 0.3
key ctrl+alt+Up; sleep 0.5
stop b
kill \$hold
INNER
chmod +x "$work/run.sh"

export TORVANELL_HOME="$work"
export TORVANELL_WARNINGS_TO_STDERR=1
export SDL_AUDIODRIVER=disk
export QT_QPA_PLATFORM=xcb  # the hotkeys exist only on a real X connection
xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh"

fail() { echo "FAIL: $*"; cat "$work/stderr.txt"; exit 1; }
for run in a b; do
    [ "$(cat "$work/$run.status")" = 0 ] || fail "run $run exit status $(cat "$work/$run.status")"
done
grep -q '^Volume=81$' "$work/a.ini" || fail "A: NumLock Up did not reach the volume"
grep -q '^TrackPos=2$' "$work/a.ini" || fail "A: not on the third title"
grep -q '^Volume=82$' "$work/b.ini" || fail "B: Up did not work beside the held Insert"
grep -q '^TrackPos=1$' "$work/b.ini" || fail "B: Page Down did not work beside the held Insert"

python3 "$analyser" "$work/a.raw" > "$work/a.runs"
python3 "$analyser" "$work/b.raw" > "$work/b.runs"
echo "A:"; cat "$work/a.runs"; echo "B:"; cat "$work/b.runs"
# A: the tones in order; the 660 run is cut short by the seek (it would last 6 s); silence
# (the pause) between two 880 runs (the NumLock resume).
python3 - "$work/a.runs" <<'PY' || fail "A: wrong sequence"
import sys
runs = [l.split() for l in open(sys.argv[1])]
tones = [(f, float(s)) for f, s in runs if f != "silence"]
names = [f for f, _ in tones]
assert names[:4] == ["440", "660", "880", "880"], names
assert tones[1][1] < 3.5, tones
labels = [f for f, _ in runs]
i = labels.index("880")
assert "silence" in labels[i:], labels
PY
grep -qv '^silence' "$work/b.runs" && fail "B: sound although Insert is held elsewhere"
echo PASS
