#!/bin/sh
# "Steal Lock": editor A holds the edit lock of f with a journal that records no edits; editor B
# of the same user opens f and steals the lock. B's journal must then survive A: A's next
# journal write notices the lock is gone, says so and leaves B's journal alone, and A's save
# is refused while B is editing. A journal that holds edits is never offered for stealing.
# Usage: steal-lock.sh QE
qe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
pass=0
fail=0
ok() { pass=$((pass + 1)); echo "ok   $1"; }
bad() { fail=$((fail + 1)); printf 'FAIL %s: %s\n' "$1" "$2"; }
check() { if eval "$2"; then ok "$1"; else bad "$1" "$2"; fi; }
dir=$(mktemp -d)
pids=""
trap 'for p in $pids; do kill -9 $p 2>/dev/null; done; rm -rf "$dir"' EXIT
cd "$dir" || exit 1
HOME=$dir
export HOME
mkdir tmp
TMPDIR=$dir/tmp
export TMPDIR

# sync.sh MARK WANT: tells the test it got here, then waits (at most 30 s) for WANT.
cat > sync.sh <<'EOF'
touch "$1"
t=0
while [ ! -e "$2" ] && [ $t -lt 300 ]; do sleep 0.1; t=$((t + 1)); done
EOF
await() {
    t=0
    while [ ! -e "$1" ] && [ $t -lt 300 ]; do sleep 0.1; t=$((t + 1)); done
    [ -e "$1" ] || { bad "$2" "$1 never came"; cat outA outB 2>/dev/null; exit 1; }
}

printf 'one\ntwo\nthree\n' > f
# A journal left by an editor that is gone, with edits: A discards them and so holds the lock
# with a journal of nothing but its header.
printf '\036\000\000\000a 1 "lost\n' > .f.tq~
"$qe" -batch f -answer 'Discard Edits' -do 'Shell sh sync.sh a-holds b-stole' \
    -do 'EOL;" A"' -do WriteJournal -do 'Shell sh sync.sh a-wrote checked' -do Save \
    -do 'PrintLines' > outA 2>&1 &
a=$!
pids="$a"
await a-holds "A holds the lock"
check "A's journal holds nothing but its header" '[ "$(wc -c < .f.tq~)" -eq 4 ]'

"$qe" -batch f -answer 'Steal Lock' -do 'EOL;" B"' -do WriteJournal \
    -do 'Shell sh sync.sh b-stole a-done' -do Save > outB 2>&1 &
b=$!
pids="$a $b"
await b-stole "B steals"
check "B is offered Steal Lock beside View ReadOnly and takes it" \
    'grep -q "You are editing file elsewhere: f" outB && grep -q -- "-> Steal Lock" outB'
check "B's journal records B's edit" 'grep -q "^a 1 \"one B\$" .f.tq~'

await a-wrote "A writes its journal"
check "A is told the lock was taken" 'grep -q "Another editor took the edit lock of f" outA'
check "and B's journal is untouched" \
    'grep -q "^a 1 \"one B\$" .f.tq~ && ! grep -q "one A" .f.tq~'
check "no pending journal copy is left beside it" '[ -z "$(ls -A | grep "tq~.")" ]'
touch checked
wait $a
check "A's save is refused while B edits (the question offers no stealing)" \
    '[ "$(head -1 f)" = one ] && ! grep -q -- "-> Steal Lock" outA && grep -qx "one A" outA'
touch a-done
wait $b
pids=""
check "B saves its edit and releases the lock" \
    '[ "$(cat f)" = "$(printf "one B\ntwo\nthree")" ] && [ ! -e .f.tq~ ]'

# A journal with edits whose editor lives is never stolen, whatever the answer.
"$qe" -batch f -do 'EOL;" C"' -do WriteJournal -do 'Shell sh sync.sh c-wrote d-done' > outC 2>&1 &
c=$!
pids="$c"
await c-wrote "C writes its journal"
cp .f.tq~ journal.c
"$qe" -batch f -answer 'Steal Lock' -do 'EOL;" D"' -do WriteJournal > outD 2>&1
check "a journal with edits offers only viewing" \
    'grep -q "Outstanding edits exist" outD && grep -q -- "-> <cancel>" outD && cmp -s .f.tq~ journal.c'
touch d-done
wait $c
pids=""
check "and C's edits stayed in its journal until it ended" '[ ! -e .f.tq~ ] && [ "$(head -1 f)" = "one B" ]'

echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
