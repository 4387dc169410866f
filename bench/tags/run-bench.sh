#!/bin/sh
# Tag reading: our helper against TagLib on the same tree, alternating, warm cache.
#   bench/tags/run-bench.sh BUILD_DIR [RUNS] [TREE]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build folder}
runs=${2:-5}
tree=${3:-$build/bench-tags-tree}
[ -d "$tree" ] || python3 "$here/make-tree.py" "$tree" 5000
ours=$build/bin/bench_tags_read
peer=$build/bin/bench_tags_taglib
"$ours" "$tree" >/dev/null; "$peer" "$tree" >/dev/null   # warm the cache
i=0; : >"$build/bench-tags.log"
while [ $i -lt "$runs" ]; do
    "$ours" "$tree" | tee -a "$build/bench-tags.log"
    "$peer" "$tree" | tee -a "$build/bench-tags.log"
    i=$((i + 1))
done
median() { grep "^$1 " "$build/bench-tags.log" | sed 's/.*elapsed=//' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
o=$(median torvanell); p=$(median taglib)
echo "median: torvanell ${o}s taglib ${p}s ratio $(echo "$p $o" | awk '{printf "%.2f", $1/$2}')x"
