#!/bin/sh
# Going places in qe on a real X server with a window manager (openbox), as a user would:
# Shift+Control+G asks where to go and takes a line, a tag or FILE:LINE; Control+T steps
# through the definitions of a tag defined twice; the menu's Next Window brings the other
# editor window up with the keyboard; Default Size gives a window resized by hand its
# configured size in characters again. Screenshots go to $QE_SHOTS when that is set.
# Usage: goto.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1024x768x24 openbox
x11_openbox

# Answers the Goto prompt with $1.
goto() {
    press ctrl+shift+g
    window_named Goto >/dev/null || { bad "prompt" "Shift+Control+G asks nothing"; return; }
    xdotool type --delay 20 "$1" 2>/dev/null
    press Return
}

printf 'call twice here\nline 2\nline 3\nline 4\n' > a.c
printf 'x\nint twice(int);\n' > b.c
printf '\n\nint twice(void)\n' > c.c
printf 'twice\tb.c\t2\ntwice\tc.c\t3\n' > tags
printf 'other\n' > other.txt
open_window a.c a.c other.txt
w2=$(window_named other.txt) || { bad "start" "no window other.txt"; exit 1; }
xdotool windowactivate --sync "$w" 2>/dev/null
sleep 0.5

# ---- Shift+Control+G: a line, then a tag ----
goto 3
[ "$(await "$w" line 3)" = 3 ] && ok "Goto takes a line number" || bad "goto line" "line $(field "$w" line)"
press ctrl+Home ctrl+Right ctrl+Right ctrl+t
[ "$(await "$w" file b.c)" = b.c ] && [ "$(field "$w" line)" = 2 ] &&
    ok "Control+T jumps to the first definition of the word" ||
    bad "first definition" "$(state "$w")"
press ctrl+t
[ "$(await "$w" file c.c)" = c.c ] && [ "$(field "$w" line)" = 3 ] &&
    ok "Control+T again goes on to the next definition" || bad "next definition" "$(state "$w")"
press ctrl+t
[ "$(await "$w" file b.c)" = b.c ] && ok "and after the last, back to the first" ||
    bad "wrap" "$(state "$w")"
shot goto-prompt-before
goto a.c:4
[ "$(await "$w" file a.c)" = a.c ] && [ "$(await "$w" line 4)" = 4 ] &&
    ok "Goto takes FILE:LINE" || bad "goto place" "$(state "$w")"

# ---- Next Window from the Options menu: the other window has the keyboard ----
press alt+o w
t=0
while [ "$(xdotool getactivewindow 2>/dev/null)" != "$w2" ] && [ $t -lt 50 ]; do sleep 0.1; t=$((t + 1)); done
[ "$(xdotool getactivewindow 2>/dev/null)" = "$w2" ] && ok "Next Window brings the other window up" ||
    bad "next window" "active $(xdotool getactivewindow 2>/dev/null), want $w2"
press End
xdotool type --delay 20 "!" 2>/dev/null
[ "$(await "$w2" col 6)" = 6 ] && ok "typing goes to it" || bad "keyboard" "$(state "$w2")"

# ---- Default Size after a resize by hand ----
cell_size "$w2"
set -- $(xprop -id "$w2" WM_NORMAL_HINTS 2>/dev/null | sed -n 's/.*base size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
bw=${1:-0}
bh=${2:-0}
want_w=$((bw + 80 * cw))
want_h=$((bh + 32 * ch))
size() { xwininfo -id "$w2" 2>/dev/null | sed -n 's/^ *Width: //p;s/^ *Height: //p' | tr '\n' x; }
xdotool windowsize "$w2" 400 300 2>/dev/null
t=0
while [ "$(size)" = "${want_w}x${want_h}x" ] && [ $t -lt 50 ]; do sleep 0.1; t=$((t + 1)); done
[ "$(size)" != "${want_w}x${want_h}x" ] || bad "resize by hand" "the window kept its size"
press alt+o z
t=0
while [ "$(size)" != "${want_w}x${want_h}x" ] && [ $t -lt 50 ]; do sleep 0.1; t=$((t + 1)); done
shot goto-resized
[ "$(size)" = "${want_w}x${want_h}x" ] && ok "Default Size gives the window 80 by 32 characters" ||
    bad "resize" "size $(size), want ${want_w}x${want_h} (cell ${cw}x$ch, base ${bw}x$bh)"

kill "$pid" 2>/dev/null
echo "$pass passed, $fail failed"
[ $fail = 0 ]
