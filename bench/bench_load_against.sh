#!/bin/sh
# Loading the 1 GB file with this build's qe beside another build's (an older commit built
# elsewhere), runs alternating so that both meet the same machine: the wall time of opening
# it and printing its last line, each run and the median of each, and their ratio.
#   sh bench/bench_load_against.sh OTHER_QE [BUILD_DIR]   (RUNS=5; DATA=/work/bench-data)
# To build an older commit outside the tree:
#   git archive COMMIT | tar -x -C /tmp/old && cmake -S /tmp/old -B /tmp/old/build &&
#   cmake --build /tmp/old/build --target qe
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
other="$1"
build="${2:-$root/build}"
qe="$build/bin/qe"
data="${DATA:-/work/bench-data}"
runs="${RUNS:-5}"
[ -x "$other" ] && [ -x "$qe" ] || { echo "usage: bench_load_against.sh OTHER_QE [BUILD_DIR]"; exit 1; }
mkdir -p "$data"
file="$data/big1g.c"
[ -f "$file" ] || python3 "$root/bench/gen_cfile.py" "$file" 1024
lines=$(awk 'END {print NR}' "$file")
cat "$file" > /dev/null # from the page cache for both
out=$(mktemp)
trap 'rm -f "$out" "$out.t"' EXIT
i=0
while [ $i -lt "$runs" ]; do
    for who in other this; do
        prog=$other
        [ $who = this ] && prog=$qe
        /usr/bin/time -f "%e" -o "$out.t" "$prog" -batch "+$lines" "$file" -do "PrintLines $lines" >/dev/null 2>&1
        echo "$who $(tail -1 "$out.t")" >> "$out"
        printf "run %d %-5s %6.2f s\n" $((i + 1)) $who "$(tail -1 "$out.t")"
    done
    i=$((i + 1))
done
median() { awk -v w="$1" '$1 == w {print $2}' "$out" | sort -n | awk '{a[NR]=$0} END {print a[int((NR+1)/2)]}'; }
mo=$(median other)
mt=$(median this)
printf "median: other %.2f s, this %.2f s, this/other %.3f\n" "$mo" "$mt" "$(echo "$mt $mo" | awk '{print $1 / $2}')"
