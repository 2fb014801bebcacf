#!/bin/sh
# Searching in qe on a real X server with the keyboard as X delivers it (XTEST key events to
# the window under the pointer): Control+f and typed letters find incrementally without
# touching the File, Backspace goes back, Control+f repeats, fails with a beep and then wraps,
# Return stops and typing then replaces the match; Control+b searches backward and Escape
# ends a search; Control+g and digits go to a line; Shift+Control+f opens the searcher, where
# typing and Return find and Escape closes it.
# Usage: search.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24 xclip

typed() { xdotool type --delay 60 "$1" 2>/dev/null; sleep 0.4; }
check() { [ "$2" = "$3" ] && ok "$1" || bad "$1" "got '$2', want '$3'"; }

printf 'one apple\ntwo pears\nthree apples\nfour plums\n' > s.txt
open_window s.txt
sleep 0.5
# The keyboard goes to the window under the pointer.
xdotool mousemove --window "$w" 300 200 2>/dev/null
sleep 0.3

# ---- typing extends the pattern; the match is selected and is PRIMARY; the File is unchanged
press control+f
typed "app"
check "Control+f then typing 'app' selects the first match" "$(await "$w" sel 1,4-1,7)" 1,4-1,7
check "the match is the PRIMARY selection" "$(xclip -o -selection primary 2>/dev/null)" app
press BackSpace BackSpace
check "Backspace twice returns to the match of the first letter" "$(await "$w" sel 1,4-1,5)" 1,4-1,5
typed "pples"
check "typing on finds 'apples' further down" "$(await "$w" sel 3,6-3,12)" 3,6-3,12
press control+f
sleep 0.3
check "a repeat with no further match keeps the selection" "$(field "$w" sel)" 3,6-3,12
press control+f
check "the next repeat wraps to the top and finds it again" "$(await "$w" sel 3,6-3,12)" 3,6-3,12
[ "$(cat s.txt)" = "$(printf 'one apple\ntwo pears\nthree apples\nfour plums')" ] &&
    ok "letters typed while searching do not go into the File" || bad "file during search" "$(cat s.txt)"

# ---- Return stops; typing then replaces the match ----
press Return
typed "X"
# ---- Escape ends a search; the next letter replaces its match ----
press control+b
typed "two"
check "Control+b searches backward: 'two' above the cursor" "$(await "$w" sel 2,0-2,3)" 2,0-2,3
press Escape
typed "Y"
press control+s
sleep 0.5
printf 'one apple\nY pears\nthree X\nfour plums\n' > want
cmp -s want s.txt && ok "after Return and after Escape typing goes into the File" ||
    bad "stop then type" "$(od -An -c s.txt | tr -s ' ')"

# ---- Control+g and digits go to a line ----
press control+g
typed "4"
press Return
check "Control+g, 4, Return goes to line 4" "$(await "$w" line 4)" 4

# ---- the searcher: typing in its find field and Return find; Escape closes it ----
# (The last search went backward, and the searcher takes its direction from it: from the end.)
press control+End shift+control+f
d=$(window_named 'Searcher for s.txt') || bad "searcher" "no window 'Searcher for s.txt'"
if [ -n "$d" ]; then
    xdotool mousemove --window "$d" 40 15 2>/dev/null
    sleep 0.3
    # The find field shows the last pattern ("two"): erased first.
    press End BackSpace BackSpace BackSpace
    typed "plu"
    press Return
    check "the searcher's Find, backward as the last search, selects the match" "$(await "$w" sel 4,5-4,8)" 4,5-4,8
    press Escape
    t=0
    while [ $t -lt 50 ] && xdotool search --onlyvisible --name '^Searcher for' >/dev/null 2>&1; do
        sleep 0.1
        t=$((t + 1))
    done
    [ $t -lt 50 ] && ok "Escape closes the searcher" || bad "searcher Escape" "still open"
fi

kill $pid 2>/dev/null
echo "$pass passed, $fail failed"
[ $fail = 0 ]
