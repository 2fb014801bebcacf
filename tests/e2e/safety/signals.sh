#!/bin/sh
# Signals end a batch editor at its next safe point: the unsaved edits stay in the journal,
# which no live editor holds any more, and the next start offers them.
# Usage: signals.sh QE
qe="$1"
fail=0
for sig in TERM HUP INT; do
    dir=$(mktemp -d)
    cd "$dir" || exit 1
    mkdir tmp
    printf 'one\ntwo\n' > in
    # The edit comes first; the journal timer (120 s by default) never writes it here, so
    # whatever journal is left the signal's ending wrote.
    TMPDIR="$dir/tmp" "$qe" -batch in -do 'Configure editincrfrequency 3600' \
        -do 'EOF;"typed by '"$sig"'\n"' -do 'Sleep 1500' -do 'Sleep 20000' -do PrintLines \
        > out 2> err < /dev/null &
    pid=$!
    sleep 0.8
    kill -s "$sig" "$pid"
    wait "$pid"
    status=$?
    want=2
    [ "$sig" = INT ] && want=1
    why=""
    [ "$status" = "$want" ] || why="$why status $status (want $want);"
    [ -s .in.tq~ ] || why="$why no journal;"
    [ -z "$(ls -A tmp)" ] || why="$why temp files left: $(ls -A tmp);"
    [ "$(cat in)" = "$(printf 'one\ntwo')" ] || why="$why file changed;"
    grep -q "typed by $sig" out && why="$why ran past the signal;"
    # The next start finds the journal unlocked and applies it.
    TMPDIR="$dir/tmp" "$qe" -batch in -answer 'Apply Edits' -do PrintLines > out2 2>&1
    grep -q "IRREVOCABLY LOST! -> Apply Edits" out2 || why="$why not offered: $(cat out2);"
    grep -q "^typed by $sig\$" out2 || why="$why edit not recovered;"
    if [ -n "$why" ]; then
        echo "FAIL $sig:$why"
        sed 's/^/  err: /' err
        fail=1
    else
        echo "ok $sig"
    fi
    cd / && rm -rf "$dir"
done

# A signal in the middle of a long load stops it at once: the file being loaded is not
# opened and its temp copy goes.
dir=$(mktemp -d)
cd "$dir" || exit 1
mkdir tmp
printf 'one\ntwo\n' > in
yes 'a line of the big file to load, long enough to matter here.' | head -c 150M > big
TMPDIR="$dir/tmp" "$qe" -batch in big -do 'SelectWindow 2' -do PrintState \
    > out 2> err < /dev/null &
pid=$!
t=0
until [ -n "$(find tmp -type f -size +8M 2>/dev/null)" ] || [ $t -gt 300 ]; do
    sleep 0.05
    t=$((t + 1))
done
kill -s TERM "$pid"
wait "$pid"
status=$?
why=""
[ "$status" = 2 ] || why="$why status $status (want 2);"
grep -q "file=big" out && why="$why the load finished;"
[ -z "$(find tmp -type f)" ] || why="$why temp files left: $(find tmp -type f);"
if [ -n "$why" ]; then echo "FAIL signal during a load:$why"; fail=1; else echo "ok signal during a load"; fi
cd / && rm -rf "$dir"
exit $fail
