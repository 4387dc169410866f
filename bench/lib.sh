# Shell helpers the benchmark scripts share (POSIX sh; source it: . "$here/../lib.sh"). The
# scripts run under set -e, which the helpers that end a script from inside $(...) rely on.

# bench_args USAGE DEFAULT_RUNS "$@": reads the TARGET [RUNS] that start a script's arguments
# (a build folder or a program) into $bench_target and $bench_runs, DEFAULT_RUNS when RUNS is
# left out. A missing TARGET, or a RUNS that is not a positive whole number, ends the script
# through bench_usage; USAGE is kept in $bench_usage_text for it.
bench_args() {
    bench_usage_text="$1"
    bench_target="${3:-}"
    bench_runs="${4:-$2}"
    [ -n "$bench_target" ] || bench_usage
    case "$bench_runs" in
        '' | *[!0-9]* | 0*) bench_usage ;;
    esac
}

# bench_usage: prints "usage: " and the text given to bench_args on standard error and ends
# the script with status 2.
bench_usage() {
    echo "usage: $bench_usage_text" >&2
    exit 2
}

# bench_executable FILE [HINT]: ends the script with "FILE: no such program" (and "; HINT")
# on standard error unless FILE is an executable file.
bench_executable() {
    [ -f "$1" ] && [ -x "$1" ] && return 0
    echo "$1: no such program${2:+; $2}" >&2
    exit 1
}

# bench_bin BUILD NAME: prints BUILD/bin/NAME, the program NAME of the build folder BUILD, or
# ends the script with an error that names the target to build (use it as
# prog=$(bench_bin "$build" NAME), which set -e ends on the error).
bench_bin() {
    bench_executable "$1/bin/$2" "build it with: cmake --build $1 --target $2"
    echo "$1/bin/$2"
}

# bench_median [FILE]: the median of the numbers in FILE (or standard input), one a line.
# shellcheck disable=SC2120 # the scripts give it FILE, lib.sh's own callers standard input
bench_median() {
    sort -n ${1:+"$1"} | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'
}

# bench_log_median LOG NAME [FIELD]: the median of the lines of LOG whose first word is NAME:
# of the value after FIELD= on each (up to the next space), or of each line's second word when
# FIELD is left out.
# shellcheck disable=SC2119 # bench_median reads standard input here, on purpose
bench_log_median() {
    if [ -n "${3:-}" ]; then
        sed -n "s/^$2 .*$3=\([^ ]*\).*/\1/p" "$1"
    else
        sed -n "s/^$2 \([^ ]*\).*/\1/p" "$1"
    fi | bench_median
}

# bench_ratio A B [DECIMALS]: A / B with DECIMALS decimals (two when left out).
bench_ratio() {
    awk -v a="$1" -v b="$2" -v d="${3:-2}" 'BEGIN { printf "%.*f", d, a / b }'
}

# bench_cpu_seconds COMMAND...: prints the user + system seconds of the command (its output
# is dropped). Uses $bench_work for the timing file.
bench_cpu_seconds() {
    /usr/bin/time -f "%U %S" -o "$bench_work/.time" "$@" > /dev/null 2>&1
    awk '{ printf "%.3f\n", $1 + $2 }' "$bench_work/.time"
}

# bench_wall_cpu COMMAND...: prints "WALL CPU", the wall-clock and the user + system seconds of
# the command as /usr/bin/time measures them (10 ms steps; CPU with two decimals). Its output
# is dropped, its errors still show. Uses $bench_work for the timing file.
bench_wall_cpu() {
    /usr/bin/time -f "%e %U %S" -o "$bench_work/.time" "$@" > /dev/null
    awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$bench_work/.time"
}

# bench_cpu_us COMMAND...: prints the CPU microseconds of the command from perf's task clock
# (user + system, finer than /usr/bin/time's 10 ms steps).
bench_cpu_us() {
    perf stat -x, -e task-clock -o "$bench_work/.perf" "$@" > /dev/null 2>&1
    awk -F, '/task-clock/ { printf "%d\n", $1 * 1000 }' "$bench_work/.perf"
}

# bench_workdir NAME: makes a temporary folder, removed at exit, into $bench_work.
bench_workdir() {
    bench_work="$(mktemp -d "/tmp/tv-$1-XXXXXX")"
    trap 'rm -rf "$bench_work"' EXIT
}

# bench_make_mp3 OUT [SOURCE]: a three-minute 192 kbit/s stereo MP3 of SOURCE (an ffmpeg
# lavfi source, a 440 Hz sine by default) mixed with pink noise.
bench_make_mp3() {
    ffmpeg -hide_banner -loglevel error -y \
        -f lavfi -i "${2:-sine=frequency=440:sample_rate=44100:duration=180}" \
        -f lavfi -i "anoisesrc=color=pink:amplitude=0.1:sample_rate=44100:duration=180" \
        -filter_complex "[0:a][1:a]amix=inputs=2:duration=shortest,aformat=channel_layouts=stereo" \
        -c:a libmp3lame -b:a 192k "$1"
}

# bench_ffmpeg_chain: prints ffmpeg's counterpart of the effect chain: the ten peaking bands
# of "Rock" (9 semitones = 0.75 octave), its chorus, flanger and echo, a four-tap echo standing
# in for the reverb (ffmpeg has no reverb filter) and the left-right pulsator for the rotation.
bench_ffmpeg_chain() {
    eq=""
    for band in 80:-2 170:1 310:3 600:7 1000:-2 3000:-2 6000:0 10000:0 12000:7 14000:7; do
        eq="${eq}equalizer=f=${band%%:*}:t=o:w=0.75:g=${band##*:},"
    done
    echo "${eq}chorus=0.5:0.9:16:0.25:1.1:0.8,flanger=delay=2:depth=2:regen=-50:speed=0.25,aecho=0.5:1:500:0.5,aecho=0.8:0.9:45|53.5|63.6|75.7:0.5|0.4|0.3|0.2,apulsator=hz=0.42"
}

# bench_make_scan_tree DIR: the folder-scan tree: 24 artists x 10 albums x 90 files in
# Artist/Album/CD folders, a third of them not media (covers, notes, playlists), some
# extensions in capitals, and one hidden file per folder.
bench_make_scan_tree() {
    awk -v t="$1" 'BEGIN {
        n = split("mp3 MP3 ogg flac wav m4a jpg txt nfo m3u avi Mp3 wma cue log", e, " ")
        for (a = 1; a <= 24; a++) for (b = 1; b <= 10; b++) {
            d = t "/Artist " a "/Album " b "/CD"
            print d > "/dev/stderr"
            for (f = 1; f <= 90; f++) print d "/Track " f "." e[(a + b + f) % n + 1]
            print d "/.hidden " b ".mp3"
        }
    }' 2> "$1.dirs" > "$1.files"
    tr '\n' '\0' < "$1.dirs" | xargs -0 mkdir -p
    tr '\n' '\0' < "$1.files" | xargs -0 touch
    rm -f "$1.dirs" "$1.files"
}
