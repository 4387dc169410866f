#!/bin/sh
# The regression gate: runs the fast benchmark pairs (under a minute in all) and fails when a
# ratio is more than 25 % worse than the figure recorded in docs/PERFORMANCE.md (its
# "Regression gate" table). Not part of the test suite: timing belongs to benchmarks. Run it
# before each closing note, from the source folder, on a build that has the bench targets:
#
#   cmake --build build --target torvanell tv_playlist_bench tv_playlist_scan \
#       tv_playlist_scan_floor tv_playlistview_bench bench_tags_read bench_tags_floor
#   bench/gate.sh build
# The folder-add pair needs Debian's audacious (and xvfb-run, dbus-run-session, xdotool).
set -eu
build="${1:?usage: bench/gate.sh BUILD_DIR}"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/lib.sh"
doc="$here/../docs/PERFORMANCE.md"
work="$(mktemp -d /tmp/tv-gate-XXXXXX)"
trap 'rm -rf "$work"' EXIT

recorded() {  # the ratio recorded for gate $1
    awk -F'|' -v name="\`$1\`" '$2 ~ name { gsub(/ /, "", $3); print $3; exit }' "$doc"
}
failed=0
check() {  # name measured
    want=$(recorded "$1")
    if [ -z "$want" ]; then
        echo "$1: measured $2, no recorded figure in docs/PERFORMANCE.md" >&2
        failed=1
        return
    fi
    verdict=$(awk -v m="$2" -v w="$want" 'BEGIN { print (m > 1.25 * w) ? "WORSE" : "ok" }')
    echo "$1: measured $2, recorded $want, limit $(awk -v w="$want" 'BEGIN { printf "%.2f", 1.25 * w }'): $verdict"
    [ "$verdict" = ok ] || failed=1
}
last_ratio() { tail -n 1 "$1" | sed 's/.*ratio //'; }

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"

# Playlist load and the shuffled order against the read-and-split peer (CPU medians).
QT_QPA_PLATFORM=offscreen "$build/bin/tv_playlist_bench" \
    --benchmark_filter='PeerReadAndSplit|LoadPlaylistFile$|LoadPlaylistFileAndDrawOrder' \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2> /dev/null > "$work/m3u.csv"
cpu_of() { awk -F, -v n="\"$1_median\"" '$1 == n { print $4 }' "$work/m3u.csv"; }
peer=$(cpu_of PeerReadAndSplit)
check load "$(awk -v a="$(cpu_of LoadPlaylistFile)" -v b="$peer" 'BEGIN { printf "%.2f", a / b }')"
check load-random "$(awk -v a="$(cpu_of LoadPlaylistFileAndDrawOrder)" -v b="$peer" 'BEGIN { printf "%.2f", a / b }')"

# Folder scan against the getdents64 floor.
bash "$here/playlist/scan_floor_bench.sh" "$build" 5 > "$work/scan"
check scan "$(last_ratio "$work/scan")"

# The shipped --render of a plain MP3 against ffmpeg writing the same WAV.
sh "$here/render/render_wav.sh" "$build/bin/torvanell" 3 plain > "$work/render"
check render "$(last_ratio "$work/render")"

# Tag reading of the varied tree against the open + head + tail floor (the tree is made once,
# in BUILD_DIR/bench-tags-varied, by bench/tags/make-tree.py --varied).
tree="$build/bench-tags-varied"
[ -d "$tree" ] || python3 "$here/tags/make-tree.py" --varied "$tree" 5000
"$build/bin/bench_tags_read" "$tree" > /dev/null; "$build/bin/bench_tags_floor" "$tree" > /dev/null
: > "$work/tags-ours"; : > "$work/tags-floor"
for _ in 1 2 3 4 5; do
    "$build/bin/bench_tags_read" "$tree" | sed 's/.*elapsed=//' >> "$work/tags-ours"
    "$build/bin/bench_tags_floor" "$tree" | sed 's/.*elapsed=//' >> "$work/tags-floor"
done
check tags "$(bench_ratio "$(bench_median "$work/tags-ours")" "$(bench_median "$work/tags-floor")")"

# The repaint at 100 000 entries against 100, separate processes (GATE_REPAINT_BUILD names a
# Release build folder to take the repaint benchmark from; BUILD_DIR otherwise).
sh "$here/core/repaint_alternating.sh" "${GATE_REPAINT_BUILD:-$build}" 3 > "$work/repaint"
check repaint "$(last_ratio "$work/repaint")"

# Adding a folder of 5 000 MP3 files in the window against audacious adding it (wall and CPU;
# the tree is the tag tree of bench/tags/make-tree.py, made once in BUILD_DIR/bench-tags-tree).
sh "$here/playlist/folder_add.sh" "$build" 3 > "$work/folder-add"
check folder-add-wall "$(tail -n 1 "$work/folder-add" | sed 's/.*wall \([^ ]*\).*/\1/')"
check folder-add-cpu "$(tail -n 1 "$work/folder-add" | sed 's/.*cpu //')"

[ "$failed" -eq 0 ] && echo "gate: passed" || echo "gate: FAILED" >&2
exit "$failed"
