#!/bin/sh
# The file commands on a real X server, from the keyboard as a user would: Control+O opens the
# file chooser in the directory of the File shown, a name typed there (relative to that
# directory) goes on the window's stack, several typed names go on it one after the other,
# and the "Save Changes?" question asked on closing (named after the File) is answered with Tab,
# Return and Escape; its Comments toggle shows and hides the comment field. In buffer mode the
# files opened share one window, but Control+N opens a window of its own.
# Usage: files.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24

typed() { xdotool type --delay 20 "$1" 2>/dev/null; sleep 0.3; }
# How many child windows of window $1 are mapped.
shown_children() {
    n=0
    for c in $(xwininfo -children -id "$1" | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
        xwininfo -id "$c" | grep -q IsViewable && n=$((n + 1))
    done
    echo $n
}
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
d=$(dialogue_named sub/u.c) || bad "close" "no Save Changes? question named sub/u.c"
# The Comments toggle (Alt+M) shows the comment field and hides it again.
before=$(shown_children "$d")
press alt+m
typed "why"
shown=$(shown_children "$d")
press alt+m
after=$(shown_children "$d")
[ "$shown" = $((before + 1)) ] && [ "$after" = "$before" ] &&
    ok "the Comments toggle shows its field, then hides it" ||
    bad "Comments" "windows shown: $before, then $shown, then $after"
press Escape
if window_gone "$d" && [ "$(field "$w" file)" = sub/u.c ] && [ "$(cat sub/u.c)" = "sub u" ]; then
    ok "Escape in Save Changes? keeps the window and the edits"
else
    bad "Escape" "window $(field "$w" file), file '$(cat sub/u.c)'"
fi
keys "$w" control+q
dialogue_named sub/u.c >/dev/null || bad "close" "no question the second time"
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
dialogue_named t.c >/dev/null || bad "close" "no question named t.c"
press Return
wait_exit $pid 10
[ "$st" != running ] && [ "$(cat t.c)" = "kept top t" ] &&
    ok "Return in Save Changes? saves, then the window closes" ||
    bad "Save" "qe $st, file '$(cat t.c)'"

# ---- buffer mode: files opened go onto one window's stack; Control+N still opens a window ----
mkdir .tql
printf 'openfilesinnewbuffers On\n' > .tql/qe.cfg
seq 1 60 > n.txt
start t.c n.txt +30
b=$(window_named n.txt) || bad "buffer mode" "no window n.txt"
[ "$(field "$b" stack)" = 1 ] && [ "$(field "$b" line)" = 30 ] &&
    ! xdotool search --onlyvisible --name '^t.c$' >/dev/null 2>&1 &&
    ok "in buffer mode the files named at start-up share one window, the line given kept" ||
    bad "buffer mode" "stack $(field "$b" stack), line $(field "$b" line)"
keys "$b" control+n
window_named 'Edit File' >/dev/null || bad "buffer mode" "Control+N shows no chooser"
typed "$work/sub/s.c"
press Return
n=$(window_named s.c) && ok "Control+N opens a window of its own in buffer mode" ||
    bad "buffer mode" "no window s.c"
if [ -n "$n" ]; then
    keys "$n" shift+control+o
    window_named 'Edit File' >/dev/null || bad "buffer mode" "Shift+Control+O shows no chooser"
    typed "$work/sub/t.c"
    press Return
    [ "$(await "$b" file "$work/sub/t.c")" = "$work/sub/t.c" ] && [ "$(field "$b" stack)" = 2 ] &&
        [ "$(field "$n" file)" = "$work/sub/s.c" ] &&
        ok "Shift+Control+O from the other window puts the file on the buffer window's stack" ||
        bad "buffer mode" "buffer window $(field "$b" file) stack $(field "$b" stack), other $(field "$n" file)"
fi

echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
