#!/bin/sh
# Version control from the editor beside the tools' own command lines, in the same run.
# (1) QVC: 20 rounds on a 20,000-line file, each checking it out, changing its first line and
#     checking it in: in the editor (one qe -batch: the change checks the file out, Checkin
#     checks it in) beside `qvc co`, sed and `qvc delta` from the shell, with the same changes.
#     The editor's figure is shown whole and less the same run without the rounds.
# (2) RCS: 50 changed files checked in through the front end (one qe -batch, one Checkin per
#     window) beside `ci -q -u` run 50 times from a shell loop; the editor's figure again
#     whole and less the same run without the check-ins.
# Median wall time of RUNS runs (5 by default).
#   sh bench/bench_vc.sh [BUILD_DIR]
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
qe="$build/bin/qe"
qvc="$build/bin/qvc"
runs="${RUNS:-5}"
[ -x "$qe" ] && [ -x "$qvc" ] || { echo "build first (sh scripts/build.sh)"; exit 1; }
command -v ci > /dev/null || { echo "RCS is not installed"; exit 1; }
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
export HOME="$work/home" TMPDIR="$work/tmp"
mkdir -p "$HOME" "$TMPDIR"

now() { date +%s.%N; }
median() { sort -n | awk '{a[NR]=$1} END {printf "%8.3f s\n", a[int((NR+1)/2)]}'; }
elapsed() { echo "$2 - $1" | bc; }

echo "== QVC: 20 rounds of check-out, one changed line, check-in, on a 20,000-line file"
mkdir "$work/q"
cd "$work/q"
awk 'BEGIN { for (i = 1; i <= 20000; i++) print "int line" i " = " i * 7 ";" }' > ed.c
cp ed.c cl.c
"$qvc" create ed.c cl.c -C "first" > /dev/null
: > t.editor; : > t.base; : > t.qvc
rounds=20
r=1
while [ $r -le "$runs" ]; do
    # the editor: each round's first change checks the file out, Checkin checks it in
    set --
    k=1
    while [ $k -le $rounds ]; do
        set -- "$@" -do "SOF;\"changed $r $k\\n\"" -do "Checkin round $r $k"
        k=$((k + 1))
    done
    t0=$(now); "$qe" -batch ed.c -do PrintState > /dev/null; t1=$(now)
    elapsed "$t0" "$t1" >> t.base
    t0=$(now); "$qe" -batch ed.c "$@" > out; t1=$(now)
    elapsed "$t0" "$t1" >> t.editor
    # the command line: qvc co, the same change, qvc delta (which removes the working file)
    t0=$(now)
    k=1
    while [ $k -le $rounds ]; do
        "$qvc" co cl.c > /dev/null
        sed -i "1s/^/changed $r $k\n/" cl.c
        "$qvc" delta cl.c -C "round $r $k" > /dev/null
        k=$((k + 1))
    done
    t1=$(now)
    elapsed "$t0" "$t1" >> t.qvc
    "$qvc" get cl.c > /dev/null
    cmp -s ed.c cl.c || { echo "the editor's file differs from the command line's"; exit 1; }
    r=$((r + 1))
done
printf "  editor, whole run       "; median < t.editor
printf "  editor, start and load  "; median < t.base
paste t.editor t.base | awk '{print $1 - $2}' > t.diff
printf "  editor, the rounds      "; median < t.diff
printf "  qvc co, sed, qvc delta  "; median < t.qvc

echo "== RCS: 50 files checked in"
mkdir "$work/r"
cd "$work/r"
: > t.editor; : > t.base; : > t.ci
r=1
while [ $r -le "$runs" ]; do
    rm -rf fe sh && mkdir -p fe/RCS sh/RCS
    i=1
    while [ $i -le 50 ]; do
        awk -v n=$i 'BEGIN { for (k = 1; k <= 2000; k++) print "file " n " line " k }' > fe/f$i.c
        (cd fe && ci -q -l -t-start f$i.c && echo "change $r" >> f$i.c)
        i=$((i + 1))
    done
    cp -a fe/. sh/
    # the same run without the check-ins: start-up and loading the 50 files
    set --
    i=1
    while [ $i -le 50 ]; do
        set -- "$@" f$i.c -do "SelectWindow $i;PrintState"
        i=$((i + 1))
    done
    cd fe
    t0=$(now); "$qe" -batch -do "Configure versioncontroltype RCS" "$@" > ../out 2>&1; t1=$(now)
    cd ..
    elapsed "$t0" "$t1" >> t.base
    set --
    i=1
    while [ $i -le 50 ]; do
        set -- "$@" f$i.c -do "SelectWindow $i;Checkin round $r"
        i=$((i + 1))
    done
    cd fe
    t0=$(now); "$qe" -batch -do "Configure versioncontroltype RCS" "$@" > ../out 2>&1; t1=$(now)
    cd ..
    elapsed "$t0" "$t1" >> t.editor
    cd sh
    t0=$(now)
    for f in f*.c; do ci -q -u -m"round $r" "$f"; done
    t1=$(now)
    cd ..
    elapsed "$t0" "$t1" >> t.ci
    [ "$(cat fe/RCS/*,v | grep -c "^@round $r")" = 50 ] || { echo "the editor did not check in all 50"; cat out; exit 1; }
    r=$((r + 1))
done
printf "  front end, whole run    "; median < t.editor
printf "  front end, start, load  "; median < t.base
paste t.editor t.base | awk '{print $1 - $2}' > t.diff
printf "  front end, check-ins    "; median < t.diff
printf "  ci from a shell loop    "; median < t.ci
