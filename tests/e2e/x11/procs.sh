#!/bin/sh
# End-to-end checks of shell commands under X: a command bound to a key streams into a new
# window whose Halt button ends it even though it ignores SIGINT and SIGTERM; make's errors are
# walked from a key into the source window.
# Usage: procs.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24 make cc
mkdir -p home/.tql
cat > home/.tql/qe.cfg <<'CFG'
key: "F5"@Edit=Cmd2Wnd "trap '' INT TERM; echo qe-halt-test; while :; do sleep 1; done"
key: "F7"@Edit=Make all
key: "F8"@Edit=ErrorOrTag
CFG
printf 'int main(void) {\n    int x = 1;\n    return y;\n}\n' > a.c
printf 'MAKEFLAGS += -k\nall: a.o\n' > Makefile
HOME=$work/home "$qe" a.c > out.txt 2>&1 &
pid=$!
w=$(window_named a.c) || { bad "start" "no window a.c"; cat out.txt; exit 1; }

# ---- the Halt button ----
xdotool key --window "$w" F5
o=$(window_named '~trap[0-9]*.tmp') || bad "command window" "none appeared"
running() { pgrep -f "echo qe-halt-test" >/dev/null; }
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
xdotool key --window "$w" F8
line=$(field_after "$w" line 1)
[ "$line" = 3 ] && ok "F8 after make selects a.c line 3" || bad "ErrorOrTag" "state '$(state "$w")'"
kill -INT $pid 2>/dev/null
wait $pid 2>/dev/null
# A command the Halt failed to end is not left behind (it leads its own process group).
for p in $(pgrep -f "echo qe-halt-test"); do kill -KILL -- "-$p" 2>/dev/null; done
echo "$pass passed, $fail failed"
[ $fail = 0 ]
