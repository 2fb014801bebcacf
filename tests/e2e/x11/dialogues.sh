#!/bin/sh
# Dialogues and windows of qe on a real X server, driven from the keyboard as a user would:
# keys reach a dialogue wherever the pointer rests (Return, Escape, Tab and Shift+Tab), the
# crash-recovery question asked before any editor window exists is cancelled with Escape and
# answered by keys alone,
# closing a modified File never gives its edits up without "Discard", Shift+Tab reaches its
# binding, a file changed on disk is noticed when its window takes the focus again, and the
# changed-on-disk question's "Save As..." saves under a new name.
# Usage: dialogues.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24
mkdir .tql
# Journals written every second; Shift+Tab bound to something a typed tab would not do.
printf 'editincrfrequency 1\nkey "Tab"|Shift@Edit=EOF\n' > .tql/qe.cfg

away() { xdotool mousemove 1250 1000 2>/dev/null; sleep 0.2; }
# Rests the pointer on the middle of the bottom row of window $1 (a dialogue's buttons).
onbuttons() {
    set -- $(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width/ {w=$NF} /Height/ {h=$NF} END {print x, y, w, h}')
    xdotool mousemove $(($1 + $3 / 2)) $(($2 + $4 - 15)) 2>/dev/null
    sleep 0.2
}

# ---- closing a modified File: Escape cancels, Tab then Return discards, Return saves ----
printf 'kept\n' > m.txt
start m.txt
w=$(window_named m.txt) || { bad "start" "no window m.txt"; exit 1; }
sleep 0.5
typein "$w" "abc"
keys "$w" control+q
d=$(window_named 'Save Changes\?') || bad "close question" "no dialogue"
onbuttons "$d"
press Escape
if gone 'Save Changes\?' && xdotool search --onlyvisible --name '^m.txt$' >/dev/null && [ "$(cat m.txt)" = kept ]; then
    ok "Escape over a dialogue's buttons cancels the close; the edits stay"
else
    bad "Escape" "dialogue or window state wrong, file '$(cat m.txt)'"
fi
keys "$w" control+q
d=$(window_named 'Save Changes\?') || bad "close question" "no dialogue"
away
press Tab Return
wait_exit $pid 10
if [ "$st" != running ] && [ "$(cat m.txt)" = kept ]; then
    ok "Tab moves to Discard and Return presses it, the pointer elsewhere"
else
    bad "Tab, Return" "qe $st, file '$(cat m.txt)'"
fi
start m.txt
w=$(window_named m.txt) || bad "restart" "no window m.txt"
sleep 0.5
typein "$w" "new "
keys "$w" control+q
window_named 'Save Changes\?' >/dev/null || bad "close question" "no dialogue"
press Tab shift+Tab Return
wait_exit $pid 10
[ "$(cat m.txt)" = "new kept" ] && ok "Shift+Tab moves back to Save; Return saves and closes" ||
    bad "Save from the keyboard" "qe $st, file '$(cat m.txt)'"

# ---- Shift+Tab reaches its binding ----
i=1; while [ $i -le 5 ]; do echo "row $i"; i=$((i + 1)); done > s.txt
start s.txt
w=$(window_named s.txt) || bad "start" "no window s.txt"
sleep 0.5
xdotool mousemove --window "$w" 100 100 2>/dev/null
press shift+Tab
got=$(await "$w" line 6)
[ "$got" = 6 ] && ok "Shift+Tab (ISO_Left_Tab) runs the Shift+Tab binding" ||
    bad "Shift+Tab" "line $got, want 6"

# ---- a file changed on disk is reloaded when its window takes the focus again ----
away
i=1; while [ $i -le 9 ]; do echo "row $i"; i=$((i + 1)); done > s.txt
touch -d "@$(($(date +%s) + 5))" s.txt
xdotool windowfocus "$w" 2>/dev/null
got=$(await "$w" lines 9)
[ "$got" = 9 ] && ok "an unmodified File changed on disk is reloaded on focus" ||
    bad "focus reload" "lines $got, want 9"
kill $pid 2>/dev/null

# ---- the changed-on-disk question's Save As... ----
printf 'disk\n' > g.txt
start g.txt
w=$(window_named g.txt) || bad "start" "no window g.txt"
sleep 0.5
away
typein "$w" "mine "
printf 'theirs\n' > g.txt
touch -d "@$(($(date +%s) + 5))" g.txt
keys "$w" control+s
window_named 'File changed, save anyway\?' >/dev/null || bad "save question" "no dialogue"
press Tab Tab Return
window_named 'Save g.txt as...' >/dev/null || bad "chooser" "no chooser"
xdotool type --delay 20 h.txt 2>/dev/null
press Return
sleep 0.5
if [ "$(cat h.txt 2>/dev/null)" = "mine disk" ] && [ "$(cat g.txt)" = theirs ]; then
    ok "Save As... in the changed-on-disk question saves under the chosen name beside the file"
else
    bad "Save As..." "h.txt '$(cat h.txt 2>/dev/null)', g.txt '$(cat g.txt)'"
fi
kill $pid 2>/dev/null

# ---- the crash-recovery question, answered by keys alone ----
printf 'base\n' > r.txt
start r.txt
w=$(window_named r.txt) || bad "start" "no window r.txt"
sleep 0.5
typein "$w" "lost? "
t=0; while [ $t -lt 100 ] && [ "$(wc -c < .r.txt.tq~ 2>/dev/null || echo 0)" -le 4 ]; do sleep 0.1; t=$((t + 1)); done
kill -9 $pid
wait $pid 2>/dev/null
away
cp .r.txt.tq~ journal.before
start r.txt
window_named 'File being edited elsewhere' >/dev/null || bad "recovery" "no question"
press Escape
wait_exit $pid 10
[ "$st" != running ] && [ "$(cat r.txt)" = base ] && cmp -s .r.txt.tq~ journal.before &&
    ok "Escape cancels the crash-recovery question: nothing opened, the journal kept" ||
    bad "recovery Escape" "status $st, file '$(cat r.txt)', journal $(ls -l .r.txt.tq~ 2>&1)"
start r.txt
window_named 'File being edited elsewhere' >/dev/null || bad "recovery" "no question"
press Tab Tab Return
w=$(window_named r.txt) || bad "recovery" "no window after the answer"
keys "$w" control+s
sleep 0.5
[ "$(cat r.txt)" = "lost? base" ] && ok "the crash-recovery question is answered from the keyboard (Apply Edits)" ||
    bad "recovery" "file '$(cat r.txt)'"
kill $pid 2>/dev/null

echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
