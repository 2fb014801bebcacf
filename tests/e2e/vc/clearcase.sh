#!/bin/sh
# ClearCase through a cleartool stand-in first on the PATH (bin/cleartool here): its command
# lines, the long-lived interpreter and its restart, shell lines without the interpreter, and
# tools that are missing, die mid-command or hang.
# Usage: clearcase.sh QE
qe="$1"
bin="$(cd "$(dirname "$0")/bin" && pwd)"
. "$(dirname "$0")/common.sh"
export PATH="$bin:$PATH" CLEARTOOL_LOG="$dir/log"
cc="Configure versioncontroltype ClearCase"
touch .ccdir # the directory is an element
for f in a.c die.c hang.c; do printf 'one\n' > $f; mkdir $f.ccver; cp $f $f.ccver/1; chmod a-w $f; done

batch a.c -do "$cc" -do 'EOF;"two\n"' -do 'Checkin second' -do PrintState -do ShowView
has "first edit checks out" "Checking a.c out of Version Control... OK"
has "checked in" "file=a.c line=3 col=0 lines=2 modified=0 readonly=1 dos=0 sel=3,0-3,0 lang=C"
has "show view" "Working directory view: test_view"
check "the interpreter got the templates and the end marker" \
    'grep -qx "co -nc a.c" log && grep -qx "ci -c second a.c" log && grep -qx __TQL_ILLEGAL_COMMAND log'
check "version 2 holds the text" '[ "$(cat a.c.ccver/2)" = "$(printf "one\ntwo")" ]'

# A command for which the tool says nothing still ends (at the end marker); the history goes to
# the message list.
batch a.c -do "$cc" -do ShowHistory -do PrintWindows
has "history in the message list" 'version /main/2 "second"'
check "PrintWindows lists the message list" 'grep -qx "message list Version Control" out'
# Window titles name the view the interpreter works in, asked once.
: > log
batch a.c -do "$cc" -do PrintWindows -do 'Checkout' -do 'Configure tabsize 4' -do PrintWindows
has "the view in the title" "editor a.c [test_view] file=a.c"
check "asked once" '[ "$(grep -cx "pwv -set -s" log)" = 1 ]'
batch a.c -Z VCUseInterpreter -do "$cc" -do PrintWindows
has "no interpreter, no view in the title" "editor a.c file=a.c"

# The interpreter dies in the middle of a command: that command fails, the editor goes on and
# the next command starts a new interpreter.
: > log
batch die.c a.c -do "$cc" -do 'EOF;"x"' -do PrintState -do 'SelectWindow 2' -do 'EOF;"three\n";Checkin third' -do PrintState
has "restart announced" "Restarting Version Control interpreter."
has "the failed check-out refused the edit" "file=die.c line=2 col=0 lines=1 modified=0 readonly=1 dos=0 sel=2,0-2,0 lang=C"
has "the next command works" "file=a.c line=4 col=0 lines=3 modified=0 readonly=1 dos=0 sel=4,0-4,0 lang=C"

# A hanging tool is halted (Escape in a window; the wait limit in batch mode).
batch hang.c a.c -do "$cc" -do 'WaitLimit 2' -do 'EOF;"x"' -do 'SelectWindow 2' -do 'EOF;"four\n";Checkin fourth' -do PrintState
has "hang halted" "Version control command halted: co -nc hang.c"
has "and the editor goes on" "file=a.c line=5 col=0 lines=4 modified=0 readonly=1 dos=0 sel=5,0-5,0 lang=C"

# Without the interpreter each command is a cleartool shell line.
: > log
batch a.c -Z VCUseInterpreter -do "$cc" -do 'EOF;"five\n";Checkin fifth' -do PrintState
check "shell lines" 'grep -qx "co -nc a.c" log && grep -qx "ci -c fifth a.c" log && ! grep -q __TQL log'
has "checked in without the interpreter" "file=a.c line=6 col=0 lines=5 modified=0 readonly=1 dos=0 sel=6,0-6,0 lang=C"

# Placing a new file under control checks the directory out and in around mkelem.
printf 'new\n' > b.c
: > log
batch b.c -do "$cc" -do PlaceUnderVC -answer 'comments=new file;OK'
check "directory checked out, element made, directory checked in" \
    '[ "$(grep -v __TQL log | grep -v "^ls\|^lsco\|^pwv" | tr "\n" "|")" = "co -nc .|mkelem -ci -pti -c new file b.c|ci -c QUORL placed file \"b.c\" under version control. .|" ] || { cat log; false; }'

# cleartool missing from the PATH: version control is turned off, and the editor goes on.
PATH=/usr/bin:/bin batch a.c -do "$cc" -do PrintState
has "missing tool" '"cleartool" is not in your PATH.  Perhaps ClearCase is not installed.  Disabling version control.'
has "editor lives" "file=a.c line=1 col=0 lines=5 modified=0 readonly=1 dos=0 sel=1,0-1,0 lang=C"
finish
