#!/bin/sh
# Fuzzes one harness, tests/fuzz/fuzz_TARGET.cc, for SECONDS under AddressSanitizer and
# UndefinedBehaviorSanitizer with libFuzzer (clang), starting from its saved corpus
# tests/fuzz/corpus/TARGET/. Inputs that reach new code are merged back into that corpus (commit
# them: the normal build replays every saved input as the test fuzz.TARGET); a crashing input is
# left as build-fuzz/TARGET/crash-* (timeout-*, leak-*, oom-*). Each input may take 10 seconds and
# 2 GB; leaks fail the run. Extra arguments go to libFuzzer and override these (-runs=N stops
# after N inputs, -jobs=2, -dict=FILE, -detect_leaks=0...).
# "minimise" replaces the saved corpus by the smallest subset of it that reaches the same code.
# Usage: sh scripts/fuzz.sh TARGET SECONDS [LIBFUZZER-OPTION...]
#        sh scripts/fuzz.sh TARGET minimise
#        sh scripts/fuzz.sh list
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${1:-}" = list ] || [ $# -lt 2 ]; then
    [ "${1:-}" = list ] || echo "usage: sh scripts/fuzz.sh TARGET SECONDS [LIBFUZZER-OPTION...]" >&2
    for f in "$root"/tests/fuzz/fuzz_*.cc; do
        n=${f##*/fuzz_}
        echo "${n%.cc}"
    done
    [ "${1:-}" = list ]
    exit
fi
target=$1
seconds=$2
shift 2
[ -f "$root/tests/fuzz/fuzz_$target.cc" ] || { echo "no harness tests/fuzz/fuzz_$target.cc" >&2; exit 2; }
command -v clang++ >/dev/null || { echo "fuzzing needs clang (apt-get install clang)" >&2; exit 2; }

build="$root/build-fuzz"
extra=""
if command -v ccache >/dev/null 2>&1; then
    extra="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
    CCACHE_BASEDIR="$root"
    CCACHE_NOHASHDIR=1
    export CCACHE_BASEDIR CCACHE_NOHASHDIR
fi
cmake -S "$root" -B "$build" -DQE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ $extra >/dev/null
cmake --build "$build" --target "fuzz_$target" -j "$(nproc)" >&2

corpus="$root/tests/fuzz/corpus/$target"
work="$build/$target"
mkdir -p "$corpus" "$work/new"
dict=""
[ -f "$root/tests/fuzz/$target.dict" ] && dict="-dict=$root/tests/fuzz/$target.dict"
cd "$work"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
if [ "$seconds" = minimise ]; then
    # Inputs named by hand (seeds, regressions) stay; those libFuzzer named by their hash go
    # through the merge, which keeps the fewest that reach everything they reach.
    before=$(ls "$corpus" | wc -l)
    rm -rf hashed && mkdir hashed
    for f in "$corpus"/*; do
        n=${f##*/}
        case "$n" in
        *[!0-9a-f]*) ;;
        *) [ ${#n} = 40 ] && mv "$f" hashed/ ;;
        esac
    done
    if ! "$build/bin/fuzz_$target" -merge=1 -timeout=10 -rss_limit_mb=2048 "$@" "$corpus" \
        hashed >merge.log 2>&1; then
        mv hashed/* "$corpus"/
        tail -20 merge.log >&2
        exit 1
    fi
    rm -rf hashed
    echo "$target: $before inputs -> $(ls "$corpus" | wc -l)"
    exit
fi
status=0
"$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 $dict "$@" new "$corpus" || status=$?
# Keep only the new inputs that add coverage to the saved corpus.
"$build/bin/fuzz_$target" -merge=1 -timeout=10 "$corpus" new >/dev/null 2>&1 || true
rm -rf new
exit $status
