#!/bin/sh
# The journal timer follows `editincrfrequency` from the user's configuration file, and a
# pause of two seconds in typing writes a journal at once.
# Usage: journal-timer.sh QE
qe="$1"
fail=0
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
mkdir tmp home home/.tql
export TMPDIR="$dir/tmp" HOME="$dir/home"

# Waits (up to 10 s) for the journal to hold $1, then kills the editor $2 as a crash would.
# Prints the seconds it took.
journal_holds() {
    t=0
    until grep -q "$1" .in.tq~ 2>/dev/null; do
        t=$((t + 1))
        [ $t -gt 100 ] && break
        sleep 0.1
    done
    kill -9 "$2" 2>/dev/null
    wait "$2" 2>/dev/null
    grep -q "$1" .in.tq~ 2>/dev/null
}

# Typing that never pauses: only the configured interval (1 s) can write the journal while it
# goes on; the default interval is two minutes.
printf 'one\ntwo\n' > in
echo "editincrfrequency 1" > home/.tql/qe.cfg
set -- -batch in
for k in a b c d e f g h i j k l m n o p; do set -- "$@" -do "\"$k\"" -do 'Sleep 300'; done
"$qe" "$@" -do 'Sleep 30000' > out 2>&1 &
if journal_holds '"a' $!; then echo "ok   interval from the configuration file"; else
    echo "FAIL interval from the configuration file: no journal while typing"; fail=1; fi
rm -f .in.tq~

# The same typing with the default interval: no journal while it goes on.
rm home/.tql/qe.cfg
"$qe" "$@" > out 2>&1 &
pid=$!
seen=""
while kill -0 $pid 2>/dev/null; do
    grep -q '"a' .in.tq~ 2>/dev/null && seen=yes
    sleep 0.1
done
wait $pid
if [ -z "$seen" ]; then echo "ok   default interval waits"; else
    echo "FAIL default interval waits: a journal while typing went on"; fail=1; fi
rm -f .in.tq~

# One edit, then nothing: the pause writes it within about two seconds, long before the
# default interval.
"$qe" -batch in -do '"paused"' -do 'Sleep 30000' > out 2>&1 &
if journal_holds 'paused' $!; then echo "ok   journal after a pause in typing"; else
    echo "FAIL journal after a pause in typing: none within 10 s"; fail=1; fi
rm -f .in.tq~

# Configure changes the interval of a running editor.
"$qe" -batch in -do 'Configure editincrfrequency 1' -do '"x"' -do 'Sleep 300' -do '"y"' \
    -do 'Sleep 300' -do '"z"' -do 'Sleep 300' -do '"w"' -do 'Sleep 300' -do '"v"' \
    -do 'Sleep 300' -do '"u"' -do 'Sleep 30000' > out 2>&1 &
if journal_holds '"x' $!; then echo "ok   interval from Configure"; else
    echo "FAIL interval from Configure: no journal while typing"; fail=1; fi
exit $fail
