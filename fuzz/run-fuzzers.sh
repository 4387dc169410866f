#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer + AddressSanitizer + UndefinedBehaviorSanitizer)
# in a separate build folder and runs each for N seconds, starting from its seed corpus.
#   fuzz/run-fuzzers.sh [SECONDS] [TARGET...]     (default 60 s, every fuzz_tags_* target)
# New inputs found while fuzzing go to BUILD/fuzz-corpus/<target>/, crashes to
# BUILD/fuzz-artifacts/; copy interesting ones into fuzz/<area>/corpus/<target>/ by hand.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
build=${FUZZ_BUILD_DIR:-$here/build-fuzz}
targets=${*:-"fuzz_tags_id3v1 fuzz_tags_id3v2 fuzz_tags_mpeg"}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DTORVANELL_SANITIZE=address,undefined -DTORVANELL_BUILD_GUI=OFF \
    -DTORVANELL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target $targets -j2

status=0
for target in $targets; do
    area=$(echo "$target" | sed 's/^fuzz_\([^_]*\)_.*/\1/')
    name=${target#fuzz_"$area"_}
    seeds=$here/fuzz/$area/corpus/$name
    work=$build/fuzz-corpus/$name
    mkdir -p "$work" "$build/fuzz-artifacts"
    echo "== $target for $seconds s"
    "$build/bin/$target" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
        -artifact_prefix="$build/fuzz-artifacts/$name-" -print_final_stats=1 \
        "$work" "$seeds" || status=1
done
exit $status
