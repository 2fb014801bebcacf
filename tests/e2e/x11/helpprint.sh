#!/bin/sh
# Help, printing and options on a real X server with a window manager, from the keyboard: F1 on a word opens its
# help entry in a new read-only window; the File menu's Print opens the print dialogue, whose
# default button (Return) prints through the printer command to a PostScript file that
# Ghostscript reads without a complaint; the Options menu opens the option dialogue; "Print a
# File on Disk" prints a file chosen with the chooser.
# Usage: helpprint.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24 gs openbox
# A window manager gives the keyboard back to the editor when a dialogue closes.
x11_openbox
mkdir .tql
printf '#!/bin/sh\ncp "$1" printed.ps\n' > lpr.sh
printf 'printcommand: "sh lpr.sh"\neditprint2column: off\n' > .tql/qe.cfg
printf 'tabsize sets the tab stops\nsecond line\n' > t.txt
open_window t.txt
sleep 0.5

# ---- Options menu, Preferences...: the option dialogue shows the options' values ----
if o=$(opens "$w" Options alt+o p); then
    keys_active "$o" Escape
    if gone Options; then
        ok "the Options menu opens the option dialogue; Escape closes it"
    else
        bad "options" "Escape left the dialogue open"
    fi
else
    bad "options" "no option dialogue"
fi

# ---- F1 on the word at the cursor ----
if h=$(opens "$w" 'help tabsize' F1); then
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
if d=$(opens "$w" Print alt+f p); then
    ok "the File menu's Print opens the print dialogue"
    keys_active "$d" Return
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

# ---- File menu, Print a File on Disk...: the chooser, then the print dialogue ----
printf 'only on disk\n' > disk.txt
rm -f printed.ps
if c=$(opens "$w" 'Print File' alt+f k); then
    xdotool type --delay 30 "$work/disk.txt" 2>/dev/null
    if d=$(opens "$c" Print Return); then
        keys_active "$d" Return
        t=0
        while [ $t -lt 50 ] && [ ! -s printed.ps ]; do sleep 0.1; t=$((t + 1)); done
        if grep -q '^(only on disk) lw {bp} bbr$' printed.ps 2>/dev/null && grep -q '^%%Title: disk.txt$' printed.ps; then
            ok "the File menu prints a file on disk chosen with the chooser"
        else
            bad "print file" "printed.ps: $(head -c 300 printed.ps 2>/dev/null)"
        fi
    else
        bad "print file" "no print dialogue after the chooser"
    fi
else
    bad "print file" "no file chooser"
fi

kill $pid 2>/dev/null
echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
