#!/usr/bin/env bash
# CPU time (user + system) of the playlist's folder scan against the floor of any scan of the
# same tree: tv_playlist_scan_floor, which only opens every folder and reads it with
# getdents64. Alternating runs in one sitting; prints the medians and the ratio scan / floor.
#
# usage: bench/playlist/scan_floor_bench.sh BUILD_DIR [RUNS]
set -euo pipefail

build=${1:?usage: scan_floor_bench.sh BUILD_DIR [RUNS]}
runs=${2:-9}
scan="$build/bin/tv_playlist_scan"
floor="$build/bin/tv_playlist_scan_floor"
for b in "$scan" "$floor"; do
  [ -x "$b" ] || { echo "no $b; build tv_playlist_scan and tv_playlist_scan_floor" >&2; exit 2; }
done

tree=$(mktemp -d /tmp/tv-scan-floor-XXXXXX)
trap 'rm -rf "$tree"' EXIT
# The tree of scan_bench.sh: 24 artists x 10 albums x 90 files in 264 folders, a third not media.
exts=(mp3 MP3 ogg flac wav m4a jpg txt nfo m3u avi Mp3 wma cue log)
for a in $(seq 1 24); do
  for b in $(seq 1 10); do
    d="$tree/Artist $a/Album $b/CD"
    mkdir -p "$d"
    names=()
    for f in $(seq 1 90); do
      names+=("$d/Track $f.${exts[$(( (a + b + f) % ${#exts[@]} ))]}")
    done
    touch "${names[@]}" "$d/.hidden $b.mp3"
  done
done

cpu() {  # prints the CPU microseconds of the command (perf's task clock: user + system)
  perf stat -x, -e task-clock -o "$tree.t" "$@" > /dev/null 2>&1
  awk -F, '/task-clock/ { printf "%d\n", $1 * 1000 }' "$tree.t"
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

"$scan" "$tree" > /dev/null; "$floor" "$tree" > /dev/null  # warm the cache
scan_times=(); floor_times=()
for i in $(seq 1 "$runs"); do
  if [ $((i % 2)) -eq 0 ]; then
    scan_times+=("$(cpu "$scan" "$tree")"); floor_times+=("$(cpu "$floor" "$tree")")
  else
    floor_times+=("$(cpu "$floor" "$tree")"); scan_times+=("$(cpu "$scan" "$tree")")
  fi
done
rm -f "$tree.t"
s=$(printf '%s\n' "${scan_times[@]}" | median)
f=$(printf '%s\n' "${floor_times[@]}" | median)
echo "scan runs (us):  ${scan_times[*]}"
echo "floor runs (us): ${floor_times[*]}"
echo "median scan ${s} us, median floor ${f} us, ratio $(awk -v a="$s" -v b="$f" 'BEGIN { printf "%.2f", a / b }')"
