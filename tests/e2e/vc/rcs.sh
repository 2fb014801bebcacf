#!/bin/sh
# RCS through the real co, ci, rlog and rcsdiff, driven from the editor in batch mode.
# Usage: rcs.sh QE
qe="$1"
command -v ci > /dev/null || { echo "FAIL: RCS is not installed"; exit 1; }
. "$(dirname "$0")/common.sh"
rcs="Configure versioncontroltype RCS"
printf 'one\n' > a.c

batch a.c -do "$rcs" -do PlaceUnderVC -do PrintState
has "placed under RCS" "a.c is under version control"
check "its log exists and the file is read-only" '[ -f RCS/a.c,v ] && [ ! -w a.c ] || [ "$(stat -c %a a.c)" = 444 ]'

# The first edit checks the file out; the comment reaches ci as it was typed.
batch a.c -do "$rcs" -do 'EOF;"two\n"' -do PrintState -do 'Checkin said "hi" $(touch pwned) `id` \o/' -do PrintState
has "the first edit checks out" "Checking a.c out of Version Control... OK"
has "the edit applies after it" "file=a.c line=3 col=0 lines=2 modified=1 readonly=0 dos=0 sel=3,0-3,0 lang=C"
has "check-in saves and leaves it read-only" "file=a.c line=3 col=0 lines=2 modified=0 readonly=1 dos=0 sel=3,0-3,0 lang=C"
check "ci recorded the comment literally" 'rlog -r1.2 a.c | grep -qxF '"'"'said "hi" $(touch pwned) `id` \o/'"'"
check "nothing in the comment ran" '[ ! -e pwned ]'
check "RCS holds two revisions" 'rlog -h a.c | grep -qx "total revisions: 2"'

# Prevented auto check-out refuses the edit and says why.
batch a.c -do "$rcs" -do 'PreventAutoCheckout;"x"' -do PrintState
has "prevented check-out refuses" "You must check a.c out of Version Control or enable Auto-Checkout"
check "the file is unchanged" '[ "$(cat a.c)" = "$(printf "one\ntwo")" ]'

# An old version comes back as one change that Undo takes back.
batch a.c -do "$rcs" -do 'RevertVersion 1.1' -do PrintLines -do Undo -do PrintLines
check "revert then undo" '[ "$(grep -v "^Checking\|^Reverted" out)" = "$(printf "one\none\ntwo")" ]'
has "revert names the version" "Reverted to version 1.1"

# Discarding a check-out gives the edits up and makes the file read-only again.
batch a.c -do "$rcs" -do 'EOF;"three\n"' -do Discard -answer yes -do PrintState -do PrintLines
# (checked out by the previous run, which ended without checking in: not this session's)
has "discard asks" "Are you sure you want to discard your changes to a.c?\\nYou don't appear to have checked this file out during this session. -> yes"
has "discard reverts" "file=a.c line=3 col=0 lines=2 modified=0 readonly=1 dos=0 sel=3,0-3,0 lang=C"
check "RCS lock released" 'rlog -h a.c | grep -A1 "^locks:" | grep -qv root'

# The history is rlog's output in a window of its own.
batch a.c -do "$rcs" -do ShowHistory -do 'SelectWindow 2' -do PrintLines
has "history window" "total revisions: 2"

# A missing file under control: the question, then a read-only copy or a check-out.
printf 'versioncontroltype RCS\n' > cfg
mkdir -p home/.tql && cp cfg home/.tql/qe.cfg
rm -f a.c
batch a.c -answer Get -do PrintState
has "asked for a missing file" "a.c does not exist, check it out of Version Control? -> Get"
has "got a read-only copy" "file=a.c line=1 col=0 lines=2 modified=0 readonly=1 dos=0 sel=1,0-1,0 lang=C"
rm -f a.c
batch a.c -answer 'Check Out' -do 'EOF;"four\n";Save' -do Close -answer 'comments=closed;OK'
has "closing a checked-out file offers the check-in" 'a.c\nNo unsaved changes. -> OK'
check "the close made revision 1.3" 'rlog -r1.3 a.c | grep -qx closed'
check "and removed the file it had fetched" '[ ! -e a.c ]'

# Save and Check In All: the list of changed Files, then the question for each, checking in.
mkdir all && (cd all && mkdir RCS && for f in x.c y.c; do printf 'one\n' > $f; ci -q -u -i -t-init $f < /dev/null; done)
(cd all && batch x.c y.c -do 'EOF;"two\n"' -do 'SelectWindow 2;EOF;"three\n"' -do QuerySaveCheckinAll \
    -answer All -answer 'vc=Check In;comments=for y;Save' -answer 'vc=Check In;comments=for x;Save'
    cp out ../out)
check "both checked in with their comments" \
    'rlog -r1.2 all/x.c | grep -qx "for x" && rlog -r1.2 all/y.c | grep -qx "for y" && [ ! -w all/x.c ] || [ "$(stat -c %a all/x.c)" = 444 ]'

# A tag that is a file under control opens that file.
batch -tag a.c -answer Get -do PrintState
has "tag lookup finds the file" "file=a.c line=1 col=0 lines=3 modified=0 readonly=1 dos=0 sel=1,0-1,0 lang=C"

# A broken RCS: ci missing from the PATH fails the command, and the editor goes on.
mkdir bin && for t in /usr/bin/* /bin/*; do ln -sf "$t" bin/; done && rm -f bin/ci
PATH="$dir/bin" batch a.c -do 'EOF;"five\n"' -do 'Checkin broken' -do PrintState
check "failed check-in fails the string" '[ "$status" = 1 ]'
has "the editor went on" "file=a.c line=5 col=0 lines=4 modified=0 readonly=0 dos=0 sel=5,0-5,0 lang=C"
finish
