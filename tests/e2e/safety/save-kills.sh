#!/bin/sh
# Kills the editor (SIGKILL) at random moments of saves and checks what is left: the file
# holds the old text or the new one, or the next start recovers the new text exactly from the
# journal. Saves of every kind: a whole rewrite (an edit at the top), a tail write from the
# middle and from the end, growing and shrinking, LF and CR LF files; and Save As over another
# file, which must hold its old text or the new one whole, or, when that file has a second
# hard link and so is written in place, recover the new text from its own journal (the link
# showing the same text throughout).
# Usage: save-kills.sh QE [MEGABYTES [KILLS [SEED]]]   (defaults: 4 MB, 33 kills)
# By hand: save-kills.sh build/bin/qe 200 200
qe="$1"
mb="${2:-4}"
kills="${3:-33}"
seed="${4:-1}"
base=/dev/shm
[ -w "$base" ] || base=${TMPDIR:-/tmp}
dir=$(mktemp -d "$base/qe-kills.XXXXXX")
trap 'kill -9 $pid 2>/dev/null; rm -rf "$dir"' EXIT
cd "$dir" || exit 1
mkdir tmp
export TMPDIR="$dir/tmp"

# Lines of varied length, about $mb megabytes, LF and CR LF.
awk -v n=$((mb * 1024 * 1024 / 41)) 'BEGIN { for (i = 0; i < n; i++) {
    s = "line " i " of the file"; for (j = 0; j < i % 7; j++) s = s " pad"; print s } }' > lf.orig
sed 's/$/\r/' lf.orig > crlf.orig
lines=$(wc -l < lf.orig)
mid=$((lines / 2))

# Sets kind (the base file), line (where the editor starts) and edit for mode $1.
nmodes=11
mode() {
    case $1 in
    0) name=top-grow kind=lf line=1 edit='"inserted\n"' ;;
    1) name=top-shrink kind=lf line=1 edit='ContinueSelection;Down;Cut1' ;;
    2) name=mid-grow kind=lf line=$mid edit='"grown\n"' ;;
    3) name=mid-shrink kind=lf line=$mid edit='ContinueSelection;Down;Cut1' ;;
    4) name=end-grow kind=lf line=$lines edit='EOL;"-tail"' ;;
    5) name=end-shrink kind=lf line=$((lines - 1)) edit='ContinueSelection;Down;Cut1' ;;
    6) name=crlf-grow kind=crlf line=$mid edit='"grown\n"' ;;
    7) name=crlf-shrink kind=crlf line=$mid edit='ContinueSelection;Down;Cut1' ;;
    8) name=saveas-lf kind=lf line=1 edit='"inserted\n"' ;;
    9) name=saveas-crlf kind=crlf line=$mid edit='ContinueSelection;Down;Cut1' ;;
    10) name=saveas-linked kind=lf line=$mid edit='"grown\n"' ;;
    esac
    # Save As replaces g, which holds the other kind's text.
    case $name in
    saveas-*) save='SaveAs g' other=lf; [ $kind = lf ] && other=crlf ;;
    *) save=Save ;;
    esac
    # Written in place, the target is read back with the line ends it holds: one killed
    # before its first new byte would give the recovered lines its old ends.
    [ $name = saveas-linked ] && other=$kind
}

# The new text of each mode, from a save that is not interrupted.
m=0
while [ $m -lt $nmodes ]; do
    mode $m
    cp "$kind.orig" "$name.new"
    "$qe" -batch "$name.new" "+$line" -do "$edit" -do Save > /dev/null 2>&1 ||
        { echo "FAIL reference save $name"; exit 1; }
    cmp -s "$name.new" "$kind.orig" && { echo "FAIL reference save $name changed nothing"; exit 1; }
    rm -f "$name.new~"
    m=$((m + 1))
done

# Sets ms: a pseudo-random delay below $1 (not in a subshell, so that the seed moves on).
rand() { seed=$(((seed * 1103515245 + 12345) % 2147483648)); ms=$((seed / 65536 % $1)); }
fail=0
recovered=0
old=0
new=0
k=0
while [ $k -lt "$kills" ]; do
    mode $((k % nmodes))
    rm -f f .f.tq~ .f.tq~# f~ g g2 .g.tq~ .g.tq~#
    cp "$kind.orig" f
    [ "$save" = Save ] || cp "$other.orig" g
    [ $name = saveas-linked ] && ln g g2
    "$qe" -batch f "+$line" -answer yes -do "$edit" -do "$save" > run.out 2>&1 &
    pid=$!
    # The save begins with the journal of its new text (the edit made the journal, empty, and
    # the save writes it through its pending copy): the kill lands somewhere in the save. Save
    # As writes no journal: its writing follows the edit at once.
    until [ -e .f.tq~# ] || [ "$(stat -c %s .f.tq~ 2>/dev/null || echo 0)" -gt 4 ] ||
        { [ "$save" != Save ] && [ -e .f.tq~ ]; } || ! kill -0 $pid 2>/dev/null; do
        sleep 0.005
    done
    rand $((10 + 5 * mb))
    sleep "$((ms / 1000)).$(printf %03d $((ms % 1000)))"
    kill -9 $pid 2>/dev/null
    wait $pid 2>/dev/null
    if [ $name = saveas-linked ] && [ "$(stat -c %i g)" != "$(stat -c %i g2)" ]; then
        echo "FAIL kill $k ($name): the Save As target no longer shares its text with its link"
        fail=$((fail + 1))
    elif [ $name = saveas-linked ] && [ -e .g.tq~ ]; then
        # Written in place: its journal carries the whole new text.
        "$qe" -batch g -answer 'Apply Edits' -do Save > rec.out 2>&1
        if cmp -s g "$name.new" && cmp -s g2 "$name.new"; then
            recovered=$((recovered + 1))
        elif cmp -s g "$other.orig"; then
            old=$((old + 1)) # killed before anything was written
        else
            echo "FAIL kill $k ($name): the target's journal did not recover the new text"
            sed 's/^/  /' rec.out | head -5
            fail=$((fail + 1))
        fi
    elif [ "$save" != Save ]; then
        if cmp -s g "$other.orig"; then
            old=$((old + 1))
        elif cmp -s g "$name.new"; then
            new=$((new + 1))
        else
            echo "FAIL kill $k ($name): the Save As target is neither old nor new"
            fail=$((fail + 1))
        fi
        rm -f tq_*.sv
    elif [ -e .f.tq~ ]; then
        "$qe" -batch f -answer 'Apply Edits' -do Save > rec.out 2>&1
        if cmp -s f "$name.new"; then
            recovered=$((recovered + 1))
        elif cmp -s f "$kind.orig"; then
            old=$((old + 1)) # killed before the journal held the edits: nothing written
        else
            echo "FAIL kill $k ($name): the journal did not recover the new text"
            sed 's/^/  /' rec.out | head -5
            fail=$((fail + 1))
        fi
    elif cmp -s f "$kind.orig"; then
        old=$((old + 1))
    elif cmp -s f "$name.new"; then
        new=$((new + 1))
    else
        echo "FAIL kill $k ($name): the file is neither old nor new and there is no journal"
        fail=$((fail + 1))
    fi
    if [ -n "$(ls -A tmp)" ]; then rm -rf tmp/*; fi
    k=$((k + 1))
done
echo "$kills kills of saves of a $mb MB file: $recovered recovered from the journal," \
    "$old left old, $new left new, $fail lost"
[ $fail -eq 0 ]
