#!/bin/sh
# Version control in a real window (Xvfb and openbox) with RCS: the Version menu checks a file
# out, typing changes it, and Check In saves it and asks for the comment in the comment
# dialogue (an editor pane inside a dialogue), whose text reaches ci; with ClearCase, Show
# History fills the message list, a window of its own. Screenshots go to
# $QE_SHOTS when that is set.
# Usage: vc.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
vcbin=$(cd "$(dirname "$0")/../vc/bin" && pwd) # the cleartool stand-in
x11_begin 1024x768x24 openbox ci rlog
x11_openbox
# Waits up to 5 s for the shell test $1.
until_true() {
    t=0
    while [ $t -lt 50 ]; do
        eval "$1" && return 0
        sleep 0.1
        t=$((t + 1))
    done
    return 1
}

export HOME="$work/home"
mkdir -p "$HOME/.tql" && echo "versioncontroltype RCS" > "$HOME/.tql/qe.cfg"
printf 'first\n' > a.c
mkdir RCS && ci -q -u -t-start a.c 2>/dev/null
open_window a.c
xdotool windowactivate --sync "$w" 2>/dev/null
sleep 0.5

# Version > Check Out (the menu's first item).
press alt+v
window_named Version >/dev/null && ok "Alt+V opens the Version menu" || bad "menu" "no Version menu"
shot vc-menu
press Return
until_true '[ -w a.c ] && rlog -h a.c | grep -A1 "^locks:" | grep -q "$(id -un)"' &&
    ok "Check Out locks the file in RCS" || bad "check out" "$(rlog -h a.c | grep -A1 locks)"

press End
xdotool type --delay 30 " more" 2>/dev/null
sleep 0.3

# Version > Check In...: saves, then the comment dialogue.
press alt+v Down Return
d=$(window_named "Enter comments for: a.c") && ok "Check In asks for the comment" ||
    bad "comment dialogue" "no dialogue; qe said: $(head -c 300 qe.out)"
xdotool type --delay 30 "typed in X11" 2>/dev/null
press Return
xdotool type --delay 30 "second line" 2>/dev/null
sleep 0.3
shot vc-comment
press ctrl+Tab Return
until_true 'rlog -r1.2 a.c 2>/dev/null | grep -A1 -x "typed in X11" | grep -qx "second line"' &&
    ok "the comment's lines reach ci" || bad "check in" "$(rlog -r1.2 a.c 2>&1 | tail -4)"
[ "$(cat a.c)" = "first more" ] && ok "the edit was saved first" || bad "saved" "a.c holds '$(cat a.c)'"
until_true '[ ! -w a.c ] || [ "$(stat -c %a a.c)" = 444 ]' && ok "the file is read-only again" ||
    bad "read-only" "$(ls -l a.c)"
shot vc-after
kill "$pid" 2>/dev/null

# ClearCase through the cleartool stand-in, whose check-out of hang.c never answers: Escape
# stops it, the check-out fails, and the window goes on.
export PATH="$vcbin:$PATH"
echo "versioncontroltype ClearCase" > "$HOME/.tql/qe.cfg"
touch .ccdir
printf 'h\n' > hang.c && mkdir hang.c.ccver && cp hang.c hang.c.ccver/1 && chmod a-w hang.c
# The title names the view the interpreter works in.
open_window 'hang\.c \[test_view\]' hang.c
ok "the window title names the ClearCase view"
xdotool windowactivate --sync "$w" 2>/dev/null
sleep 0.5
xdotool type x 2>/dev/null
sleep 1.5
press Escape
window_named Alert >/dev/null && ok "Escape stops the hanging tool" || bad "escape" "no alert"
press Return Return
sleep 0.5
shot vc-halted
kill -0 "$pid" 2>/dev/null && ok "the editor lives" || bad "alive" "qe ended"
[ "$(cat hang.c)" = h ] && [ ! -e hang.c.cclock ] && ok "nothing was checked out or changed" ||
    bad "unchanged" "hang.c holds '$(cat hang.c)'"

# Version > Show History: ClearCase's history goes to the message list, a window of its own
# beside the editor; Escape closes it and leaves the editor.
press alt+v h
m=$(window_named "Version Control") && ok "Show History opens the message list" ||
    bad "message list" "no window; qe said: $(tail -c 300 qe2.out)"
shot vc-messages
xdotool windowactivate --sync "$m" 2>/dev/null
press Escape
until_true '! xdotool search --onlyvisible --name "^Version Control\$" >/dev/null 2>&1' &&
    kill -0 "$pid" 2>/dev/null && ok "Escape closes the message list, the editor stays" ||
    bad "close" "the message list is still up or the editor ended"
kill "$pid" 2>/dev/null
echo "$pass passed, $fail failed"
[ "$fail" = 0 ]
