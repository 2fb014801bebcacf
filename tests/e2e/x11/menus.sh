#!/bin/sh
# Menus and dialogues of qe on a real X server with a window manager (openbox): the menu bar
# opened with the mouse and with the keyboard, an item picked each way, a dialogue's fields
# typed into, Tab and Shift+Tab through it, Escape to cancel, Return for its default button;
# the dialogue is a transient dialogue window of its editor. Screenshots go to $QE_SHOTS when
# that is set.
# Usage: menus.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1024x768x24 openbox
x11_openbox

# Waits for the file to hold exactly $2.
holds() {
    t=0
    while [ $t -lt 50 ]; do
        [ "$(cat "$1" 2>/dev/null)" = "$2" ] && return 0
        sleep 0.1
        t=$((t + 1))
    done
    return 1
}

printf 'start\n' > m.txt
open_window m.txt
xdotool windowactivate --sync "$w" 2>/dev/null
sleep 0.5

# The menu bar's first title, "File", starts 4 pixels in and is four characters of the
# font wide, plus a character cell on each side.
cell_size "$w"
[ "$cw" -gt 0 ] && ok "the window resizes by character cells (${cw}x$ch)" ||
    bad "resize increments" "no resize increment in WM_NORMAL_HINTS"
title_x() { echo $((4 + $1 * cw + cw / 2)); }

# ---- the mouse: File, then Save ----
press End
xdotool type --delay 30 " one" 2>/dev/null
sleep 0.3
xdotool mousemove --window "$w" "$(title_x 2)" 10 click 1 2>/dev/null
fm=$(window_named File) && ok "a click on File opens its menu" || bad "mouse menu" "no File menu"
shot menu-file
# Items are a line of text and 6 pixels each, from 2 pixels down; Save is the third.
if [ -n "$fm" ]; then
    xdotool mousemove --window "$fm" 30 $((2 + 2 * (ch + 6) + 9)) 2>/dev/null
    sleep 0.3
    xdotool click 1 2>/dev/null
fi
holds m.txt "start one" && ok "the File menu's Save item saves" || bad "mouse save" "m.txt holds '$(cat m.txt)'"
gone File && ok "the menu closes after the choice" || bad "menu close" "File menu still shown"

# ---- the keyboard: F10 opens File, Down Down Return is Save ----
xdotool type --delay 30 " two" 2>/dev/null
sleep 0.3
press F10
window_named File >/dev/null && ok "F10 opens the first menu" || bad "F10" "no File menu"
press Down Down Return
holds m.txt "start one two" && ok "arrows and Return pick Save" || bad "keyboard save" "m.txt holds '$(cat m.txt)'"

# Alt+e opens Edit; Right walks to Search; Escape leaves the menus without running anything.
press alt+e
window_named Edit >/dev/null && ok "Alt+E opens the Edit menu" || bad "alt+e" "no Edit menu"
press Right
window_named Search >/dev/null && ok "Right moves to the Search menu" || bad "right" "no Search menu"
shot menu-search
press Escape
gone Search && ok "Escape closes the menu" || bad "escape menu" "Search menu still shown"

# ---- a dialogue: Search, Editor Commands..., typing, Tab, Shift+Tab, Escape ----
press Return # the cursor on line 2, where a cancelled dialogue leaves it
press alt+s Up Return
d=$(window_named "Editor Commands") && ok "a menu item opens a dialogue" || bad "dialogue" "none"
if [ -n "$d" ]; then
    tr=$(xprop -id "$d" WM_TRANSIENT_FOR 2>/dev/null)
    case "$tr" in *"$(printf '0x%x' "$w")"*) ok "the dialogue is transient for its editor" ;;
        *) bad "transient" "$tr" ;; esac
    xprop -id "$d" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q DIALOG && ok "it is a dialogue window" ||
        bad "window type" "$(xprop -id "$d" _NET_WM_WINDOW_TYPE)"
    xdotool type --delay 30 "SOF" 2>/dev/null
    press Tab Tab shift+Tab
    shot dialogue
    press Escape
    gone "Editor Commands" && ok "Escape cancels the dialogue" || bad "escape" "still open"
    [ "$(field "$w" line)" != 1 ] && ok "a cancelled dialogue runs nothing" ||
        bad "cancel ran" "line $(field "$w" line)"
fi
press alt+s Up Return
d=$(window_named "Editor Commands")
xdotool type --delay 30 "SOF" 2>/dev/null
press Return
gone "Editor Commands" && ok "Return presses the default button" || bad "return" "still open"
t=0
while [ "$(field "$w" line)" != 1 ] && [ $t -lt 30 ]; do sleep 0.1; t=$((t + 1)); done
[ "$(field "$w" line)" = 1 ] && ok "the dialogue's script ran the typed commands" ||
    bad "script" "line $(field "$w" line)"

kill "$pid" 2>/dev/null
echo "$pass passed, $fail failed"
[ $fail = 0 ]
