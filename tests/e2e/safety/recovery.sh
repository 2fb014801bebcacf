#!/bin/sh
# The crash-recovery question in batch mode: an editor killed with journalled edits leaves a
# journal, and the next start is answered by -answer: Cancel opens nothing and keeps the
# journal, an answer naming no button cancels as well, "Discard Edits" opens
# the file as it is on disk, "Apply Edits" brings the edits back byte for byte.
# Usage: recovery.sh QE
qe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
pass=0
fail=0
ok() { pass=$((pass + 1)); echo "ok   $1"; }
bad() { fail=$((fail + 1)); printf 'FAIL %s: %s\n' "$1" "$2"; }
check() { if eval "$2"; then ok "$1"; else bad "$1" "$2; out: $(head -c 400 out)"; fi; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
HOME=$dir
export HOME

# An editor with a journal of its edits, killed as a crash would.
crash() {
    printf 'one\ntwo\n' > f
    "$qe" -batch f -do 'SOF;"lost \tedit\n";EOF;"tail"' -do WriteJournal -do 'Sleep 30000' \
        > /dev/null 2>&1 &
    p=$!
    t=0
    while [ $t -lt 100 ] && [ "$(wc -c 2>/dev/null < .f.tq~ || echo 0)" -le 4 ]; do
        sleep 0.1
        t=$((t + 1))
    done
    kill -9 $p
    wait $p 2>/dev/null
}
question="You are editing file elsewhere: f"

crash
cp .f.tq~ journal.before
"$qe" -batch f -answer Cancel -do PrintState > out 2>&1
check "Cancel opens nothing" 'grep -qF "$question" out && grep -qx "PrintState: no editor window is open" out'
check "and keeps the journal and the file" 'cmp -s .f.tq~ journal.before && [ "$(cat f)" = "$(printf "one\ntwo")" ]'

"$qe" -batch f -answer 'Keep Everything' -do PrintState > out 2>&1
check "an answer naming no button cancels" 'grep -q -- "-> <cancel>" out && grep -qx "PrintState: no editor window is open" out && cmp -s .f.tq~ journal.before'

"$qe" -batch f -answer 'Discard Edits' -do PrintLines > out 2>&1
check "Discard Edits opens the file as on disk" \
    'grep -q "IRREVOCABLY LOST! -> Discard Edits" out && [ "$(grep -cx "one\|two" out)" = 2 ] && ! grep -q lost out'
check "and drops the edits for good" '[ ! -e .f.tq~ ] && [ "$(cat f)" = "$(printf "one\ntwo")" ]'

crash
"$qe" -batch f -answer 'Apply Edits' -do Save > out 2>&1
check "Apply Edits recovers the edits byte for byte" \
    '[ "$(cat f)" = "$(printf "lost \tedit\none\ntwo\ntail")" ] && [ ! -e .f.tq~ ]'

echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
