#!/bin/sh
# Editing in qe on a real X server: typing, arrows, Shift+arrows, a mouse drag, cut and paste
# with the default keys, undo and redo, Control+s; the X selections read and written by xclip;
# whole lines copied between two qe processes; a button-2 quick paste.
# Usage: editing.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24 xclip


# The text area is the largest child of the editor window; a new window shows 32 rows of
# text and 80 columns (plus 2 pixels), so the cell size follows from its size.
# Window-relative pointer position of line $2 (from 1, the view at the top), column $3.
cell() {
    set -- $(text_area "$1") "$2" "$3"
    fw=$((($1 - 2) / 80))
    fh=$(($2 / 32))
    echo $(($3 + $6 * fw + 1)) $(($4 + ($5 - 1) * fh + fh / 2))
}
pointer() { xdotool mousemove --window "$1" $(cell "$1" "$2" "$3") 2>/dev/null; sleep 0.1; }

: > p.txt
"$qe" p.txt > qe1.out 2>&1 &
pid1=$!
pids="$pids $pid1"
w=$(window_named p.txt) || { bad "start" "no window p.txt"; exit 1; }
sleep 0.5

# ---- typing, arrows, Shift+arrows, cut and paste, undo and redo, Control+s ----
typein "$w" "The quick brown fox"
keys "$w" Return
typein "$w" "jumps over the lazy dog."
keys "$w" Return
keys "$w" Up Up End shift+Left shift+Left shift+Left control+x Down End
typein "$w" " "
keys "$w" control+v
keys "$w" control+z control+z control+y control+y control+s
sleep 0.5
# The last Return left an empty third line; a file that starts empty is written with CR LF.
printf 'The quick brown \r\njumps over the lazy dog. fox\r\n\r\n' > want1
if cmp -s want1 p.txt; then
    ok "typing, arrows, Shift+Left, Control+x/v, undo and redo, Control+s save the exact bytes"
else
    bad "typed file" "$(od -An -c p.txt | tr -s ' ')"
fi

# ---- a selection made in qe is PRIMARY ----
keys "$w" control+Home shift+Down
got=$(xclip -o -selection primary 2>/dev/null)
[ "$got" = "The quick brown " ] && ok "Shift+Down selection read by xclip as PRIMARY" ||
    bad "primary" "'$got'"

# ---- a mouse drag from line 1 column 4 past the end of line 2 ----
# (Escape first: a press inside the selection would drag the selected text.)
keys "$w" Escape
pointer "$w" 1 4
xdotool mousedown 1 2>/dev/null
sleep 0.1
pointer "$w" 1 10
pointer "$w" 2 60
xdotool mouseup 1 2>/dev/null
sleep 0.3
got=$(xclip -o -selection primary 2>/dev/null)
[ "$got" = "quick brown 
jumps over the lazy dog. fox" ] && ok "a mouse drag selects from the press to the pointer" ||
    bad "mouse drag" "'$got'"

# ---- CLIPBOARD written by xclip, pasted with Control+v ----
printf 'from xclip' > clip.txt
xclip -quiet -loops 5 -i -selection clipboard clip.txt > /dev/null 2>&1 &
pids="$pids $!"
sleep 0.3
keys "$w" control+End control+v control+s
sleep 0.5
printf 'The quick brown \r\njumps over the lazy dog. fox\r\n\r\nfrom xclip\r\n' > want2
cmp -s want2 p.txt && ok "CLIPBOARD from xclip pasted by Control+v" ||
    bad "xclip paste" "$(od -An -c p.txt | tr -s ' ')"

# ---- whole lines between two qe processes go to column 0 ----
printf 'first line\nsecond line\n' > q.txt
"$qe" q.txt > qe2.out 2>&1 &
pid2=$!
pids="$pids $pid2"
w2=$(window_named q.txt) || bad "second qe" "no window q.txt"
keys "$w" control+Home shift+Down control+c
# Each step waits for the window to show it: keys sent as a fresh window maps, or while a
# loaded machine has not drawn it yet, can arrive before it reads input.
keys "$w2" control+Home Down
[ "$(await "$w2" line 2 5)" = 2 ] || keys "$w2" control+Home Down
keys "$w2" Right Right Right
await "$w2" sel 2,3-2,3 5 > /dev/null
keys "$w2" control+v
await "$w2" lines 3 5 > /dev/null
keys "$w2" control+s
printf 'first line\nThe quick brown \nsecond line\n' > want3
t=0
while [ $t -lt 50 ] && ! cmp -s want3 q.txt; do sleep 0.1; t=$((t + 1)); done
cmp -s want3 q.txt && ok "a whole-lines copy pastes at column 0 in another qe" ||
    bad "lines between windows" "$(cat q.txt)"

# ---- button 2 copies the primary selection to the pointer; the cursor stays ----
keys "$w2" control+Home End shift+Left shift+Left shift+Left shift+Left shift+Down shift+Up
before=$(field "$w2" line),$(field "$w2" col)
pointer "$w2" 3 0
xdotool click 2 2>/dev/null
sleep 0.5
after=$(field "$w2" line),$(field "$w2" col)
keys "$w2" control+s
sleep 0.3
printf 'first line\nThe quick brown \nlinesecond line\n' > want4
if [ "$before" = "$after" ] && cmp -s want4 q.txt; then
    ok "a button-2 quick paste copies without moving the cursor"
else
    bad "quick paste" "cursor $before -> $after, file $(cat q.txt)"
fi

kill $pid1 $pid2 2>/dev/null
echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
