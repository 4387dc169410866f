#!/bin/sh
# Adding 5 000 tagged MP3 files to the playlist until every row is complete, against TagLib
# reading title, artist and duration of the same files, alternating, warm cache.
#   bench/core/append.sh BUILD_DIR [RUNS] [TREE]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"
bench_args "bench/core/append.sh BUILD_DIR [RUNS] [TREE]" 5 "$@"
build=$bench_target
runs=$bench_runs
tree=${3:-$build/bench-tags-tree}
ours=$(bench_bin "$build" tv_append_bench)
peer=$(bench_bin "$build" bench_tags_taglib)
[ -d "$tree" ] || python3 "$here/../tags/make-tree.py" "$tree" 5000
"$ours" "$tree" >/dev/null; "$peer" "$tree" >/dev/null   # warm the cache
log=$build/bench-append.log
: >"$log"
i=0
while [ $i -lt "$runs" ]; do
    "$ours" "$tree" | tee -a "$log"
    "$peer" "$tree" | tee -a "$log"
    i=$((i + 1))
done
o=$(bench_log_median "$log" torvanell elapsed); p=$(bench_log_median "$log" taglib elapsed)
echo "median: add-and-complete ${o}s, taglib read ${p}s, ratio taglib/ours $(bench_ratio "$p" "$o")"
