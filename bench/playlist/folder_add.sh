#!/bin/sh
# Adding a folder of 5 000 tagged MP3 files in the real window until every row has its
# duration, against Debian's audacious adding the same folder, alternating, under a private X
# server and session bus (started here when missing).
#   bench/playlist/folder_add.sh BUILD_DIR [RUNS] [TREE]
#
# Each player is started with an empty settings folder and left to settle; then the folder is
# handed to it by its own remote control (MPRIS OpenUri through dbus-send for torvanell,
# audtool playlist-addurl for audacious) and until_idle.py follows the player's CPU use until
# it has been idle for 0.5 s. Afterwards the result is checked: torvanell is ended with
# SIGTERM and its default.m3u must hold every file with a duration; audacious must list every
# file, and its first, middle and last rows must carry a length. Prints one line per run, the
# medians, and the ratios torvanell / audacious of wall and CPU time.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" sh "$0" "$@"
fi
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    exec dbus-run-session -- sh "$0" "$@"
fi
. "$here/../lib.sh"
bench_args "bench/playlist/folder_add.sh BUILD_DIR [RUNS] [TREE]" 5 "$@"
runs=$bench_runs
tv=$(bench_bin "$bench_target" torvanell)
bench_executable /usr/bin/audacious "install Debian's audacious"
tree=${3:-$bench_target/bench-tags-tree}
[ -d "$tree" ] || python3 "$here/../tags/make-tree.py" "$tree" 5000 >/dev/null
tree=$(cd "$tree" && pwd)
files=$(find "$tree" -type f -name '*.mp3' | wc -l)
find "$tree" -type f -exec cat {} + >/dev/null  # both players read from a warm cache
bench_workdir folder-add
work=$bench_work
quiet=0.5
limit=120

wait_for() {  # SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds
    end=$(($(date +%s) + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$(date +%s)" -lt "$end" ] || { echo "timed out waiting for: $*" >&2; exit 1; }
        sleep 0.05
    done
}
settle() {  # PID: waits until the player has been idle for a while after its start
    python3 "$here/until_idle.py" "$1" "$quiet" "$limit" true >/dev/null
}
mpris_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.ListNames | grep -q '"org.mpris.MediaPlayer2.torvanell"'
}

run_torvanell() {
    home=$work/tv-home
    rm -rf "$home" "$work/tv-run"
    mkdir -p "$home" "$work/tv-run"
    chmod 700 "$work/tv-run"
    TORVANELL_HOME=$home XDG_RUNTIME_DIR=$work/tv-run SDL_AUDIODRIVER=dummy "$tv" \
        >"$work/tv.log" 2>&1 &
    pid=$!
    xdotool search --sync --onlyvisible --pid "$pid" >/dev/null
    wait_for 30 mpris_up
    settle "$pid"
    result=$(python3 "$here/until_idle.py" "$pid" "$quiet" "$limit" dbus-send --session \
        --type=method_call --dest=org.mpris.MediaPlayer2.torvanell /org/mpris/MediaPlayer2 \
        org.mpris.MediaPlayer2.Player.OpenUri "string:file://$tree")
    kill -TERM "$pid"
    wait "$pid" || true
    complete=$(grep -c '^#EXTINF:[1-9]' "$home/default.m3u" || true)
    [ "$complete" -eq "$files" ] ||
        { echo "torvanell: $complete of $files rows complete in default.m3u" >&2; exit 1; }
    echo "torvanell $result"
}

run_audacious() {
    home=$work/aud-home
    rm -rf "$home"
    mkdir -p "$home"
    HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data \
        XDG_CACHE_HOME=$home/cache audacious >"$work/aud.log" 2>&1 &
    pid=$!
    xdotool search --sync --onlyvisible --pid "$pid" >/dev/null
    wait_for 30 audtool version
    settle "$pid"
    result=$(python3 "$here/until_idle.py" "$pid" "$quiet" "$limit" \
        audtool playlist-addurl "$tree")
    listed=$(audtool playlist-length)
    for row in 1 $((files / 2)) "$files"; do
        seconds=$(audtool playlist-song-length-seconds "$row")
        [ "${seconds:-0}" -gt 0 ] ||
            { echo "audacious: row $row has no length" >&2; exit 1; }
    done
    audtool shutdown
    wait "$pid" || true
    [ "$listed" -eq "$files" ] ||
        { echo "audacious: $listed of $files rows listed" >&2; exit 1; }
    echo "audacious $result"
}

echo "tree: $tree ($files files); load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
: >"$work/log"
i=0
while [ "$i" -lt "$runs" ]; do
    if [ $((i % 2)) -eq 0 ]; then
        run_torvanell >>"$work/log"; run_audacious >>"$work/log"
    else
        run_audacious >>"$work/log"; run_torvanell >>"$work/log"
    fi
    i=$((i + 1))
done
cat "$work/log"
tw=$(bench_log_median "$work/log" torvanell wall); tc=$(bench_log_median "$work/log" torvanell cpu)
aw=$(bench_log_median "$work/log" audacious wall); ac=$(bench_log_median "$work/log" audacious cpu)
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "median torvanell wall ${tw}s cpu ${tc}s, audacious wall ${aw}s cpu ${ac}s"
echo "ratio torvanell/audacious: wall $(bench_ratio "$tw" "$aw") cpu $(bench_ratio "$tc" "$ac")"
