#!/bin/sh
# A long load at start-up under X: a window shows within a fraction of a second, before any
# editor window can, and Escape typed into it cancels the load cleanly: no editor window
# opens, the temp copy is removed at once and the program ends.
# Usage: longload.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24
mkdir tmp

# 300 MB: seconds of loading on any machine, far more than the Escape needs to arrive.
yes 'int value = 12345; /* a line of about eighty characters, like much C source */' |
    head -c 300000000 > big.c
# At the lowest priority, so that on a busy machine the load still outlasts the key's way.
TMPDIR=$work/tmp nice -n 19 "$qe" big.c > out.txt 2>&1 &
pid=$!
if w=$(window_named "Loading big.c"); then
    ok "a long load at start-up shows its own window"
    # It takes the keyboard as it shows; one Escape, typed as a user would, goes to it.
    t=0
    while [ "$(xdotool getwindowfocus 2>/dev/null)" != "$w" ] && [ $t -lt 50 ]; do
        sleep 0.02
        t=$((t + 1))
    done
    [ $t -lt 50 ] && ok "the progress window has the keyboard" ||
        bad "progress window" "the keyboard is elsewhere: $(xdotool getwindowfocus 2>&1)"
    xdotool key Escape 2>/dev/null
    # The abort is told once the load has let go of its temp copy.
    if a=$(window_named Alert); then
        left=$(find tmp -type f | wc -l)
        [ "$left" = 0 ] && ok "the temp copy is gone when the abort is told" ||
            bad "cancelled load" "$left temp files left"
        # The alert goes at the key press: the release finds no window, which xdotool reports.
        xdotool key --window "$a" Return 2>/dev/null
    else
        bad "cancelled load" "no abort alert"
    fi
    wait_exit $pid 20
    # The load was the only work asked for: with nothing opened there is nothing to wait for.
    [ "$st" != running ] && ok "nothing is opened and the program ends" ||
        bad "cancelled load" "still running"
else
    bad "long load" "no progress window"
fi
[ -z "$(find tmp -type f)" ] || bad "cancelled load" "temp files left at exit"
echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
