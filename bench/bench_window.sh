#!/bin/sh
# Launch to a mapped window, and to being idle with the file shown, for an empty file and the
# 1 GB C file: qe beside NEdit on the same files in the same run, with peak memory. Runs on a
# private Xvfb. Prints the median of RUNS runs (3 by default) for each program and file.
#   sh bench/bench_window.sh [BUILD_DIR]      (DATA=/work/bench-data)
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
qe="$build/bin/qe"
# No about box in front of the window being timed.
NOSPLASH=1
export NOSPLASH
data="${DATA:-/work/bench-data}"
runs="${RUNS:-3}"
[ -x "$qe" ] || { echo "build qe first (sh scripts/build.sh)"; exit 1; }
mkdir -p "$data"
[ -f "$data/big1g.c" ] || python3 "$root/bench/gen_cfile.py" "$data/big1g.c" 1024
: > "$data/empty.c"
work=$(mktemp -d)
g++ -O2 -o "$work/wait" "$root/bench/bench_window_wait.cc" -lX11

n=81
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=:$n
sleep 1

# median of RUNS lines "MAP_MS IDLE_MS PEAK_MB", by idle time
measure() {
    name=$1
    shift
    : > "$work/out"
    i=0
    while [ $i -lt "$runs" ]; do
        "$work/wait" "$name" "$@" >> "$work/out" || echo "-1 -1 -1" >> "$work/out"
        i=$((i + 1))
    done
    sort -n -k2 "$work/out" | awk '{a[NR]=$0} END {split(a[int((NR+1)/2)], m, " ");
        printf "mapped %8.0f ms   idle %8.0f ms   peak %8.1f MB\n", m[1], m[2], m[3]}'
}

have_nedit=0
command -v nedit >/dev/null && have_nedit=1
[ $have_nedit = 1 ] || echo "(nedit is not installed: apt-get install nedit)"
for f in "$data/empty.c" "$data/big1g.c"; do
    echo "== $(basename "$f"): $(du -m "$f" | cut -f1) MB"
    printf "qe     "; measure "$(basename "$f")" "$qe" "$f"
    if [ $have_nedit = 1 ]; then
        printf "nedit  "; measure "$(basename "$f")" nedit -xrm 'nedit*warnFileMods: False' "$f"
    fi
done
