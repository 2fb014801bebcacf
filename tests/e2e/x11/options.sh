#!/bin/sh
# The Options dialogue on a real X server with a window manager, as a user works it: the
# Options menu opens it, Control+Page Down, Alt and a tab's mnemonic and a click on a tab turn
# its pages; a colour typed into a field shows at once in the swatch beside it and Apply paints
# the editor with it; the General page's Keys... opens the key bindings as text, where a line
# typed in binds F5, and F5 then runs that command in the editor; the same editor deletes it
# again, and its Help shows the entry in a window that takes keys while the dialogue is up.
# Screenshots go to $QE_SHOTS when that is set.
# Usage: options.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24 openbox import convert
x11_openbox

# How many pixels of window $1 have the colour $2 ("#rrggbb"); its picture goes to shot $3.
pixels() {
    import -window "$1" "$work/$3.png" 2>/dev/null
    [ -n "$QE_SHOTS" ] && cp "$work/$3.png" "$QE_SHOTS/options-$3.png"
    convert "$work/$3.png" txt:- 2>/dev/null | grep -ci " $2 "
}

printf 'one\ntwo\nthree\nfour\n' > t.txt
open_window t.txt
sleep 0.5

# ---- the Options menu's Preferences...: the General page first, Apply dimmed ----
o=$(opens "$w" Options alt+o p) || { bad "open" "no Options dialogue"; exit 1; }
sleep 0.5
# A dimmed button's label is drawn in the dark control grey.
if [ "$(pixels "$o" '#808080' general)" -gt 20 ]; then
    ok "the Options menu opens the Options dialogue on its General page"
else
    bad "open" "no dimmed Apply on the first page"
fi

# ---- turning pages: Control+Page Down three times reaches Colors; its swatches show ----
keys_active "$o" ctrl+Next ctrl+Next ctrl+Next
# The breakpoint colour's swatch: a block of pure red that no other page has.
red=$(pixels "$o" '#FF0000' colours)
if [ "$red" -gt 200 ]; then
    ok "Control+Page Down turns to the Colors page, whose swatches show the colours ($red red pixels)"
else
    bad "pages" "no red swatch on the third Control+Page Down ($red pixels)"
fi

# ---- a colour typed into the background field shows in its swatch; Apply paints the editor ----
# Tab from the notebook to the inner notebook, then to the background field; select its text
# and type over it.
keys_active "$o" Tab Tab End shift+Home
xdotool type --delay 40 '#ffe0c0' 2>/dev/null
sleep 0.5
sw=$(pixels "$o" '#FFE0C0' swatch)
if [ "$sw" -gt 200 ]; then
    ok "the background's swatch takes the colour as it is typed ($sw pixels)"
else
    bad "swatch" "the swatch does not show #ffe0c0 ($sw pixels)"
fi
# Alt+A presses Apply; Escape then closes the dialogue, and the editor shows the colour.
keys_active "$o" alt+a Escape
window_gone "$o" || bad "close" "Escape left the Options dialogue open"
sleep 0.5
ed=$(pixels "$w" '#FFE0C0' editor)
if [ "$ed" -gt 20000 ]; then
    ok "Apply (Alt+A) paints the editor window's background ($ed pixels)"
else
    bad "apply" "the editor's background is not #ffe0c0 ($ed pixels)"
fi

# ---- opened again: a click on the Colors tab shows that page ----
o=$(opens "$w" Options alt+o p) || { bad "open" "no Options dialogue the second time"; exit 1; }
sleep 0.5
[ "$(pixels "$o" '#FF0000' general2)" = 0 ] || bad "reopen" "the Options dialogue did not open on its General page"
set -- $(xwininfo -id "$o" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
xdotool mousemove $(($1 + 368)) $(($2 + 25)) click 1 2>/dev/null
sleep 0.5
red=$(pixels "$o" '#FF0000' clicked)
if [ "$red" -gt 200 ]; then
    ok "a click on the Colors tab turns to that page"
else
    bad "click" "no red swatch after the click on Colors ($red pixels)"
fi

# ---- Alt+G, Alt+K: Keys... on the General page; a line typed into the bindings binds F5 ----
keys_active "$o" alt+g
if k=$(opens "$o" 'Keyboard Commands' alt+k); then
    sleep 0.5
    import -window "$k" "$work/keys.png" 2>/dev/null
    [ -n "$QE_SHOTS" ] && cp "$work/keys.png" "$QE_SHOTS/options-keys.png"
    # The text starts with the bindings; a new first line binds F5 to going to the end.
    keys_active "$k" ctrl+Home
    xdotool type --delay 30 '"F5"@Edit=EOF' 2>/dev/null
    keys_active "$k" Return ctrl+Return
    if window_gone "$k"; then
        ok "Keys... on the General page opens the key bindings as text; Control+Return takes them"
    else
        bad "keys" "the bindings dialogue stayed open"
    fi
else
    bad "keys" "Alt+K on the General page opened no Keyboard Commands"
fi
keys_active "$o" Escape
window_gone "$o" || bad "close" "Escape left the Options dialogue open"
keys_active "$w" F5
# EOF: the line after the last newline.
if [ "$(await "$w" line 5 5)" = 5 ]; then
    ok "F5 runs the command it was bound to in the bindings' text"
else
    bad "F5" "F5 did not go to the last line: $(state "$w")"
fi

# ---- the same editor deletes the binding again: F5 then does nothing ----
keys_active "$w" ctrl+Home
if o=$(opens "$w" Options alt+o p) && k=$(opens "$o" 'Keyboard Commands' alt+k); then
    # Help (Alt+H) opens the bindings' help entry, which takes keys while the dialogue is up.
    if h=$(opens "$k" 'help keyconfig' alt+h); then
        keys_active "$h" ctrl+End
        if [ "$(field "$h" line)" -gt 1 ]; then
            ok "the bindings' Help opens its entry in a window that takes keys beside the dialogue"
        else
            bad "help" "Control+End did not move in the help window: $(state "$h")"
        fi
    else
        bad "help" "Alt+H opened no help window"
    fi
    # Control+F searches the text as it is typed; Return ends the search at the F5 line, which
    # is then selected whole and deleted.
    keys_active "$k" ctrl+Home ctrl+f
    xdotool type --delay 30 '"F5"@Edit' 2>/dev/null
    keys_active "$k" Return Home shift+Down
    import -window "$k" "$work/delete.png" 2>/dev/null
    [ -n "$QE_SHOTS" ] && cp "$work/delete.png" "$QE_SHOTS/options-delete.png"
    keys_active "$k" Delete ctrl+Return
    window_gone "$k"
    keys_active "$o" Escape
    window_gone "$o"
    keys_active "$w" F5
    sleep 0.5
    if [ "$(field "$w" line)" = 1 ]; then
        ok "deleting the line in the bindings' text takes the binding away"
    else
        bad "delete" "F5 still moved: $(state "$w")"
    fi
else
    bad "delete" "the Options dialogue or its Keys... did not open again"
fi

kill $pid 2>/dev/null
echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
