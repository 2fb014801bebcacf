#!/bin/sh
# End-to-end checks of shell commands under X: a command bound to a key streams into a new
# window whose Halt button ends it even though it ignores SIGINT and SIGTERM; make's errors are
# walked from a key into the source window, which opened beside the window make was started
# from; the Grep dialogue's check boxes shape the grep that runs.
# Usage: procs.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24 make cc
mkdir -p home/.tql
cat > home/.tql/qe.cfg <<'CFG'
key: "F5"@Edit=Cmd2Wnd "trap '' INT TERM; echo qe-halt-test; while :; do sleep 1; done"
key: "F7"@Edit=Make all
key: "F8"@Edit=ErrorOrTag
key: "F9"@Edit=Grep
key: "F6"@Edit=Cmd2Wnd "seq 200000"
CFG
# The halting command carries this run's own mark: a run in another checkout must not be seen.
halt_mark="qe-halt-test-$$"
sed -i "s/qe-halt-test/$halt_mark/" home/.tql/qe.cfg
printf 'int main(void) {\n    int x = 1;\n    return y;\n}\n' > a.c
printf 'MAKEFLAGS += -k\nall: a.o\n' > Makefile
HOME=$work/home "$qe" a.c > out.txt 2>&1 &
pid=$!
w=$(window_named a.c) || { bad "start" "no window a.c"; cat out.txt; exit 1; }

# ---- the Halt button ----
xdotool key --window "$w" F5
o=$(window_named '~trap[0-9]*.tmp') || bad "command window" "none appeared"
running() { pgrep -f "echo $halt_mark" >/dev/null; }
if [ -n "$o" ]; then
    t=0
    while [ "$(field "$o" lines)" != 1 ] && [ $t -lt 50 ]; do sleep 0.1; t=$((t + 1)); done
    [ "$(field "$o" lines)" = 1 ] && running && ok "F5 runs the command into a new window" ||
        bad "output" "state '$(state "$o")'"
    eval "$(xwininfo -id "$o" | awk '/Width:/ {print "ww=" $2} /Height:/ {print "wh=" $2}')"
    # The Halt button sits at the right end of the message line.
    xdotool mousemove --window "$o" $((ww - 12)) $((wh - 8)) click 1
    t=0
    while running && [ $t -lt 50 ]; do sleep 0.1; t=$((t + 1)); done
    running && bad "Halt" "the command still runs" ||
        ok "Halt ends a command that ignores SIGINT and SIGTERM"
fi

# ---- a window follows its output to the end ----
xdotool key --window "$w" F6
o=$(window_named '~seq[0-9]*.tmp') || bad "seq window" "none appeared"
if [ -n "$o" ]; then
    [ "$(await "$o" lines 200000)" = 200000 ] || bad "seq output" "state '$(state "$o")'"
    # The last line sits a quarter of the window above its bottom once the command has ended.
    t=0
    top=$(field "$o" top)
    while ! [ "$top" -gt 199950 ] 2>/dev/null && [ $t -lt 50 ]; do
        sleep 0.1
        t=$((t + 1))
        top=$(field "$o" top)
    done
    [ "$top" -gt 199950 ] 2>/dev/null && [ "$top" -le 200000 ] &&
        ok "the output window shows the end of 200000 lines" || bad "follow" "state '$(state "$o")'"
fi

# ---- make and its errors ----
xdotool key --window "$w" F7
m=$(window_named 'make.001') || bad "make window" "none appeared"
# make has ended once its last line is there.
t=0
while ! xprop -id "$m" WM_NAME >/dev/null 2>&1 || [ "$(field "$m" lines)" -lt 6 ] 2>/dev/null; do
    [ $t -gt 100 ] && break
    sleep 0.1
    t=$((t + 1))
done
# The make window opens beside the window the command came from, not over it.
geometry() {
    xwininfo -id "$1" | awk -v p="$2" '/Absolute upper-left X:/ {print p "x=" $4}
        /Absolute upper-left Y:/ {print p "y=" $4} /Width:/ {print p "w=" $2}'
}
if [ -n "$m" ]; then
    eval "$(geometry "$w" a)"
    eval "$(geometry "$m" m)"
    if [ "$mx" -ge $((ax + aw)) ] || [ $((mx + mw)) -le "$ax" ]; then
        ok "the make window opens beside its editor"
    else
        bad "make window place" "a.c at $ax+$ay (width $aw), make.001 at $mx+$my (width $mw)"
    fi
    dy=$((my - ay))
    [ ${dy#-} -le 60 ] || bad "make window place" "tops $ay and $my are far apart"
fi
xdotool key --window "$w" F8
line=$(field_after "$w" line 1)
[ "$line" = 3 ] && ok "F8 after make selects a.c line 3" || bad "ErrorOrTag" "state '$(state "$w")'"

# ---- the Grep dialogue ----
xdotool key --window "$w" F9
g=$(dialogue_named 'Grep in your open files') || bad "Grep" "no dialogue"
if [ -n "$g" ]; then
    typein "$g" RETURN
    press alt+i alt+w
    shot grep-dialogue
    press Return
    window_gone "$g" || bad "Grep" "the dialogue stayed"
    o=$(window_named 'grep.001') || bad "Grep" "no output window"
    # grep -n -i -w over the one open file, then the closing line.
    want=$(($(grep -c -i -w return a.c) + 1))
    [ -n "$o" ] && [ "$(await "$o" lines "$want")" = "$want" ] &&
        ok "Grep with Case insensitive and Whole word ticked finds every line grep -i -w finds" ||
        bad "Grep" "state '$(state "$o")', want $want lines"
fi
kill -INT $pid 2>/dev/null
wait $pid 2>/dev/null
# A command the Halt failed to end is not left behind (it leads its own process group).
for p in $(pgrep -f "echo $halt_mark"); do kill -KILL -- "-$p" 2>/dev/null; done
echo "$pass passed, $fail failed"
[ $fail = 0 ]
