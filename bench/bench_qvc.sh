#!/bin/sh
# The line difference engine and QVC beside GNU diff and RCS, on the same texts in the same
# run: check-in of a second version, retrieval of the first, and the printed difference.
# Two pairs of texts: a 20 MB C file against an edited copy, and two unrelated 300,000-line
# files made of a few heavily repeated lines (the worst case for pairing duplicates).
#   sh bench/bench_qvc.sh [BUILD_DIR]      (RUNS=3 by default; DATA=/work/bench-data)
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
qvc="$build/bin/qvc"
data="${DATA:-/work/bench-data}"
runs="${RUNS:-3}"
[ -x "$qvc" ] || { echo "build qvc first (cmake --build build --target qvc)"; exit 1; }
mkdir -p "$data"

# The texts are made once and reused.
if [ ! -f "$data/qvc-a.c" ]; then
    [ -f "$data/big100m.c" ] || python3 "$root/bench/gen_cfile.py" "$data/big100m.c" 100
    head -c 20000000 "$data/big100m.c" | awk '{print}' > "$data/qvc-a.c"
    awk 'NR%1000==0{print "changed " NR; next} NR%1777==0{next} NR%2500==0{print "inserted"} {print}' \
        "$data/qvc-a.c" > "$data/qvc-b.c"
fi
if [ ! -f "$data/qvc-dup-a" ]; then
    for seed in 1 2; do
        awk -v seed=$seed 'BEGIN { srand(seed); for (i = 0; i < 300000; i++) { r = int(rand() * 10);
            if (r < 6) print "}"; else if (r < 8) print ""; else print "x" int(rand() * 50) } }' \
            > "$data/qvc-dup-$(echo $seed | tr 12 ab)"
    done
fi

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

# median wall time of RUNS runs of a command, run in the directory $1
measure() {
    dir="$1"; shift
    out="$work/times"
    : > "$out"
    i=0
    while [ $i -lt "$runs" ]; do
        ( cd "$dir" && /usr/bin/time -f "%e" -a -o "$out" "$@" >/dev/null 2>&1 ) || true
        i=$((i + 1))
    done
    grep -E '^[0-9.]+$' "$out" | sort -n | awk '{a[NR]=$1} END {printf "%7.2f s\n", a[int((NR+1)/2)]}'
}

# Fresh repositories (QVC in $work/q, RCS in $work/r) holding the text $1, each checked
# out with the text $2 as the working file.
setup() {
    chmod -R u+w "$work"
    rm -rf "$work/q" "$work/r"
    mkdir -p "$work/q" "$work/r/RCS"
    cp "$1" "$work/q/f.c"
    cp "$1" "$work/r/f.c"
    ( cd "$work/q" && "$qvc" create f.c -nc && "$qvc" co f.c ) >/dev/null
    ( cd "$work/r" && ci -q -u -t-bench f.c && rcs -q -l f.c ) >/dev/null 2>&1
    chmod u+w "$work/q/f.c" "$work/r/f.c"
    cp "$2" "$work/q/f.c"
    cp "$2" "$work/r/f.c"
}

# Median time of checking in the second text over fresh repositories.
measure_ci() {
    out="$work/times.ci"
    : > "$out"
    i=0
    while [ $i -lt "$runs" ]; do
        setup "$2" "$3"
        if [ "$1" = qvc ]; then
            ( cd "$work/q" && /usr/bin/time -f "%e" -a -o "$out" "$qvc" ci f.c -nc ) >/dev/null 2>&1
        else
            ( cd "$work/r" && /usr/bin/time -f "%e" -a -o "$out" ci -q -u -mnext f.c ) >/dev/null 2>&1
        fi
        i=$((i + 1))
    done
    grep -E '^[0-9.]+$' "$out" | sort -n | awk '{a[NR]=$1} END {printf "%7.2f s\n", a[int((NR+1)/2)]}'
}

bench_pair() {
    a="$1"; b="$2"
    echo "== $(basename "$a") -> $(basename "$b"): $(awk 'END {print NR}' "$a") lines"
    echo "check in the second version"
    printf "  qvc   "; measure_ci qvc "$a" "$b"
    printf "  rcs   "; measure_ci rcs "$a" "$b"
    setup "$a" "$b"
    ( cd "$work/q" && "$qvc" ci f.c -nc ) >/dev/null
    ( cd "$work/r" && ci -q -u -mnext f.c ) >/dev/null 2>&1
    echo "retrieve the first version"
    printf "  qvc   "; measure "$work/q" sh -c "rm -f f.c; '$qvc' get f.c -v 1.1"
    printf "  rcs   "; measure "$work/r" co -q -f -r1.1 f.c
    echo "print the difference"
    printf "  qvc   "; measure "$work/q" "$qvc" diff f.c -v 1.1 -V 1.2
    printf "  rcs   "; measure "$work/r" rcsdiff -q -r1.1 -r1.2 f.c
    printf "  diff  "; measure "$work" diff "$a" "$b"
}

bench_pair "$data/qvc-a.c" "$data/qvc-b.c"
bench_pair "$data/qvc-dup-a" "$data/qvc-dup-b"
