#!/bin/sh
# Time from starting the player until its main window is on screen, with a default.m3u of 100
# and of 100 000 entries, alternating, under a private X server. The 100-entry start is the
# peer: the difference is what the large playlist costs.
#   bench/core/startup_playlist.sh BUILD_DIR [RUNS]      (run it under xvfb-run -a)
set -eu
build=${1:?build folder}
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_home() {  # FOLDER ENTRIES
    mkdir -p "$1"
    python3 - "$1/default.m3u" "$2" <<'PY'
import sys
with open(sys.argv[1], "wb") as f:
    f.write(b"#EXTM3U\r\n")
    for i in range(int(sys.argv[2])):
        f.write(b"#EXTINF:%d,Artist %d - Title of track %d\r\n/music/folder%d/track%06d.mp3\r\n"
                % (100 + i % 500, i % 97, i, i % 300, i))
PY
}
make_home "$work/small" 100
make_home "$work/large" 100000
measure() {  # HOME -> milliseconds until the window is visible
    start=$(date +%s%N)
    TORVANELL_HOME=$1 SDL_AUDIODRIVER=dummy "$build/bin/torvanell" >/dev/null 2>&1 &
    pid=$!
    xdotool search --sync --onlyvisible --pid "$pid" >/dev/null 2>&1
    end=$(date +%s%N)
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo $(( (end - start) / 1000000 ))
}
: >"$work/log"
i=0
while [ $i -lt "$runs" ]; do
    echo "small $(measure "$work/small")" >>"$work/log"
    echo "large $(measure "$work/large")" >>"$work/log"
    i=$((i + 1))
done
median() { grep "^$1 " "$work/log" | cut -d' ' -f2 | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
s=$(median small); l=$(median large)
cat "$work/log"
echo "median ms until the window shows: 100 entries $s, 100000 entries $l, extra $((l - s)) ms"
