#!/usr/bin/env bash
# CPU of playing the 5 s test picture in the player's video window against a bare libmpv
# player (tv_video_peer: vo=x11, ao=null) on the same file, on one private Xvfb, in the same
# run. Each player is measured over the same 3.5 s of the clip (from 0.5 s to 4 s after its
# first frame), RUNS times, alternating. The figure is user + system time of the whole process
# per second of playback; beside it, the part of it spent on the main thread (the one that runs
# the windows and timers; libmpv decodes and draws on threads of its own), from its scheduler
# run time. When the mpv program is installed, `mpv --vo=x11 --ao=null` on the same file (its
# window at the panel's size) is measured in the same rounds as a second peer.
# usage: video_cpu.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-3}
root=$(cd "$(dirname "$0")/../.." && pwd)
clip=$root/tests/data/testsrc2-5s.avi
work=$(mktemp -d)
pid=
xvfb=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n 1 "$work/display")
hz=$(getconf CLK_TCK)
# Waits up to 20 s for a player to reach the measured stretch; a player that never gets there
# ends the run with a message instead of hanging it.
await() {  # command...
    for _ in $(seq 1000); do
        "$@" && return 0
        kill -0 "$pid" 2>/dev/null || { echo "the player ended before playing" >&2; exit 1; }
        sleep 0.02
    done
    echo "the player did not start playing within 20 s" >&2
    exit 1
}
# Ends the player and reaps it: a polite SIGTERM, and SIGKILL if it is still there after 10 s.
finish() {
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        echo "the player did not end within 10 s of SIGTERM" >&2
        kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
    pid=
}
span=3.5
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
main_ns() { cut -d' ' -f1 "/proc/$1/task/$1/schedstat"; }  # the main thread's run time
measure() {  # writes "total main-thread" CPU seconds per second of the span to $work/$1
    sleep 0.5
    local a b ma mb
    a=$(cpu "$pid") ma=$(main_ns "$pid")
    sleep "$span"
    b=$(cpu "$pid") mb=$(main_ns "$pid")
    awk -v a="$a" -v b="$b" -v ma="$ma" -v mb="$mb" -v hz="$hz" -v s="$span" \
        'BEGIN { printf "%.4f %.4f\n", (b - a) / hz / s, (mb - ma) / 1e9 / s }' > "$work/$1"
}
ours() {
    rm -f "$work/status.txt" "$work/settings.ini" "$work/default.m3u"
    QT_QPA_PLATFORM=xcb TORVANELL_HOME=$work SDL_AUDIODRIVER=dummy \
        TORVANELL_VIDEO_STATUS=$work/status.txt "$build/bin/torvanell" "$clip" 2>/dev/null &
    pid=$!
    await grep -qs '^tick .*stream_pos=[1-9]' "$work/status.txt"
    measure ours
    finish
}
peer() {
    "$build/bin/tv_video_peer" "$clip" > "$work/peer.out" 2>/dev/null &
    pid=$!
    await grep -qs started "$work/peer.out"
    measure peer
    finish
}
cli() {
    mpv --no-config --vo=x11 --ao=null --geometry=600x338 --term-playing-msg=started \
        "$clip" > "$work/cli.out" 2>/dev/null &
    pid=$!
    await grep -qs started "$work/cli.out"
    measure cli
    finish
}
have_cli=$(command -v mpv > /dev/null && echo 1 || echo 0)
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for i in $(seq "$runs"); do
    ours; peer
    read -r o om < "$work/ours"
    read -r p pm < "$work/peer"
    c=0
    line="run $i: window $o CPU s/s (main thread $om), peer $p CPU s/s (main thread $pm)"
    if [ "$have_cli" = 1 ]; then
        cli
        read -r c _ < "$work/cli"
        line="$line, mpv $c CPU s/s"
    fi
    echo "$line"
    echo "$o $p $om $pm $c" >> "$work/figures"
done
awk -v cli="$have_cli" '{ o += $1; p += $2; om += $3; pm += $4; c += $5 }
     END { printf "mean: window %.4f, peer %.4f, ratio %.2f; main thread: window %.4f, peer %.4f\n",
                  o / NR, p / NR, o / p, om / NR, pm / NR
           if (cli) printf "mean: mpv %.4f, window against mpv %.2f\n", c / NR, o / c }' \
    "$work/figures"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
