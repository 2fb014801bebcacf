#!/bin/sh
# The line difference engine beside GNU diff, and QVC beside RCS, in the same run.
# (1) Two 1,000,000-line files: 1% of the lines changed at scattered places, and one block of
#     200,000 lines moved to the end; bench_diff computes and prints the textual difference
#     as `qvc diff` does, GNU diff prints its normal format; both to /dev/null.
# (2) A 5,000-line file through 200 revisions, each changing about 1% of its lines: total
#     check-in time, retrieval of the oldest version and of the head, and the size of the
#     QVC log beside the RCS ",v" file.
#   sh bench/bench_qvc.sh [BUILD_DIR]      (RUNS=3 by default; DATA=/work/bench-data)
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
qvc="$build/bin/qvc"
bdiff="$build/bin/bench_diff"
data="${DATA:-/work/bench-data}"
runs="${RUNS:-3}"
[ -x "$qvc" ] && [ -x "$bdiff" ] || { echo "build first (sh scripts/build.sh)"; exit 1; }
mkdir -p "$data"

if [ ! -f "$data/m1-a" ]; then
    [ -f "$data/big100m.c" ] || python3 "$root/bench/gen_cfile.py" "$data/big100m.c" 100
    head -n 1000000 "$data/big100m.c" > "$data/m1-a"
    awk 'NR % 100 == 37 { print "changed line " NR; next } { print }' "$data/m1-a" > "$data/m1-scattered"
    { sed -n '1,300000p;500001,$p' "$data/m1-a"; sed -n '300001,500000p' "$data/m1-a"; } \
        > "$data/m1-moved"
fi

median() { sort -n | awk '{a[NR]=$1} END {printf "%7.3f s", a[int((NR+1)/2)]}'; }
# median wall time of RUNS runs of a command
measure() {
    i=0
    while [ $i -lt "$runs" ]; do
        /usr/bin/time -f "%e" "$@" 2>&1 >/dev/null | tail -1
        i=$((i + 1))
    done | median
    echo
}

echo "== difference of two 1,000,000-line files"
for b in scattered moved; do
    echo "$b:"
    printf "  qe engine "; measure "$bdiff" "$data/m1-a" "$data/m1-$b"
    printf "  GNU diff  "; measure diff "$data/m1-a" "$data/m1-$b"
done

echo "== 5,000 lines through 200 revisions"
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
mkdir -p "$work/q" "$work/r/RCS" "$work/v"
awk 'BEGIN { srand(7); for (i = 1; i <= 5000; i++) print "line " i " " int(rand() * 1e9) }' \
    > "$work/v/0"
i=1
while [ $i -le 200 ]; do
    awk -v s=$i 'BEGIN { srand(s) } { if (rand() < 0.01) print "rev " s " " int(rand() * 1e9); else print }' \
        "$work/v/$((i - 1))" > "$work/v/$i"
    i=$((i + 1))
done
cp "$work/v/0" "$work/q/f.c"
cp "$work/v/0" "$work/r/f.c"
now() { date +%s.%N; }
t0=$(now)
( cd "$work/q" && "$qvc" create f.c -nc >/dev/null && "$qvc" co f.c >/dev/null
  i=1
  while [ $i -le 200 ]; do
      cp "$work/v/$i" f.c
      "$qvc" cio f.c -nc < /dev/null >/dev/null
      i=$((i + 1))
  done )
t1=$(now)
( cd "$work/r" && ci -q -l -t-bench f.c
  i=1
  while [ $i -le 200 ]; do
      cp "$work/v/$i" f.c
      ci -q -l -mrev f.c
      i=$((i + 1))
  done ) >/dev/null 2>&1
t2=$(now)
echo "check in 201 versions"
awk -v a=$t0 -v b=$t1 -v c=$t2 'BEGIN { printf "  qvc %7.2f s\n  rcs %7.2f s\n", b - a, c - b }'
echo "retrieve the oldest version"
printf "  qvc "; measure sh -c "cd '$work/q' && '$qvc' get f.c -v 1.1 -L '$work/q/qvc.log' >/dev/null; true"
printf "  rcs "; measure sh -c "cd '$work/r' && co -q -p -r1.1 f.c"
echo "retrieve the head"
printf "  qvc "; measure sh -c "cd '$work/q' && '$qvc' get f.c >/dev/null; true"
printf "  rcs "; measure sh -c "cd '$work/r' && co -q -p f.c"
echo "log size"
echo "  qvc $(wc -c < "$work/q/qvc.log/f.c") bytes"
echo "  rcs $(wc -c < "$work/r/RCS/f.c,v") bytes"
