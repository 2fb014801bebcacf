#!/bin/sh
# A compare window on a real X server, driven from the keyboard: `qe -diff` shows the two
# texts, Alt+N and Alt+P step through the differences, Alt+M turns the compare into a merge,
# and the merge controller takes one change from each side (Alt+2 file 2's block, Alt+1 file
# 1's); the result is saved under the name typed into the chooser.
# Usage: compare.sh QE
abs() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
qe=$(abs "$1")
[ -x "$qe" ] || { echo "FAIL: $qe is not a program"; exit 1; }
. "$(dirname "$0")/common.sh"
x11_begin 1280x1024x24 import
HOME=$work
export HOME
start() { "$qe" "$@" > "qe.$$.out" 2>&1 & pid=$!; pids="$pids $pid"; }
keys() { w=$1; shift; for k in "$@"; do xdotool key --window "$w" "$k" 2>/dev/null; sleep 0.3; done; }
press() { for k in "$@"; do xdotool key "$k" 2>/dev/null; sleep 0.2; done; sleep 0.3; }

printf 'int a;\nint b;\nint c;\nint d;\nint e;\n' > left.c
printf 'int a;\nint B;\nint c;\nint d;\nint e;\nint f;\n' > right.c
start -diff left.c right.c
w=$(window_named 'Diff: left\.c.Current Version. vs\. right\.c.Current Version.') ||
    { bad "-diff" "no compare window"; exit 1; }
ok "-diff opens the compare window"
sleep 0.5
[ -n "$SHOTS" ] && import -display "$DISPLAY" -window root "$SHOTS/compare.png"
keys "$w" alt+n alt+p alt+m
c=$(window_named Merge) || { bad "merge" "no controller"; exit 1; }
r=$(window_named Merged_left.c) || bad "merge" "no result window"
ok "Alt+M in the compare window starts the merge with its controller and result"
[ -n "$SHOTS" ] && import -display "$DISPLAY" -window root "$SHOTS/merge.png"
keys "$c" alt+2
keys "$c" alt+1
window_named 'Save Merged_left\.c as\.\.\.' >/dev/null || bad "save" "no chooser"
xdotool type --delay 20 "$work/res.c" 2>/dev/null
press Return
t=0
while [ $t -lt 50 ] && [ ! -s res.c ]; do sleep 0.1; t=$((t + 1)); done
want='int a;
int B;
int c;
int d;
int e;'
if [ "$(cat res.c 2>/dev/null)" = "$want" ]; then
    ok "the controller took file 2's change, then file 1's, into the saved result"
else
    bad "result" "$(cat res.c 2>/dev/null)"
fi
echo "$pass passed, $fail failed"
[ $fail = 0 ]
