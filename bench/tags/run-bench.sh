#!/bin/sh
# Tag reading: our helper against TagLib and against the floor (one open, a 64 KB head and a
# 4 KB tail read) on the same tree, alternating, warm cache; then one untimed pass of each that
# counts the bytes read per file.
#   bench/tags/run-bench.sh BUILD_DIR [RUNS] [TREE | --varied]
# Without TREE the plain tree (make-tree.py) is made in BUILD_DIR/bench-tags-tree; --varied
# makes and uses BUILD_DIR/bench-tags-varied (make-tree.py --varied: the odd files).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"
build=${1:?build folder}
runs=${2:-5}
case "${3:-}" in
    --varied) tree=$build/bench-tags-varied; [ -d "$tree" ] || python3 "$here/make-tree.py" --varied "$tree" 5000 ;;
    "") tree=$build/bench-tags-tree; [ -d "$tree" ] || python3 "$here/make-tree.py" "$tree" 5000 ;;
    *) tree=$3 ;;
esac
log=$build/bench-tags.log
sides="torvanell:$build/bin/bench_tags_read taglib:$build/bin/bench_tags_taglib floor:$build/bin/bench_tags_floor"
for s in $sides; do "${s#*:}" "$tree" >/dev/null; done   # warm the cache
i=0; : >"$log"
while [ $i -lt "$runs" ]; do
    # Alternate the order so no side always follows the same one.
    if [ $((i % 2)) -eq 0 ]; then order=$sides; else order=$(echo "$sides" | tr ' ' '\n' | sort -r); fi
    for s in $order; do "${s#*:}" "$tree" | tee -a "$log"; done
    i=$((i + 1))
done
for s in $sides; do printf '%s bytes: ' "${s%%:*}"; "${s#*:}" "$tree" --bytes | tail -1; done
median() { grep "^$1 " "$log" | sed 's/.*elapsed=//' | bench_median; }
o=$(median torvanell); p=$(median taglib); f=$(median floor)
echo "median: torvanell ${o}s taglib ${p}s floor ${f}s;" \
    "taglib/torvanell $(bench_ratio "$p" "$o")x, torvanell/floor $(bench_ratio "$o" "$f")x"
