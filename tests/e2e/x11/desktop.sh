#!/bin/sh
# qe as a desktop program on a real X server with a window manager (openbox), in a UTF-8
# locale: typing on a German keyboard (plain keys, a dead key, Compose, AltGr) stores UTF-8;
# UTF-8 text through the clipboard both ways (xclip) and handed to a clipboard manager at
# exit; the window's names, icon, resize steps and ping answer; -geometry and -fn; and the
# glyphs of a UTF-8 line compared with the same text drawn by another client.
# Usage: desktop.sh QE X11_DESKTOP
. "$(dirname "$0")/common.sh"
x11_program "$1" "$2"
helper=$(abs "$2")
x11_begin 1280x1024x24 openbox xclip setxkbmap import convert compare
x11_openbox
LANG=C.UTF-8
export LANG
unset LC_ALL LC_CTYPE

# Waits for file $1 to hold exactly the bytes of file $2.
holds() {
    t=0
    while [ $t -lt 50 ]; do
        cmp -s "$1" "$2" && return 0
        sleep 0.1
        t=$((t + 1))
    done
    return 1
}
start() { # start NAME [ARGS...]: qe on the file, its window focused; sets pid and w
    name=$1
    shift
    "$qe" "$@" "$name" > "qe-$name.out" 2>&1 &
    pid=$!
    pids="$pids $pid"
    w=$(window_named "$name") || { bad "start $name" "no window; qe said: $(head -c 300 "qe-$name.out")"; return 1; }
    xdotool windowactivate --sync "$w" 2>/dev/null
    sleep 0.3
}

# ---- a German keyboard: ä ö ß, dead circumflex + a, Compose o c, AltGr+e ----
setxkbmap de -option compose:ralt
printf 'x\n' > k.txt
if start k.txt; then
    press adiaeresis odiaeresis ssharp dead_circumflex a Multi_key o c ISO_Level3_Shift+e control+s
    printf '\303\244\303\266\303\237\303\242\302\251\342\202\254x\n' > want-k
    holds k.txt want-k && ok "German keys, a dead key, Compose and AltGr are saved as UTF-8" ||
        bad "typed UTF-8" "$(od -An -c k.txt | tr -s ' ')"
    press control+q
    wait_exit $pid 10
fi
# The searcher's find field: typing, Backspace and Left take whole characters, so the
# pattern built with them is "wörld" and is found after "héllo " (7 bytes in).
printf 'h\303\251llo w\303\266rld\n' > f.txt
if start f.txt; then
    press shift+control+f
    d=$(window_named 'Searcher for f.txt') || bad "searcher" "no window 'Searcher for f.txt'"
    if [ -n "$d" ]; then
        xdotool mousemove --window "$d" 40 15 2>/dev/null
        press control+u w X odiaeresis r l d Q BackSpace Left Left Left Left BackSpace
        shot searcher-utf8
        press Return
        [ "$(await "$w" sel 1,7-1,13)" = 1,7-1,13 ] &&
            ok "the searcher's field edits whole characters (Backspace, Left, typing)" ||
            bad "searcher field" "sel $(field "$w" sel)"
        press Escape
    fi
    press control+q
    wait_exit $pid 10
fi
setxkbmap us

# ---- UTF-8 through the clipboard both ways, then to the clipboard manager at exit ----
printf 'h\303\251llo \316\273\n' > c.txt
if start c.txt; then
    press shift+End control+c
    got=$(xclip -o -selection clipboard 2>/dev/null)
    [ "$got" = "$(printf 'h\303\251llo \316\273')" ] && ok "UTF-8 copied in qe is read by xclip" ||
        bad "copy out" "'$got'"
    printf '\346\274\242\345\255\227\342\202\254' | xclip -i -selection clipboard
    sleep 0.3
    press End control+v control+s
    printf 'h\303\251llo \316\273\346\274\242\345\255\227\342\202\254\n' > want-c
    holds c.txt want-c && ok "UTF-8 put on the clipboard by xclip is pasted in qe" ||
        bad "paste in" "$(od -An -c c.txt | tr -s ' ')"
    "$helper" clipmanager > cm.out 2>&1 &
    cm=$!
    pids="$pids $cm"
    t=0
    until grep -q ready cm.out 2>/dev/null || [ $t -gt 50 ]; do sleep 0.1; t=$((t + 1)); done
    press control+Home shift+End control+c control+q
    wait_exit $pid 10
    wait_exit $cm 10
    grep -q "$(printf 'saved h\303\251llo')" cm.out &&
        ok "the clipboard is handed to the clipboard manager at exit" ||
        bad "clipboard manager" "$(cat cm.out)"
fi

# ---- the window: names, icon, ping, resize steps; -geometry and -fn ----
name=$(printf '\303\274.txt')
printf 'text\n' > "$name"
if start "$name" -geometry 100x40 -fn 6x13; then
    wm=$(xprop -id "$w" WM_NAME 2>/dev/null)
    net=$(xprop -id "$w" _NET_WM_NAME 2>/dev/null)
    case "$wm" in *"STRING) = \"$name\""*) ok "WM_NAME is Latin-1 STRING: $wm" ;; *) bad "WM_NAME" "$wm" ;; esac
    case "$net" in *"UTF8_STRING) = \"$name\""*) ok "_NET_WM_NAME is UTF-8" ;; *) bad "_NET_WM_NAME" "$net" ;; esac
    xprop -id "$w" _NET_WM_ICON 2>/dev/null | grep -q "Icon (32 x 32)" &&
        ok "_NET_WM_ICON holds the icon" || bad "_NET_WM_ICON" "no 32x32 icon"
    xprop -id "$w" WM_HINTS 2>/dev/null | grep -q "bitmap id # to use for icon" &&
        ok "WM_HINTS names an icon pixmap" || bad "WM_HINTS" "$(xprop -id "$w" WM_HINTS)"
    [ "$("$helper" ping "$w")" = pong ] && ok "_NET_WM_PING is answered" || bad "ping" "no answer"
    cell_size "$w"
    [ "$cw $ch" = "6 13" ] && ok "-fn 6x13 gives 6x13 cells" || bad "-fn" "cells $cw x $ch"
    hints=$(xprop -id "$w" WM_NORMAL_HINTS)
    base=$(echo "$hints" | sed -n 's/.*base size: \([0-9]*\) by.*/\1/p')
    size=$(echo "$hints" | sed -n 's/.*program specified size: \([0-9]*\) by.*/\1/p')
    [ -n "$base" ] && [ "$size" = $((base + 100 * 6)) ] && ok "-geometry 100x40 makes 100 columns" ||
        bad "-geometry" "$hints"
    press control+q
    wait_exit $pid 10
fi

# ---- glyphs: a UTF-8 line beside another client's drawing of it, and the cells of a line of
# wide characters ----
font=-misc-fixed-medium-r-normal--18-120-100-100-c-90-iso10646-1
# The other client draws through a font set: the same font in each charset of the locale.
fontset=-misc-fixed-medium-r-normal--18-120-100-100-c-90-*
line1=$(printf 'h\303\251llo w\303\266rld \342\200\224 \316\273\316\261 \302\251 \320\226')
printf '%s\n\346\274\242\345\255\227ab\n\n' "$line1" > g.txt
# The text area is the largest child of the editor window.
text_area() {
    xwininfo -id "$1" -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*: ()  *\([0-9]*\)x\([0-9]*\)+.*/\2 \3 \1/p' |
        awk '{ if ($1 * $2 > best) { best = $1 * $2; id = $3 } } END { print id }'
}
# Crops cells [$3, $3 + $2) of row $4 from image $1 into $5, as black and white.
crop() {
    convert "$1" -crop "$(($2 * 9))x18+$(($3 * 9))+$(($4 * 18))" +repage -threshold 50% "$5"
}
# Draws the text pieces ("FONT X TEXT"...) in another client and captures them into $1.
reference() {
    out=$1
    shift
    "$helper" reftext "$@" > /dev/null 2>&1 &
    ref=$!
    pids="$pids $ref"
    rw=$(window_named reftext) && sleep 0.3 && import -window "$rw" "$out" 2>/dev/null
    kill $ref
    t=0
    while xdotool search --onlyvisible --name '^reftext$' > /dev/null 2>&1 && [ $t -lt 30 ]; do
        sleep 0.1
        t=$((t + 1))
    done
}
if start g.txt -fn "$font"; then
    press control+End
    import -window "$(text_area "$w")" qe.png 2>/dev/null
    reference ref1.png "$fontset" 0 "$line1"
    reference ref2.png "$fontset" 0 ab
    n=$(printf '%s' "$line1" | wc -m)
    crop qe.png "$n" 0 0 q1.png && crop ref1.png "$n" 0 0 r1.png
    d=$(compare -metric AE q1.png r1.png null: 2>&1)
    [ "$d" = 0 ] && ok "a UTF-8 line is drawn as another client draws it" ||
        bad "glyphs" "$d pixels differ"
    # Two wide characters take four cells: "ab" follows in cells 4 and 5, and each wide
    # character has ink in both of its cells.
    crop qe.png 2 4 1 q2.png && crop ref2.png 2 0 0 r2.png
    d=$(compare -metric AE q2.png r2.png null: 2>&1)
    [ "$d" = 0 ] && ok "after two wide characters the next text starts four cells in" ||
        bad "wide cells" "$d pixels differ"
    inked=0
    for c in 0 1 2 3; do
        crop qe.png 1 $c 1 cell.png
        [ "$(convert cell.png -format '%[fx:minima]' info:)" = 0 ] && inked=$((inked + 1))
    done
    [ $inked = 4 ] && ok "wide characters draw into both of their cells" ||
        bad "wide glyphs" "$inked of 4 cells have ink"
    # A check that can fail: the reference of the first line does not match the second.
    crop ref1.png 2 0 0 r1s.png
    [ "$(compare -metric AE q2.png r1s.png null: 2>&1)" != 0 ] && ok "the comparison tells text apart" ||
        bad "comparison" "different text compares equal"
    [ -n "$QE_SHOTS" ] && cp qe.png ref1.png ref2.png "$QE_SHOTS/" 2>/dev/null
    press control+q
    wait_exit $pid 10
fi

echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
