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
