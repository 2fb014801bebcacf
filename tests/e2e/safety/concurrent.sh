#!/bin/sh
# Twenty editors load one file at once, each changes its own line and saves. Only one holds
# the edit lock at a time; a save either lands whole or is refused, never silently lost: every
# editor that reported success finds its edit in the file, and the file is never corrupt.
# Usage: concurrent.sh QE [RUNS]
qe="$1"
runs="${2:-3}"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
mkdir tmp
export TMPDIR="$dir/tmp"
fail=0
run=0
while [ $run -lt "$runs" ]; do
    awk 'BEGIN { for (i = 1; i <= 20; i++) print "line " i }' > f
    i=1
    pids=""
    while [ $i -le 20 ]; do
        "$qe" -batch f "+$i" -do "EOL;\" edit $i\"" -do Save > "out$i" 2>&1 &
        eval "pid$i=$!"
        i=$((i + 1))
    done
    saved=0
    i=1
    while [ $i -le 20 ]; do
        eval "wait \$pid$i"
        st=$?
        # A save went through when it was started and nothing refused it (a refused edit
        # leaves an unmodified File, whose save writes nothing).
        if [ $st -eq 0 ] && grep -qx "Saving: f" "out$i" &&
            ! grep -q -e "changed since" -e "not saved" -e "No space" -e "read only" "out$i"; then
            saved=$((saved + 1))
            grep -qx "line $i edit $i" f || { echo "FAIL run $run: editor $i saved but its edit is gone"; fail=1; }
        fi
        i=$((i + 1))
    done
    # Every line is the original or the original with its own edit, in order.
    bad=$(awk '{ if ($0 != "line " NR && $0 != "line " NR " edit " NR) n++ } END { print n + (NR != 20) }' f)
    [ "$bad" = 0 ] || { echo "FAIL run $run: the file is corrupt:"; cat f; fail=1; }
    [ $saved -ge 1 ] || { echo "FAIL run $run: no editor saved"; fail=1; }
    [ -e .f.tq~ ] && { echo "FAIL run $run: a journal is left"; fail=1; }
    echo "run $run: $saved of 20 saves went through, the others were refused"
    run=$((run + 1))
done
[ -z "$(ls -A tmp)" ] || { echo "FAIL temp files left"; fail=1; }
exit $fail
