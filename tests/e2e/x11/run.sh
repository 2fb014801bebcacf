#!/bin/sh
# End-to-end checks of qe on a real X server: starts its own Xvfb, drives qe with xdotool and
# reads what the windows show through their properties (xprop).
# Usage: run.sh QE X11_WMDELETE X11_TIMER_CHECK
. "$(dirname "$0")/common.sh"
x11_program "$1" "$2" "$3"
wmdelete=$(abs "$2")
timercheck=$(abs "$3")
x11_begin 1280x1024x24
i=1
while [ $i -le 200 ]; do
    printf 'int f%d(int x) { return x + %d; } /* line %d */\n' $i $i $i
    i=$((i + 1))
done > a.c
echo 'int b;' > b.c
echo 'int c;' > c.c

count_windows() { xwininfo -root -children | grep -c '("qe" "Quorl")'; }

# Waits up to 5 s for $1 editor windows to be left.
await_windows() {
    t=0
    while [ "$(count_windows)" != "$1" ] && [ $t -lt 50 ]; do
        sleep 0.1
        t=$((t + 1))
    done
}

# CPU ticks (user + system) a process has used.
ticks() { awk '{print $14 + $15}' /proc/$1/stat; }

# ---- two files, two windows; idle; closed through the window manager's message ----
"$qe" a.c b.c > out.txt 2>&1 &
pid=$!
wa=$(window_named a.c)
wb=$(window_named b.c)
if [ -n "$wa" ] && [ -n "$wb" ] && [ "$(count_windows)" = 2 ]; then
    ok "two files map two windows named a.c and b.c"
else
    bad "two windows" "windows a.c='$wa' b.c='$wb' count=$(count_windows)"
fi
# Start-up checks that every interface between the libraries that the program needs is
# installed, before any window maps; a missing one ends it with an assertion naming it.
if [ -n "$wa" ] && kill -0 $pid 2>/dev/null && ! grep -q "Assertion (interface" out.txt; then
    ok "start-up found every needed interface installed"
else
    bad "interfaces at start-up" "$(cat out.txt)"
fi
hz=$(getconf CLK_TCK)
t0=$(ticks $pid)
sleep 10
t1=$(ticks $pid)
used=$((t1 - t0))
# At most 1% of 10 s: the kernel charges whole ticks, so a loaded machine can round an idle
# loop up to the limit itself.
if [ $used -le $((hz / 10)) ]; then
    ok "idle with two windows: $used ticks of $((hz * 10)) in 10 s"
else
    bad "idle CPU" "$used ticks of $((hz * 10)) in 10 s"
fi
"$wmdelete" "$wa"
await_windows 1
if kill -0 $pid 2>/dev/null && [ "$(count_windows)" = 1 ]; then
    ok "closing one window leaves the other running"
else
    bad "close one" "process gone or windows left: $(count_windows)"
fi
"$wmdelete" "$wb"
wait_exit $pid 5
[ "$st" = 0 ] && ok "closing the last window ends with status 0" || bad "close last" "status $st"

# ---- -reuse: one window whose stack cycles through all three files ----
"$qe" -reuse a.c b.c c.c > out.txt 2>&1 &
pid=$!
w=$(window_named a.c) || { bad "-reuse" "no window a.c"; kill $pid; exit 1; }
cur="$(field "$w" file)"
names="$cur"
for k in 1 2 3; do
    xdotool key --window "$w" alt+Left 2>/dev/null
    cur=$(field_after "$w" file "$cur")
    names="$names $cur"
done
if [ "$(count_windows)" = 1 ] && [ "$names" = "a.c b.c c.c a.c" ] && [ "$(field "$w" stack)" = 2 ]; then
    ok "-reuse maps one window whose stack cycles a.c b.c c.c"
else
    bad "-reuse" "windows $(count_windows), cycle '$names', state '$(state "$w")'"
fi
name=$(xprop -id "$w" WM_NAME | sed 's/.*= //')
[ "$name" = '"a.c"' ] && ok "window name follows the File shown" || bad "window name" "$name"
"$wmdelete" "$w"
wait_exit $pid 5
[ "$st" = 0 ] || bad "-reuse close" "status $st"

# ---- clicking the vertical scroll bar below its thumb pages down ----
"$qe" a.c > out.txt 2>&1 &
pid=$!
w=$(window_named a.c)
top0=$(field "$w" top)
eval "$(xwininfo -id "$w" | awk '/Height:/ {print "h=" $2}')"
# The bar is on the left; its lower arrow is 18 pixels; the message line is below it and the
# horizontal bar: aim well inside the trough, near its bottom.
xdotool mousemove --window "$w" 9 $((h - 80)) click 1
top1=$(field_after "$w" top "$top0")
xdotool mousemove --window "$w" 9 $((h - 80)) click 1
top2=$(field_after "$w" top "$top1")
if [ "$top0" = 1 ] && [ "$top1" -gt 20 ] && [ "$top2" -gt "$top1" ]; then
    ok "scroll-bar clicks page down ($top0 -> $top1 -> $top2)"
else
    bad "scroll bar" "top $top0 -> $top1 -> $top2"
fi
"$wmdelete" "$w"
wait_exit $pid 5
[ "$st" = 0 ] || bad "scroll close" "status $st"

# ---- no arguments: the file chooser; cancelling ends with status 1 ----
"$qe" > out.txt 2>&1 &
pid=$!
w=$(window_named "Edit File")
if [ -n "$w" ]; then ok "no arguments shows the chooser"; else bad "chooser" "no window; qe said: $(head -c 400 out.txt)"; fi
xdotool key --window "$w" Escape 2>/dev/null
wait_exit $pid 5
[ "$st" = 1 ] && ok "cancelling the chooser ends with status 1" || bad "chooser cancel" "status $st"

# ---- the chooser's choice opens in a window ----
"$qe" > out.txt 2>&1 &
pid=$!
w=$(window_named "Edit File")
# A slow (sanitizer) build may map the chooser before it reads input: each try empties the field.
wb=$(opens "$w" b.c End BackSpace BackSpace BackSpace BackSpace BackSpace b period c Return)
if [ -n "$wb" ]; then ok "a name typed into the chooser opens that file"; else bad "chooser choice" "no b.c window; qe said: $(head -c 400 out.txt)"; fi
[ -n "$wb" ] && "$wmdelete" "$wb"
wait_exit $pid 5
[ "$st" = 0 ] || bad "chooser choice close" "status $st"

# ---- no display ----
out=$(env -u DISPLAY "$qe" a.c 2>&1)
st=$?
case "$out" in
*"Failed to attach to windowing system"*) [ $st = 1 ] && ok "no display: message and status 1" || bad "no display" "status $st" ;;
*) bad "no display" "output '$out' status $st" ;;
esac

# ---- timers over the X11 backend ----
if tout=$("$timercheck" 2>&1); then
    ok "timers fire after their deadline, and the loop never sleeps past one, over X11"
else
    bad "timers" "$tout"
fi

echo "$pass passed, $fail failed"
[ $fail = 0 ]
