#!/bin/sh
# A compare window on a real X server, driven from the keyboard: `qe -diff` shows the two
# texts, Alt+N and Alt+P step through the differences, Alt+M turns the compare into a merge,
# and the merge controller takes one change from each side (Alt+2 file 2's block, Alt+1 file
# 1's); the result holds them and is offered for saving.
# Usage: compare.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24 import
# Keys typed as on a keyboard, at typing speed, once window $1 has the focus. (`xdotool key
# --window` sends each event through XSendEvent or XTEST according to which window has the
# focus at that moment: a chord sent as the focus moves arrives half synthetic, the Alt press
# to the window but not held in the server, the digit real without Alt, and is lost.)
keys() {
    w=$1
    shift
    t=0
    xdotool windowfocus "$w" 2>/dev/null
    while [ "$(xdotool getwindowfocus 2>/dev/null)" != "$w" ] && [ $t -lt 100 ]; do
        sleep 0.05
        t=$((t + 1))
    done
    xdotool key --delay 120 "$@" 2>/dev/null
}

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
# Both choices typed one after the other, without waiting for the first to show.
keys "$c" alt+2 alt+1
s=$(window_named 'Save Merged_left\.c as\.\.\.') && ok "file 2's change, then file 1's (empty) block, end the merge: the result is offered for saving" ||
    bad "save" "no chooser"
[ "$(field "$r" lines)" = 5 ] && ok "file 2's block and the common lines after it are in the result" ||
    bad "File 2" "result has $(field "$r" lines) lines, want 5"
[ -n "$SHOTS" ] && import -display "$DISPLAY" -window root "$SHOTS/end.png"
keys "$s" Escape
t=0
while [ $t -lt 50 ] && xdotool search --onlyvisible --name '^Diff: ' >/dev/null 2>&1; do sleep 0.1; t=$((t + 1)); done
[ $t -lt 50 ] && ok "the compare window goes when the merge is over" || bad "end" "compare window still open"

# Three-way: file 1 and file 2 side by side, the base below file 1, the result beside the base;
# two conflicts answered with two chords typed at once (Alt+1, then Alt+2).
printf 'a\nb\nc\nd\ne\n' > base.c
printf 'a\nB1\nc\nd\nE1\n' > mine.c
printf 'a\nB2\nc\nd\nE2\n' > theirs.c
start -merge mine.c theirs.c base.c
m=$(window_named 'Merge: mine\.c.Current Version. and theirs\.c.Current Version.') ||
    { bad "three-way" "no merge window"; exit 1; }
c=$(window_named Merge) || { bad "three-way" "no controller"; exit 1; }
r=$(window_named Merged_mine.c) || bad "three-way" "no result window"
eval "$(xdotool getwindowgeometry --shell "$m" | sed 's/^/M/')"
eval "$(xdotool getwindowgeometry --shell "$r" | sed 's/^/R/')"
[ "$RX" -ge $((MX + MWIDTH / 3)) ] && [ "$RY" -ge $((MY + MHEIGHT / 3)) ] &&
    [ $((RX + RWIDTH)) -le $((MX + MWIDTH + 8)) ] &&
    ok "the result window sits in the lower right of the merge window" ||
    bad "three-way" "result at $RX,$RY ${RWIDTH}x$RHEIGHT, merge window at $MX,$MY ${MWIDTH}x$MHEIGHT"
[ -n "$SHOTS" ] && import -display "$DISPLAY" -window root "$SHOTS/merge3.png"
keys "$c" alt+1 alt+2
s=$(window_named 'Save Merged_mine\.c as\.\.\.') && ok "both chords taken: the merge ends" ||
    bad "three-way" "no chooser after two choices"
[ "$(field "$r" lines)" = 5 ] && ok "the result has the five lines" ||
    bad "three-way" "result has $(field "$r" lines) lines, want 5"
keys "$s" Escape
echo "$pass passed, $fail failed"
[ $fail = 0 ]
