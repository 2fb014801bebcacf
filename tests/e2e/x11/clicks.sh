#!/bin/sh
# Clicks in qe on a real X server, made by xdotool as a user's mouse makes them (one press and
# one release per click; qe counts them): a single click moves the cursor while the toolkit is
# still waiting for a second one, a double click selects the clicked word and a triple click
# the clicked line wherever the cursor was, a click in the selection margin or in the margin
# column a File asks for selects its line,
# and every notch of a fast wheel turn scrolls.
# Usage: clicks.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24

# A ten-second click pause: a cursor that moves before it ends moved at the press itself, on
# however slow a machine.
mkdir .tql
echo "clickpause 100" > .tql/qe.cfg
echo 'key: "F6"@Edit=ToggleMarginColumn' >> .tql/qe.cfg

# Window-relative pointer position of line $2 (from 1, the view at the top), column $3; a
# column of -1 is the selection margin left of the text.
cell() {
    set -- $(text_area "$1") "$2" "$3"
    fw=$((($1 - 2) / 80))
    fh=$(($2 / 32))
    if [ "$6" -lt 0 ]; then x=$(($3 - 6)); else x=$(($3 + $6 * fw + fw / 2)); fi
    echo $x $(($4 + ($5 - 1) * fh + fh / 2))
}
pointer() { xdotool mousemove --window "$1" $(cell "$1" "$2" "$3") 2>/dev/null; sleep 0.2; }
# Anything but a click ends the wait for further clicks at once: a lone Control key press.
settle() { xdotool key --window "$1" Control_L 2>/dev/null; sleep 0.3; }
# The cursor to the end of line 8, away from where the clicks go.
away_to_line_8() {
    xdotool key --window "$w" control+Home Down Down Down Down Down Down Down End 2>/dev/null
    sleep 0.3
}
# selected WANT WHAT: once the clicks made have settled, the selection is WANT.
selected() {
    sleep 0.3
    settle "$w"
    got=$(await "$w" sel "$1" 5)
    [ "$got" = "$1" ] && ok "$2" || bad "$2" "sel $got, want $1"
}

i=1
while [ $i -le 100 ]; do echo "line $i alpha beta gamma"; i=$((i + 1)); done > c.txt
open_window c.txt
sleep 0.5

# ---- a single click moves the cursor at once ----
pointer "$w" 3 9
start=$(date +%s)
xdotool click 1 2>/dev/null
got=$(await "$w" sel "3,9-3,9" 8)
took=$(($(date +%s) - start))
if [ "$got" = "3,9-3,9" ] && [ $took -lt 9 ]; then
    ok "a single click moves the cursor before the click pause ends"
else
    bad "single click" "sel $got after ${took} s"
fi
settle "$w"

# ---- double and triple clicks select the clicked word and line ----
away_to_line_8
pointer "$w" 2 14
xdotool click --repeat 2 --delay 100 1 2>/dev/null
selected "2,13-2,18" "a double click selects the clicked word"
away_to_line_8
pointer "$w" 4 2
xdotool click --repeat 3 --delay 100 1 2>/dev/null
selected "4,0-5,0" "a triple click selects the clicked line"

# ---- the selection margin ----
pointer "$w" 6 -1
xdotool click 1 2>/dev/null
selected "6,0-7,0" "a click in the selection margin selects its line"

# ---- the margin column: the text moves right, and a click there selects the line ----
xdotool key --window "$w" F6 2>/dev/null
sleep 0.3
set -- $(cell "$w" 7 0) $(text_area "$w")
# Four pixels into the view: inside the eight-pixel margin column, whatever the font.
xdotool mousemove --window "$w" $(($5 + 4)) "$2" 2>/dev/null
sleep 0.2
xdotool click 1 2>/dev/null
selected "7,0-8,0" "a click in the margin column selects its line"
# Column 0 now begins past the margin column.
set -- $(cell "$w" 9 0)
xdotool mousemove --window "$w" $(($1 + 8)) "$2" click 1 2>/dev/null
selected "9,0-9,0" "the text starts right of the margin column"
xdotool key --window "$w" F6 2>/dev/null

# ---- every wheel notch scrolls, however fast they come ----
pointer "$w" 10 5
top0=$(field "$w" top)
xdotool click --repeat 5 --delay 5 5 2>/dev/null
want=$((top0 + 15))
got=$(await "$w" top "$want" 5)
[ "$got" = "$want" ] && ok "five quick wheel notches scroll fifteen lines" ||
    bad "wheel" "top $top0 -> $got, want $want"

kill $pid 2>/dev/null
echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
