#!/bin/sh
# Compare and merge beside their peers, in the same run (median wall time and peak memory of
# RUNS runs):
# (1) the line difference engine (bench_diff, the textual difference `qvc diff` prints) beside
#     GNU diff on two 1,000,000-line files: 1% of the lines changed at scattered places, and a
#     block of 10,000 lines moved to the end;
# (2) a compare window on the scattered pair: `qe -batch -diff` to its first difference, and
#     under a private Xvfb the time from start to the window mapped with its texts drawn;
# (3) a three-way automatic merge of 100,000-line files (`qe -batch -merge A B BASE OUT`)
#     beside `diff3 -m -E`, with the two results compared.
#   sh bench/bench_merge.sh [BUILD_DIR]      (RUNS=3 by default; DATA=/work/bench-data)
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
qe="$build/bin/qe"
bdiff="$build/bin/bench_diff"
data="${DATA:-/work/bench-data}"
runs="${RUNS:-3}"
[ -x "$qe" ] && [ -x "$bdiff" ] || { echo "build first (sh scripts/build.sh)"; exit 1; }
mkdir -p "$data"

if [ ! -f "$data/m1-a" ]; then
    src="$data/big1g.c"
    [ -f "$src" ] || src="$data/big100m.c"
    [ -f "$src" ] || python3 "$root/bench/gen_cfile.py" "$src" 100
    head -n 1000000 "$src" > "$data/m1-a"
fi
[ -f "$data/m1-scattered" ] ||
    awk 'NR % 100 == 37 { print "changed line " NR; next } { print }' "$data/m1-a" > "$data/m1-scattered"
[ -f "$data/m1-moved10k" ] ||
    { sed -n '1,300000p;310001,$p' "$data/m1-a"; sed -n '300001,310000p' "$data/m1-a"; } > "$data/m1-moved10k"
if [ ! -f "$data/k100-base" ]; then
    head -n 100000 "$data/m1-a" > "$data/k100-base"
    # Each side changes its own lines, far apart from the other's: nothing overlaps.
    awk 'NR % 200 == 50 { print "mine " NR; next } NR % 1000 == 7 { next } { print }' \
        "$data/k100-base" > "$data/k100-mine"
    awk 'NR % 200 == 150 { print "theirs " NR; print "theirs more " NR; next } { print }' \
        "$data/k100-base" > "$data/k100-theirs"
fi

# median of RUNS runs of a command: "TIME s  MEM MB"
measure() {
    i=0
    while [ $i -lt "$runs" ]; do
        /usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -1
        i=$((i + 1))
    done | sort -n | awk '{t[NR]=$1; m[NR]=$2} END {k=int((NR+1)/2); printf "%7.3f s %8.1f MB\n", t[k], m[k]/1024}'
}

echo "== difference of two 1,000,000-line files (median of $runs)"
for b in scattered moved10k; do
    echo "$b:"
    printf "  qe engine "; measure "$bdiff" "$data/m1-a" "$data/m1-$b"
    printf "  GNU diff  "; measure diff "$data/m1-a" "$data/m1-$b"
done

echo "== compare window on the scattered pair"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf "  qe -batch -diff, to the first difference "
TMPDIR=$tmp measure "$qe" -batch -diff "$data/m1-a" "$data/m1-scattered"
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
    dfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dfile" >/dev/null 2>&1 &
    xvfb=$!
    while [ ! -s "$dfile" ]; do sleep 0.1; done
    export DISPLAY=":$(cat "$dfile")"
    rm -f "$dfile"
    i=0
    while [ $i -lt "$runs" ]; do
        start=$(date +%s.%N)
        NOSPLASH=1 TMPDIR=$tmp "$qe" -diff "$data/m1-a" "$data/m1-scattered" >/dev/null 2>&1 &
        pid=$!
        # Mapped, then idle: the first drawing is done when the program sleeps again.
        until xdotool search --onlyvisible --name '^Diff: ' >/dev/null 2>&1; do sleep 0.02; done
        while [ "$(ps -o stat= -p $pid | cut -c1)" = R ]; do sleep 0.02; done
        end=$(date +%s.%N)
        kill $pid 2>/dev/null
        wait $pid 2>/dev/null || true
        echo "$start $end" | awk '{print $2 - $1}'
        i=$((i + 1))
    done | sort -n | awk '{t[NR]=$1} END {printf "  X11 window mapped and drawn             %7.3f s\n", t[int((NR+1)/2)]}'
    kill $xvfb 2>/dev/null
fi

echo "== three-way automatic merge of 100,000-line files"
printf "  qe -merge     "
TMPDIR=$tmp measure "$qe" -batch -merge "$data/k100-mine" "$data/k100-theirs" "$data/k100-base" "$tmp/qe.out"
printf "  diff3 -m -E   "
measure sh -c "diff3 -m -E '$data/k100-mine' '$data/k100-base' '$data/k100-theirs' > '$tmp/diff3.out'"
if cmp -s "$tmp/qe.out" "$tmp/diff3.out"; then echo "  results: identical"; else echo "  results: DIFFER"; fi
