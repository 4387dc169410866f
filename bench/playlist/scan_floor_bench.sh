#!/bin/sh
# CPU time (user + system) of the playlist's folder scan against the floor of any scan of the
# same tree: tv_playlist_scan_floor, which only opens every folder and reads it with
# getdents64. Alternating runs in one sitting; prints the medians and the ratio scan / floor.
# The tree is the one of scan_bench.sh (bench_make_scan_tree in bench/lib.sh).
#
# usage: bench/playlist/scan_floor_bench.sh BUILD_DIR [RUNS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"

build=${1:?usage: scan_floor_bench.sh BUILD_DIR [RUNS]}
runs=${2:-9}
scan="$build/bin/tv_playlist_scan"
floor="$build/bin/tv_playlist_scan_floor"
for b in "$scan" "$floor"; do
    [ -x "$b" ] || { echo "no $b; build tv_playlist_scan and tv_playlist_scan_floor" >&2; exit 2; }
done

bench_workdir scan-floor
tree="$bench_work/tree"
bench_make_scan_tree "$tree"

"$scan" "$tree" > /dev/null; "$floor" "$tree" > /dev/null  # warm the cache
: > "$bench_work/scan"; : > "$bench_work/floor"
i=1
while [ "$i" -le "$runs" ]; do
    if [ $((i % 2)) -eq 0 ]; then
        bench_cpu_us "$scan" "$tree" >> "$bench_work/scan"; bench_cpu_us "$floor" "$tree" >> "$bench_work/floor"
    else
        bench_cpu_us "$floor" "$tree" >> "$bench_work/floor"; bench_cpu_us "$scan" "$tree" >> "$bench_work/scan"
    fi
    i=$((i + 1))
done
s=$(bench_median "$bench_work/scan")
f=$(bench_median "$bench_work/floor")
echo "scan runs (us):  $(tr '\n' ' ' < "$bench_work/scan")"
echo "floor runs (us): $(tr '\n' ' ' < "$bench_work/floor")"
echo "median scan ${s} us, median floor ${f} us, ratio $(bench_ratio "$s" "$f")"
