#!/bin/sh
# The file commands on a real X server, from the keyboard as a user would: Control+O opens the
# file chooser in the directory of the File shown, a name typed there (relative to that
# directory) goes on the window's stack, several typed names go on it one after the other,
# and the "Save Changes?" question asked on closing is answered with Tab, Return and Escape.
# Usage: files.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24

typed() { xdotool type --delay 20 "$1" 2>/dev/null; sleep 0.3; }
# typed_in_chooser TEXT FILE DEPTH WHAT: Control+O, TEXT typed into the chooser and Return;
# window $w then shows FILE with DEPTH Files on its stack.
typed_in_chooser() {
    keys "$w" control+o
    window_named 'Edit File' >/dev/null || bad "$4" "Control+O shows no chooser"
    typed "$1"
    press Return
    got=$(await "$w" file "$2")
    [ "$got" = "$2" ] && [ "$(field "$w" stack)" = "$3" ] && ok "$4" ||
        bad "$4" "file '$got', stack $(field "$w" stack)"
}

mkdir sub
printf 'sub s\n' > sub/s.c
printf 'sub t\n' > sub/t.c
printf 'sub u\n' > sub/u.c
printf 'top t\n' > t.c

# ---- Control+O, a name typed relative to the File's directory ----
open_window s.c sub/s.c
sleep 0.5
typed_in_chooser t.c sub/t.c 1 \
    "Control+O and a typed name open the file beside the File shown, on the stack"

# ---- several names at once, then Escape cancels the chooser ----
typed_in_chooser "s.c u.c" sub/u.c 3 "two typed names go on the stack one after the other"
keys "$w" control+o
window_named 'Edit File' >/dev/null || bad "chooser" "no chooser the third time"
press Escape
gone 'Edit File' && [ "$(field "$w" file)" = sub/u.c ] && ok "Escape in the chooser changes nothing" ||
    bad "Escape" "chooser or file wrong: $(field "$w" file)"

# ---- Save Changes? on closing: Escape keeps everything, Tab Return discards ----
typein "$w" "edit "
keys "$w" control+q
window_named 'Save Changes\?' >/dev/null || bad "close" "no Save Changes? question"
press Escape
if gone 'Save Changes\?' && [ "$(field "$w" file)" = sub/u.c ] && [ "$(cat sub/u.c)" = "sub u" ]; then
    ok "Escape in Save Changes? keeps the window and the edits"
else
    bad "Escape" "window $(field "$w" file), file '$(cat sub/u.c)'"
fi
keys "$w" control+q
window_named 'Save Changes\?' >/dev/null || bad "close" "no question the second time"
press Tab Return
wait_exit $pid 10
[ "$st" != running ] && [ "$(cat sub/u.c)" = "sub u" ] &&
    ok "Tab moves to Discard, Return gives the edits up and the window closes" ||
    bad "Discard" "qe $st, file '$(cat sub/u.c)'"

# ---- Return saves ----
start t.c
w=$(window_named t.c) || bad "start" "no window t.c"
sleep 0.5
typein "$w" "kept "
keys "$w" control+q
window_named 'Save Changes\?' >/dev/null || bad "close" "no question"
press Return
wait_exit $pid 10
[ "$st" != running ] && [ "$(cat t.c)" = "kept top t" ] &&
    ok "Return in Save Changes? saves, then the window closes" ||
    bad "Save" "qe $st, file '$(cat t.c)'"

echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
