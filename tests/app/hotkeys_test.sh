#!/bin/sh
# Drives the real player with the global hotkeys under a private X server, with SDL's disk
# driver recording what is heard, on playlists of three generated tones (440 and 880 Hz of
# 30 s, 660 Hz of 6 s):
#   A: Insert plays, Page Down goes to the next title, Right 4 s before its end jumps to its
#      end (the third tone follows at once), Home pauses (silence), and with NumLock on Up
#      still steps the channel volume and Home resumes.
#   B: another client holds Ctrl+Alt+Insert first; the player (started on the 660 tone from
#      its command line) keeps running and the other seven work: Left brings the tone back to
#      its start, Page Down and Page Up change the title, Right cuts the short tone, Up, Up and
#      Down leave the volume one step up, Home pauses and resumes; Insert in the pause is not
#      heard.
# Each step waits for what it causes to be heard in the recording (with generous timeouts), so
# a slow machine only makes the test slower.
#
# usage: hotkeys_test.sh TORVANELL_BINARY HOLDER_BINARY RUNS_ANALYSER
set -eu
player=$1
holder=$2
analyser=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
waits=$(cd "$(dirname "$0")" && pwd)/waits.sh
export player holder analyser work waits

tone() { ffmpeg -v error -f lavfi -i "sine=frequency=$1:sample_rate=44100:duration=$2" -ac 2 \
    -c:a pcm_s16le "$work/$3"; }
tone 440 30 t1.wav
tone 660 6 t2.wav
tone 880 30 t3.wav

# waitfor.py RAW LABEL TIMEOUT [SECONDS]: waits until the last SECONDS (default 0.1) of the
# recording are all LABEL ("silence" or a frequency as analyse_runs.py names it).
cat > "$work/waitfor.py" <<'PY'
import array, os, sys, time
sys.path.insert(0, os.path.dirname(os.path.abspath(os.environ["analyser"])))
from analyse_runs import WINDOW, frequency_label

raw, want, timeout = sys.argv[1], sys.argv[2], float(sys.argv[3])
count = max(2, round(float(sys.argv[4] if len(sys.argv) > 4 else 0.1) * 44100 / WINDOW))
deadline = time.monotonic() + timeout
labels = []
while time.monotonic() < deadline:
    frames = os.path.getsize(raw) // 8 if os.path.exists(raw) else 0
    if frames >= count * WINDOW:
        with open(raw, "rb") as f:
            f.seek((frames - count * WINDOW) * 8)
            samples = array.array("f")
            samples.frombytes(f.read(count * WINDOW * 8))
        left = samples[0::2]
        labels = []
        for i in range(count):
            chunk = left[i * WINDOW:(i + 1) * WINDOW]
            labels.append("silence" if max(abs(v) for v in chunk) < 0.01
                          else frequency_label(chunk))
        if all(label == want for label in labels):
            sys.exit(0)
    time.sleep(0.05)
print(f"timed out waiting for {want}; last windows: {labels[-8:]}")
sys.exit(1)
PY

cat > "$work/run.sh" <<'INNER'
#!/bin/sh
set -u
cd "$work"
. "$waits"
key() { xdotool key "$@"; }
die() { echo "FAIL: $*"; exit 1; }
step=0
hear() {  # hear RUN LABEL [SECONDS]
    step=$((step + 1))
    python3 "$work/waitfor.py" "$work/$1.raw" "$2" 30 "${3:-0.1}" ||
        die "$1: step $step never heard $2"
}
start() {  # start RUN PLAYLIST-ENTRIES... [-- FIRST-ARGUMENT]; settings.ini from $ini
    run=$1; shift
    if [ -n "$ini" ]; then printf '[Settings]\n%s\n' "$ini" > settings.ini; else rm -f settings.ini; fi
    { echo '#EXTM3U'; while [ $# -gt 0 ] && [ "$1" != -- ]; do echo "$work/$1"; shift; done; } \
        > default.m3u
    [ $# -gt 0 ] && shift
    SDL_DISKAUDIOFILE="$work/$run.raw" "$player" "$@" 2>> "$work/stderr.txt" &
    pid=$!
    # The hotkeys are grabbed while the main window is created, before it is first shown.
    wait_for 60 "$run: the player's window" window_or_death ||
        die "$run: no player window after 60 s"
    kill -0 $pid 2>/dev/null || die "$run: the player died while starting"
    "$holder" probe Next || die "$run: the player does not hold Ctrl+Alt+Page Down"
}
window_or_death() {
    [ -n "$(xdotool search --onlyvisible --name '^Torvanell$' 2>/dev/null)" ] ||
        ! kill -0 $pid 2>/dev/null
}
stop() {
    kill -0 $pid || die "player of $run died"
    if stop_player $pid; then echo 0 > "$work/$run.status"; else echo failed > "$work/$run.status"; fi
    cp settings.ini "$work/$run.ini"
}
recorded() {  # recorded RUN SECONDS: waits until SECONDS more of RUN's recording are out
    target=$(( $(stat -c %s "$work/$1.raw") + $(awk -v s="$2" 'BEGIN { print int(s * 352800) }') ))
    wait_for 30 "$2 s more of $1's recording" file_reaches "$work/$1.raw" "$target" ||
        die "$1: the recording stopped"
}

# A
ini=
start a t1.wav t2.wav t3.wav
key ctrl+alt+Insert; hear a 440
key ctrl+alt+Next; hear a 660 2     # 4 s before the end of the 6 s tone
key ctrl+alt+Right; hear a 880
key ctrl+alt+Home; hear a silence 0.5
key Num_Lock
key ctrl+alt+Up
key ctrl+alt+Home; hear a 880
key Num_Lock
stop

# B
"$holder" hold Insert > "$work/holder.out" &
hold=$!
holding() { grep -q held "$work/holder.out" || ! kill -0 $hold 2>/dev/null; }
wait_for 30 "the holder to grab Ctrl+Alt+Insert" holding || die "the holder did not grab within 30 s"
grep -q held "$work/holder.out" || die "the holder could not grab Ctrl+Alt+Insert"
ini=Replay=1                             # replay all: the last entry's end wraps
start b t3.wav t1.wav -- "$work/t2.wav"  # plays the 660 tone as the third entry
hear b 660 1.5
key ctrl+alt+Left                        # back to its start: heard for 7.5 s in all
hear b 880                               # the track's end wraps to the first entry
key ctrl+alt+Next; hear b 440
key ctrl+alt+Prior; hear b 880
key ctrl+alt+Prior; hear b 660           # wraps to the last entry
key ctrl+alt+Right; hear b 880           # 5 s on: the short tone's end
key ctrl+alt+Up; key ctrl+alt+Up; key ctrl+alt+Down
key ctrl+alt+Home; hear b silence
key ctrl+alt+Insert; recorded b 1.5      # held elsewhere: the pause stays silent
hear b silence 1.5
key ctrl+alt+Home; hear b 880
stop
kill $hold
INNER
chmod +x "$work/run.sh"

export TORVANELL_HOME="$work"
export TORVANELL_WARNINGS_TO_STDERR=1
export SDL_AUDIODRIVER=disk
export QT_QPA_PLATFORM=xcb  # the hotkeys exist only on a real X connection
fail() { echo "FAIL: $*"; cat "$work/stderr.txt"; exit 1; }
xvfb-run -a -s "-screen 0 1024x768x24" "$work/run.sh" || fail "the hotkey run"

for run in a b; do
    [ "$(cat "$work/$run.status")" = 0 ] || fail "run $run exit status $(cat "$work/$run.status")"
done
grep -q '^Volume=81$' "$work/a.ini" || fail "A: NumLock Up did not reach the volume"
grep -q '^TrackPos=2$' "$work/a.ini" || fail "A: not on the third title"
grep -q '^Volume=81$' "$work/b.ini" || fail "B: Up, Up, Down did not work beside the held Insert"
grep -q '^TrackPos=0$' "$work/b.ini" || fail "B: not back on the first title"

python3 "$analyser" "$work/a.raw" > "$work/a.runs"
python3 "$analyser" "$work/b.raw" > "$work/b.runs"
echo "A:"; cat "$work/a.runs"; echo "B:"; cat "$work/b.runs"
# Checks the tones heard in order (silence left out, runs of one tone merged unless silence
# parts them) against an expected list of (tone, minimum seconds, maximum seconds), and that the
# silence after the tone numbered PAUSE (from 0) lasts at least the given seconds: the short
# gaps of a track change are not a pause.
cat > "$work/expect.py" <<'PY'
import sys
tones, gaps, silent = [], [], False
for line in open(sys.argv[1]):
    label, seconds = line.split()
    if label == "silence":
        silent = True
        if gaps:
            gaps[-1] += float(seconds)
        continue
    if tones and tones[-1][0] == label and not silent:
        tones[-1][1] += float(seconds)
    else:
        tones.append([label, float(seconds)])
        gaps.append(0.0)
    silent = False
expected, pause, pause_seconds = eval(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4])
assert [t for t, _ in tones] == [t for t, _, _ in expected], tones
for (tone, seconds), (_, low, high) in zip(tones, expected):
    assert low <= seconds <= high, (tone, seconds, low, high)
assert gaps[pause] >= pause_seconds, ("pause", gaps)
PY
# A: the 660 run cut short by the seek (it would last 6 s), the pause between two 880 runs.
python3 "$work/expect.py" "$work/a.runs" \
    '[("440", 0.1, 60), ("660", 1.5, 4.5), ("880", 0.1, 60), ("880", 0.1, 60)]' 2 0.5 ||
    fail "A: wrong sequence"
# B: Left makes the 6 s tone last at least 7 s; Right cuts it below 4.5 s; the pause with the
# held Insert is silent for at least 1.5 s.
python3 "$work/expect.py" "$work/b.runs" \
    '[("660", 7.0, 13), ("880", 0.1, 60), ("440", 0.1, 60), ("880", 0.1, 60), ("660", 0.1, 4.5),
      ("880", 0.1, 60), ("880", 0.1, 60)]' 5 1.5 ||
    fail "B: wrong sequence"
echo PASS
