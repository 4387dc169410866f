#!/bin/sh
# Adding 5 000 tagged MP3 files to the playlist until every row is complete, against TagLib
# reading title, artist and duration of the same files, alternating, warm cache.
#   bench/core/append.sh BUILD_DIR [RUNS] [TREE]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build folder}
runs=${2:-5}
tree=${3:-$build/bench-tags-tree}
[ -d "$tree" ] || python3 "$here/../tags/make-tree.py" "$tree" 5000
ours=$build/bin/tv_append_bench
peer=$build/bin/bench_tags_taglib
"$ours" "$tree" >/dev/null; "$peer" "$tree" >/dev/null   # warm the cache
log=$build/bench-append.log
: >"$log"
i=0
while [ $i -lt "$runs" ]; do
    "$ours" "$tree" | tee -a "$log"
    "$peer" "$tree" | tee -a "$log"
    i=$((i + 1))
done
median() { grep "^$1 " "$log" | sed 's/.*elapsed=//' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
o=$(median torvanell); p=$(median taglib)
echo "median: add-and-complete ${o}s, taglib read ${p}s, ratio taglib/ours $(echo "$p $o" | awk '{printf "%.2f", $1/$2}')"
