#!/bin/sh
# Time from starting the player until its main window is on screen, with a default.m3u of 100
# and of 100 000 entries, alternating, under a private X server. The 100-entry start is the
# peer: the difference is what the large playlist costs.
#   bench/core/startup_playlist.sh BUILD_DIR [RUNS]      (run it under xvfb-run -a)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"
bench_args "bench/core/startup_playlist.sh BUILD_DIR [RUNS]" 5 "$@"
runs=$bench_runs
tv=$(bench_bin "$bench_target" torvanell)
bench_workdir startup-bench
work=$bench_work
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
    TORVANELL_HOME=$1 SDL_AUDIODRIVER=dummy "$tv" >/dev/null 2>&1 &
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
s=$(bench_log_median "$work/log" small); l=$(bench_log_median "$work/log" large)
cat "$work/log"
echo "median ms until the window shows: 100 entries $s, 100000 entries $l," \
    "extra $(awk -v l="$l" -v s="$s" 'BEGIN { print l - s }') ms"
