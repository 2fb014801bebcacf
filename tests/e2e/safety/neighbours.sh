#!/bin/sh
# Another user who may write into the directory of a file being edited plants symbolic links
# where the editor writes its journal's pending copy, its backup and its journal: the editor
# never writes through them. Journals and backups of a private (0600) file stay private.
# Run as root: it creates the second user itself.
# Usage: neighbours.sh QE
qe="$1"
if [ "$(id -u)" != 0 ]; then echo "skip: needs root to act as a second user"; exit 0; fi
pass=0
fail=0
ok() { pass=$((pass + 1)); echo "ok   $1"; }
bad() { fail=$((fail + 1)); printf 'FAIL %s: %s\n' "$1" "$2"; }
other=qeneighbour
made=""
if ! id "$other" >/dev/null 2>&1; then
    useradd -M -N -s /usr/sbin/nologin "$other" || { echo "FAIL: cannot create $other"; exit 1; }
    made=yes
fi
dir=$(mktemp -d)
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    rm -rf "$dir"
    [ -n "$made" ] && userdel "$other" 2>/dev/null
}
trap cleanup EXIT
mkdir "$dir/shared" "$dir/private" "$dir/tmp" "$dir/home"
chmod 0755 "$dir"
chmod 0777 "$dir/shared" # the neighbour may create and remove names here
export TMPDIR="$dir/tmp" HOME="$dir/home"
mkdir "$dir/home/.tql" && echo "editorbackups 1" > "$dir/home/.tql/qe.cfg"
echo "keep me" > "$dir/private/important.txt"
echo "keep me too" > "$dir/private/other.txt"
chmod 0644 "$dir/private/important.txt" "$dir/private/other.txt"
cd "$dir/shared" || exit 1
printf 'report\n' > report.txt
chmod 0600 report.txt
as_other() { runuser -u "$other" -- "$@"; }
as_other ln -s "$dir/private/important.txt" .report.txt.tq~#
as_other ln -s "$dir/private/other.txt" report.txt~

# Typing and a journal write, then a crash: the journal is where the editor put it.
"$qe" -batch report.txt -do 'SOF;"CONFIDENTIAL salary\n"' -do WriteJournal -do 'Sleep 30000' \
    > out 2>&1 &
pid=$!
t=0
until grep -q CONFIDENTIAL .report.txt.tq~ 2>/dev/null || [ $t -gt 100 ]; do sleep 0.1; t=$((t + 1)); done
kill -9 $pid; wait $pid 2>/dev/null; pid=""
[ "$(cat "$dir/private/important.txt")" = "keep me" ] && ok "pending copy not written through a link" ||
    bad "pending copy" "important.txt now holds: $(head -c 80 "$dir/private/important.txt")"
[ -f .report.txt.tq~ ] && [ ! -L .report.txt.tq~ ] && grep -q CONFIDENTIAL .report.txt.tq~ &&
    ok "journal written as a file of its own" || bad "journal" "$(ls -la)"
mode=$(stat -c %a .report.txt.tq~)
[ "$mode" = 600 ] && ok "journal of a 0600 file is 0600" || bad "journal mode" "$mode"
as_other cat .report.txt.tq~ >/dev/null 2>&1 && bad "journal" "the neighbour can read it" ||
    ok "the neighbour cannot read the journal"

# Recovering and saving makes the backup: a new file, not the neighbour's link.
"$qe" -batch report.txt -answer 'Apply Edits' -do Save > out 2>&1
[ "$(cat "$dir/private/other.txt")" = "keep me too" ] && ok "backup not written through a link" ||
    bad "backup" "other.txt now holds: $(head -c 80 "$dir/private/other.txt")"
[ -f report.txt~ ] && [ ! -L report.txt~ ] && [ "$(cat report.txt~)" = report ] &&
    ok "backup holds the text as loaded" || bad "backup" "$(ls -la report.txt~) $(cat out)"
mode=$(stat -c %a report.txt~)
[ "$mode" = 600 ] && ok "backup of a 0600 file is 0600" || bad "backup mode" "$mode"
[ "$(head -1 report.txt)" = "CONFIDENTIAL salary" ] && ok "edit recovered and saved" ||
    bad "recovery" "$(cat out)"

# A link planted where the journal itself goes: the file is not edited through it.
printf 'notes\n' > notes.txt
as_other ln -s "$dir/private/important.txt" .notes.txt.tq~
"$qe" -batch notes.txt -do 'SOF;"typed\n"' -do WriteJournal -do Save > out 2>&1
[ "$(cat "$dir/private/important.txt")" = "keep me" ] && [ "$(cat notes.txt)" = notes ] &&
    grep -q "Journal is not a regular file" out && ok "planted journal link refused" ||
    bad "planted journal link" "$(cat out) / $(cat "$dir/private/important.txt")"
echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
