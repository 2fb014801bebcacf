#!/bin/sh
# Opening a large C-like file, going to its last line and printing it: qe in batch mode
# beside Vim in ex mode, on the same files in the same run. Prints the median wall time
# and peak memory (max RSS) of RUNS runs each.
#   sh bench/bench_load.sh [BUILD_DIR]      (RUNS=3 by default; DATA=/work/bench-data)
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
qe="$build/bin/qe"
data="${DATA:-/work/bench-data}"
runs="${RUNS:-3}"
mkdir -p "$data"
[ -x "$qe" ] || { echo "build qe first (sh scripts/build.sh)"; exit 1; }
[ -f "$data/big1g.c" ] || python3 "$root/bench/gen_cfile.py" "$data/big1g.c" 1024
[ -f "$data/big100m.c" ] || python3 "$root/bench/gen_cfile.py" "$data/big100m.c" 100

# median of the wall times and the peak memory of that run, from /usr/bin/time lines "SECS KB"
measure() {
    out=$(mktemp)
    i=0
    while [ $i -lt "$runs" ]; do
        /usr/bin/time -f "%e %M" -o "$out.t" "$@" >/dev/null 2>&1
        cat "$out.t" >> "$out"
        i=$((i + 1))
    done
    sort -n "$out" | awk '{a[NR]=$0} END {split(a[int((NR+1)/2)], m, " ");
        printf "%6.2f s  %7.0f MB\n", m[1], m[2] / 1024}'
    rm -f "$out" "$out.t"
}

for f in "$data/big100m.c" "$data/big1g.c"; do
    lines=$(awk 'END {print NR}' "$f")
    size=$(du -m "$f" | cut -f1)
    echo "== $(basename "$f"): ${size} MB, $lines lines"
    printf "qe   "; measure "$qe" -batch +"$lines" "$f" -do "PrintLines $lines"
    if command -v vim >/dev/null; then
        printf "vim  "; measure vim -u NONE -i NONE -n -es '+normal G' '+q!' "$f"
    fi
done
