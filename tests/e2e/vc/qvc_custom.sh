#!/bin/sh
# QVC in-process and user-configured commands, from the editor in batch mode.
# Usage: qvc_custom.sh QE
qe="$1"
. "$(dirname "$0")/common.sh"
printf 'one\n' > a.c

# QVC (the default system): the comment dialogue, auto check-out, history and revert.
batch a.c -do PlaceUnderVC -answer 'comments=first\nsecond line;OK' -do PrintState
has "comment dialogue asked" "Enter comments for: a.c -> first\\nsecond line"
check "log made" '[ -f qvc.log/a.c ] && grep -q "second line" qvc.log/a.c'
batch a.c -do 'EOF;"two\n"' -do Checkin -answer 'comments=edit;OK' -do PrintState
has "auto check-out" "Checking a.c out of Version Control... OK"
has "checked in read-only" "file=a.c line=3 col=0 lines=2 modified=0 readonly=1 dos=0 sel=3,0-3,0 lang=C"
check "lock released" '[ ! -e qvc.log/qvc.lok/a.c ]'
batch a.c -do Checkin -answer Cancel
has "cancelling the comment cancels the check-in" "Enter comments for: a.c -> Cancel"
check "cancelled check-in fails the string" '[ "$status" = 1 ]'
batch a.c -do ShowHistory -answer 'history=2;Revert' -do PrintLines
check "history lists newest first" 'grep -q "^Show History a.c.n1.2) .* -- edit.n1.1) .* -- first -> history=2;Revert$" out'
has "revert to the older version" "Reverted to version 1.1"
check "the File holds it" '[ "$(tail -1 out)" = one ]'
# The history window compares the version chosen with the one before it.
batch a.c -do ShowHistory -answer 'history=1;Compare with Previous' -do PrintWindows
has "compare window on 1.1 and 1.2" "compare Diff: a.c v1.1 vs. a.c v1.2"
has "the added line is the difference" "Difference 1: file 1: none before line 2; file 2: line 2"
batch a.c -do ShowHistory -answer 'history=2;Compare with Previous' -do PrintWindows
has "the first version has none before it" "No version of a.c before 1.1"
hasnt "so no compare window" "compare Diff"
check "which fails the string" '[ "$status" = 1 ]'
printf 'new\n' > c.c
batch c.c -do 'Configure dontusevc on' -do PlaceUnderVC
has "disabled" "Version control is disabled; Can't create file"
check "nothing made" '[ ! -e qvc.log/c.c ]'
# Another user's check-out: the edit is refused with the holder's name.
printf '       1\nsomeone\n' > qvc.log/qvc.lok/a.c
chmod a-w a.c
batch a.c -do '"x"'
has "held by another" "a.c already checked out by someone"
rm qvc.log/qvc.lok/a.c

# The other commands and answers on QVC: Checkout, Discard answered no, RevertHistory and
# RevertDate, vcbuffer, the missing-file question's Cancel and New, and Unqvc.
printf 'v1\n' > d.c
batch d.c -do PlaceUnderVC -answer 'comments=one;OK' -do Checkout -do PrintState -do 'EOF;"v2\n"' \
    -do 'Checkin two' -do Checkout -do 'EOF;"v3\n"' -do Discard -answer no -do PrintLines
has "Checkout makes it writable" "file=d.c line=1 col=0 lines=1 modified=0 readonly=0 dos=0 sel=1,0-1,0 lang=C"
has "Discard answered no keeps the edits" "v3"
batch d.c -do 'RevertHistory' -answer 'history=2;Revert' -do PrintLines
has "RevertHistory reverts to the chosen version" "Reverted to version 1.1"
check "and the File holds it" '[ "$(tail -1 out)" = v1 ]'
batch d.c -do 'RevertDate 01/01/2001 00:00:00'
has "no version that old" "No version of d.c at 01/01/2001 00:00:00"
batch d.c -do 'RevertDate 12/31/2099 00:00:00' -do PrintLines
check "the newest version at a later date" '[ "$(tail -1 out)" = v2 ] && grep -q "^Reverted to version 1.2$" out'
batch d.c -do 'vcbuffer who'
check "vcbuffer puts the tool's words in the message list" 'grep -q "d.c *has been checked out by" out'
mv d.c d.keep
batch d.c -answer Cancel -do PrintState
check "Cancel opens nothing" 'grep -qx "PrintState: no editor window is open" out && [ ! -e d.c ]'
batch d.c -answer New -do PrintState
has "New edits a new file" "file=d.c line=1 col=0 lines=0 modified=0 readonly=0 dos=0 sel=1,0-1,0 lang=C"
mv d.keep d.c
batch d.c -do Unqvc -do PrintState
has "Unqvc" "Version control removed for d.c"
check "the log is gone" '[ ! -e qvc.log/d.c ]'

# ChangeLogVar: a log that takes check-ins without comments asks for them again.
printf 'e\n' > e.c
batch e.c -do PlaceUnderVC -answer 'comments=made;OK'
sed -i 's/^\$Use Comments 1$/$Use Comments 0/' qvc.log/e.c
check "a log without comments" 'grep -qx "\\\$Use Comments 0" qvc.log/e.c'
batch e.c -do ChangeLogVar
has "ChangeLogVar" "Check-ins of e.c ask for comments"
check "the log asks for comments again" 'grep -qx "\\\$Use Comments 1" qvc.log/e.c'
printf 'n\n' > n.c
batch n.c -do ChangeLogVar
has "ChangeLogVar outside version control" "n.c is not under version control"

# Custom commands: templates with %c; the comment never reaches the shell as code.
cat > home/cfg <<'CFG'
versioncontroltype Custom
vc_undervc sh -c 'test -f ".ctl/$0"'
vc_co sh -c 'chmod u+w "$0" && echo "$0" >> .ctl/co'
vc_ci sh -c 'printf "%s\n" "$0" > .ctl/ci.comment; chmod a-w "$1"' %c
vc_who sh -c 'cat .ctl/holder 2>/dev/null'
CFG
mkdir .ctl && touch .ctl/b.c && printf 'b\n' > b.c && chmod a-w b.c
batch b.c -do 'ConfigureFile home/cfg' \
    -do 'EOF;"more\n";Checkin it'"'"'s $(touch pwned) "q"' -do PrintState
has "custom check-out" "Checking b.c out of Version Control... OK"
check "custom check-in got the comment literally" \
    '[ "$(cat .ctl/ci.comment)" = "it'"'"'s \$(touch pwned) \"q\"" ] && [ ! -e pwned ]'
batch b.c -do 'ConfigureFile home/cfg' -do RevertVersion -answer 1.1
has "custom systems cannot restore" "Restoring a version is not supported for custom version control"
finish
