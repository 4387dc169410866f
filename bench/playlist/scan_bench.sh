#!/usr/bin/env bash
# Times the playlist's folder scan against find(1) doing the same job on the same generated
# tree, alternating runs, and prints the medians and their ratio.
#
# usage: bench/playlist/scan_bench.sh BUILD_DIR [RUNS]
#   BUILD_DIR holds bin/tv_playlist_scan; RUNS defaults to 9.
set -euo pipefail

build=${1:?usage: scan_bench.sh BUILD_DIR [RUNS]}
runs=${2:-9}
scan="$build/bin/tv_playlist_scan"
[ -x "$scan" ] || { echo "no $scan; build the tv_playlist_scan target" >&2; exit 2; }

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"
bench_workdir scan-bench
tree="$bench_work/tree"
# 24 artists x 10 albums x 90 files = 21 600 files in 264 folders, three levels deep, a third of
# them not media (covers, notes, playlists), some extensions in capitals, a few hidden files.
bench_make_scan_tree "$tree"
files=$(find "$tree" -type f | wc -l)

# The same masks as the scan, as -iname alternatives (the empty mask matches nothing).
masks=(mp3 mp2 mp1 wav ogg mo3 it xm s3m mtm mod umx wma wm ofr ofs flac wv aac mp4 ac3 alac ape
       mpc spx tta opus m4a oga aif aiff asf avi avs cme cof csa divx m1v m2v mls mpeg mpg ogm rm
       viv vob wmv 3gp xqt)
find_args=()
for m in "${masks[@]}"; do
  [ ${#find_args[@]} -gt 0 ] && find_args+=(-o)
  find_args+=(-iname "*.$m")
done

now() { date +%s%N; }

# Warm the cache and check that both find the same files.
ours=$("$scan" "$tree" | wc -l)
peer=$(find "$tree" -type f \( "${find_args[@]}" \) | wc -l)
if ! cmp -s <("$scan" "$tree" | sort) <(find "$tree" -type f \( "${find_args[@]}" \) | sort); then
  echo "ScanDir and find found different files" >&2
  exit 1
fi

scan_times=()
find_times=()
for _ in $(seq 1 "$runs"); do
  t0=$(now); "$scan" "$tree" > /dev/null; t1=$(now)
  find "$tree" -type f \( "${find_args[@]}" \) > /dev/null; t2=$(now)
  scan_times+=($(( (t1 - t0) / 1000 )))
  find_times+=($(( (t2 - t1) / 1000 )))
done
scan_median=$(printf '%s\n' "${scan_times[@]}" | bench_median)
find_median=$(printf '%s\n' "${find_times[@]}" | bench_median)

echo "tree: $files files; matches: ScanDir $ours, find $peer"
echo "runs: $runs (alternating)"
echo "ScanDir median: ${scan_median} us   (all: ${scan_times[*]})"
echo "find    median: ${find_median} us   (all: ${find_times[*]})"
echo "ratio ScanDir/find: $(bench_ratio "$scan_median" "$find_median")"
