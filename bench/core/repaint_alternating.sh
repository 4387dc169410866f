#!/bin/sh
# The playlist-area repaint with 100 000 entries against the same repaint with 100, each size
# in its own process (so neither pays the other's warm-up), in alternating order, RUNS times.
# Prints each run's CPU time per repaint, the medians and the ratio large / small.
# Usage: repaint_alternating.sh BUILD_DIR [RUNS] [BENCHMARK]
#   BENCHMARK: BM_PlaylistAreaRepaint (default) or BM_PlaylistAreaRepaintSameLength (every row's
#   text of the same length, so that only the list size differs).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../lib.sh"
bench_args "repaint_alternating.sh BUILD_DIR [RUNS] [BENCHMARK]" 5 "$@"
bench=$(bench_bin "$bench_target" tv_playlistview_bench)
runs="$bench_runs"
name="${3:-BM_PlaylistAreaRepaint}"
bench_workdir repaint-bench
work="$bench_work"
one() {  # appends the CPU microseconds of one repaint with $1 entries to $work/$1
    QT_QPA_PLATFORM=offscreen "$bench" --benchmark_filter="$name/$1\$" \
        --benchmark_format=csv --benchmark_time_unit=us 2> /dev/null |
        awk -F, -v n="$name/$1\"" 'index($1, n) { print $4 }' >> "$work/$1"
}
: > "$work/100"
: > "$work/100000"
i=0
while [ "$i" -lt "$runs" ]; do
    if [ $((i % 2)) -eq 0 ]; then one 100; one 100000; else one 100000; one 100; fi
    i=$((i + 1))
done
small=$(bench_median "$work/100")
large=$(bench_median "$work/100000")
echo "100 entries (us):     $(tr '\n' ' ' < "$work/100")"
echo "100000 entries (us):  $(tr '\n' ' ' < "$work/100000")"
echo "median 100 ${small} us, median 100000 ${large} us, ratio $(bench_ratio "$large" "$small")"
