#!/bin/sh
# Help and printing on a real X server, from the keyboard: F1 on a word opens its help entry
# in a new read-only window, and the File menu's Print opens the print dialogue, whose
# default button (Return) prints through the printer command to a PostScript file that
# Ghostscript reads without a complaint.
# Usage: helpprint.sh QE
abs() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
qe=$(abs "$1")
[ -x "$qe" ] || { echo "FAIL: $qe is not a program"; exit 1; }
. "$(dirname "$0")/common.sh"
x11_begin 1280x1024x24 gs
HOME=$work
export HOME
mkdir .tql
printf '#!/bin/sh\ncp "$1" printed.ps\n' > lpr.sh
printf 'printcommand: "sh lpr.sh"\neditprint2column: off\n' > .tql/qe.cfg
keys() { w=$1; shift; for k in "$@"; do xdotool key --window "$w" "$k" 2>/dev/null; sleep 0.2; done; sleep 0.3; }

printf 'tabsize sets the tab stops\nsecond line\n' > t.txt
"$qe" t.txt > qe.out 2>&1 &
pid=$!
w=$(window_named t.txt) || { bad "start" "no window t.txt"; exit 1; }
sleep 0.5

# ---- F1 on the word at the cursor ----
xdotool windowactivate --sync "$w" 2>/dev/null
keys "$w" F1
if h=$(window_named 'help tabsize'); then
    if [ "$(field "$h" readonly)" = 1 ] || xprop -id "$h" WM_NAME | grep -q 'help tabsize'; then
        ok "F1 on tabsize opens its help entry in a window of its own"
    else
        bad "F1" "the help window is not read-only: $(state "$h")"
    fi
    import -display "$DISPLAY" -window "$h" "$work/help.png" 2>/dev/null
    [ -n "$SHOT_DIR" ] && cp "$work/help.png" "$SHOT_DIR/help.png"
else
    bad "F1" "no help window; windows: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' ',')"
fi

# ---- File menu, Print..., Return ----
xdotool windowactivate --sync "$w" 2>/dev/null
keys "$w" alt+f p
if d=$(window_named Print); then
    ok "the File menu's Print opens the print dialogue"
    xdotool windowactivate --sync "$d" 2>/dev/null
    keys "$d" Return
    t=0
    while [ $t -lt 50 ] && [ ! -s printed.ps ]; do sleep 0.1; t=$((t + 1)); done
    pages=$(gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=bbox printed.ps 2>&1 | grep -c '%%BoundingBox')
    if [ -s printed.ps ] && [ "$pages" = 1 ] && grep -q '^(tabsize sets the tab stops) lw {bp} bbr$' printed.ps; then
        ok "Return prints through the printer command: one page of PostScript"
    else
        bad "print" "printed.ps: $(wc -c < printed.ps 2>/dev/null) bytes, $pages pages"
    fi
else
    bad "print" "no print dialogue"
fi

kill $pid 2>/dev/null
echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
