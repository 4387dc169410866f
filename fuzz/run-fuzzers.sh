#!/usr/bin/env bash
# Builds every fuzz target of the tree with clang (libFuzzer, AddressSanitizer with leak
# detection, UndefinedBehaviorSanitizer) in one build folder and runs each for SECONDS, starting
# from its seeds and its dictionary.
#
#   fuzz/run-fuzzers.sh [SECONDS] [TARGET...]
#
# SECONDS defaults to 60. Targets are named fuzz_<area>_<name> (fuzz/<area>/<name>_fuzz.cpp);
# a shell pattern picks several ('fuzz_tags_*', quoted); no target means every one.
# FUZZ_JOBS=N runs N targets at a time (default 1); FUZZ_BUILD_DIR names the build folder
# (default build-fuzz). Each target's full log is BUILD/fuzz-logs/<target>.log; new inputs
# go to BUILD/fuzz-corpus/<target>/ (copy interesting ones into the seeds by hand), findings to
# BUILD/fuzz-artifacts/<target>/.
# The summary gives each target's executions and coverage. A crash, sanitizer report, leak,
# timeout (10 s per input) or memory limit fails the run (exit status 1), and the summary then
# shows the end of that target's log and every reproducer in base64.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
build=${FUZZ_BUILD_DIR:-$here/build-fuzz}
jobs=${FUZZ_JOBS:-1}

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DTORVANELL_SANITIZE=address,undefined -DTORVANELL_BUILD_GUI=ON \
    -DTORVANELL_BUILD_TESTS=ON -DTORVANELL_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
list=$build/fuzz-targets.tsv

mapfile -t all < <(cut -f1 "$list")
selected=()
if [ $# -eq 0 ]; then
    selected=("${all[@]}")
fi
for pattern in "$@"; do
    found=0
    for target in "${all[@]}"; do
        # shellcheck disable=SC2053  # the pattern is meant to match
        [[ $target == $pattern ]] || continue
        found=1
        [[ " ${selected[*]} " == *" $target "* ]] || selected+=("$target")
    done
    if [ $found = 0 ]; then
        echo "run-fuzzers: no target matches '$pattern'; the targets are: ${all[*]}" >&2
        exit 2
    fi
done
echo "== building ${#selected[@]} fuzz targets in $build"
cmake --build "$build" --target "${selected[@]}" -j"$(nproc)"

mkdir -p "$build/fuzz-logs"
started=$build/fuzz-logs/.started
touch "$started"

# Runs one target; its log and exit status go to BUILD/fuzz-logs/.
RunOne() {
    local target=$1 seeds dict
    IFS=$'\t' read -r _ seeds dict < <(grep "^$target"$'\t' "$list")
    local work=$build/fuzz-corpus/$target findings=$build/fuzz-artifacts/$target
    mkdir -p "$work" "$findings"
    local options=(-max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2560
                   -print_final_stats=1 -artifact_prefix="$findings/")
    [ -n "$dict" ] && options+=(-dict="$dict")
    local status=0
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
        "$build/bin/$target" "${options[@]}" "$work" "$seeds" \
        >"$build/fuzz-logs/$target.log" 2>&1 || status=$?
    echo "$status" >"$build/fuzz-logs/$target.status"
}

echo "== running ${#selected[@]} targets for $seconds s each, $jobs at a time"
for target in "${selected[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n || true
    done
    RunOne "$target" &
done
wait

failed=()
printf '%-22s %12s %8s %8s %8s  %s\n' target execs cov ft corpus result
for target in "${selected[@]}"; do
    log=$build/fuzz-logs/$target.log
    status=$(cat "$build/fuzz-logs/$target.status")
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    line=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$line")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$line")
    corpus=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$line")
    result=ok
    [ "$status" = 0 ] || { result="FAILED (exit status $status)"; failed+=("$target"); }
    printf '%-22s %12s %8s %8s %8s  %s\n' "$target" "${execs:--}" "${cov:--}" "${ft:--}" \
        "${corpus:--}" "$result"
done

for target in "${failed[@]}"; do
    echo
    log=$build/fuzz-logs/$target.log
    echo "== $target failed; its report ($log):"
    # From the finding's first line (sanitizer, crash, leak, timeout or memory) on, else the end.
    first=$(grep -n -m1 -E '==[0-9]+==ERROR|runtime error:|deadly signal|ALARM: working|out-of-memory' \
        "$log" | cut -d: -f1 || true)
    if [ -n "$first" ]; then
        tail -n +"$first" "$log" | grep -v -E '^  0x[0-9a-f]+: |^  [A-Z][a-z ]+:( |$)' | head -n 120
    else
        tail -n 60 "$log"
    fi
    find "$build/fuzz-artifacts/$target" -type f -newer "$started" | while read -r input; do
        echo "-- reproducer $input ($(stat -c %s "$input") bytes); replay with"
        echo "   $build/bin/$target $input"
        echo "   or decode it: base64 -d > input <<'END'"
        base64 "$input"
        echo "END"
    done
done
[ ${#failed[@]} -eq 0 ]
