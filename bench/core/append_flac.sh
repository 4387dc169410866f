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
build=${1:?build folder}
runs=${2:-3}
stride=${3:-1}
flac=$build/bench-flac-tree
mp3=$build/bench-tags-tree
[ -d "$flac" ] || python3 "$here/make-flac-tree.py" "$flac" 5000
[ -d "$mp3" ] || python3 "$here/../tags/make-tree.py" "$mp3" 5000
ours=$build/bin/tv_append_bench
list=$build/bench-flac-ffprobe.list
find "$flac" -name '*.flac' | sort | awk -v s="$stride" '(NR - 1) % s == 0' >"$list"
cat "$flac"/*/* "$mp3"/*/* >/dev/null   # warm the cache
"$ours" "$flac" >/dev/null              # fails unless every row got a duration
"$ours" "$mp3" >/dev/null
log=$build/bench-append-flac.log
: >"$log"
measure() {  # name command...
    name=$1
    shift
    /usr/bin/time -f "%e %U %S" -o "$build/bench-time.tmp" "$@" >/dev/null
    read -r wall user sys <"$build/bench-time.tmp"
    echo "$name wall=$wall cpu=$(echo "$user $sys" | awk '{printf "%.2f", $1 + $2}')" | tee -a "$log"
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
median() {  # name field
    grep "^$1 " "$log" | sed "s/.*$2=\([0-9.]*\).*/\1/" | sort -n |
        awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}
for field in wall cpu; do
    f=$(median flac $field); m=$(median mp3 $field); p=$(median ffprobe $field)
    p=$(echo "$p $stride" | awk '{printf "%.2f", $1 * $2}')
    echo "median $field: flac ${f}s, mp3 ${m}s, ffprobe ${p}s (x$stride);" \
        "flac/ffprobe $(echo "$f $p" | awk '{printf "%.4f", $1/$2}')," \
        "flac/mp3 $(echo "$f $m" | awk '{printf "%.2f", $1/$2}')"
done
