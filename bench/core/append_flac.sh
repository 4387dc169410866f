#!/bin/sh
# Adding 5 000 tagged FLAC files to the playlist until every row shows its duration, against
# ffprobe reading duration, artist and title of the same files, and against adding the 5 000
# tagged MP3 files of the tag-reading tree, alternating in one run, warm cache.
#   bench/core/append_flac.sh BUILD_DIR [RUNS] [STRIDE]
# STRIDE n > 1 runs ffprobe on every n-th FLAC file only and multiplies its times by n (one
# ffprobe process per file takes a long time on a loaded machine); 1 runs it on all of them.
# Times are the whole process: wall, and CPU (user + system) from /usr/bin/time.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"
bench_args "bench/core/append_flac.sh BUILD_DIR [RUNS] [STRIDE]" 3 "$@"
build=$bench_target
runs=$bench_runs
stride=${3:-1}
ours=$(bench_bin "$build" tv_append_bench)
bench_workdir append-flac-bench
flac=$build/bench-flac-tree
mp3=$build/bench-tags-tree
[ -d "$flac" ] || python3 "$here/make-flac-tree.py" "$flac" 5000
[ -d "$mp3" ] || python3 "$here/../tags/make-tree.py" "$mp3" 5000
list=$bench_work/ffprobe.list
find "$flac" -name '*.flac' | sort | awk -v s="$stride" '(NR - 1) % s == 0' >"$list"
cat "$flac"/*/* "$mp3"/*/* >/dev/null   # warm the cache
"$ours" "$flac" >/dev/null              # fails unless every row got a duration
"$ours" "$mp3" >/dev/null
log=$build/bench-append-flac.log
: >"$log"
measure() {  # name command...
    name=$1
    shift
    took=$(bench_wall_cpu "$@")
    echo "$name wall=${took% *} cpu=${took#* }" | tee -a "$log"
}
i=0
while [ $i -lt "$runs" ]; do
    measure flac "$ours" "$flac"
    measure mp3 "$ours" "$mp3"
    measure ffprobe sh -c 'while read -r f; do
        ffprobe -v error -show_entries format=duration:format_tags=artist,title -of csv=p=0 "$f"
    done <"$1"' sh "$list"
    i=$((i + 1))
done
for field in wall cpu; do
    f=$(bench_log_median "$log" flac $field); m=$(bench_log_median "$log" mp3 $field)
    p=$(bench_log_median "$log" ffprobe $field)
    p=$(awk -v p="$p" -v s="$stride" 'BEGIN { printf "%.2f", p * s }')
    echo "median $field: flac ${f}s, mp3 ${m}s, ffprobe ${p}s (x$stride);" \
        "flac/ffprobe $(bench_ratio "$f" "$p" 4), flac/mp3 $(bench_ratio "$f" "$m")"
done
