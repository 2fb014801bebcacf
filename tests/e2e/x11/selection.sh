#!/bin/sh
# The toolkit's selections on a real X server (its own Xvfb): a test client owns and fetches
# slots, xclip plays the other programs, and two copies of the client talk to each other.
# Usage: selection.sh X11_SELECTION X11_MULTIPLE
. "$(dirname "$0")/common.sh"
x11_program "$1" "$2"
sel=$(abs "$1")
multiple=$(abs "$2")
x11_begin 640x480x24 xclip cmp

# Starts an owner in the background (output in $2.out) and waits until it owns the slot.
# Usage: start_owner NAME ARGS...; sets $owner to its pid.
start_owner() {
    name=$1
    shift
    "$sel" "$@" > "$name.out" 2>&1 &
    owner=$!
    pids="$pids $owner"
    t=0
    until grep -q owned "$name.out" 2>/dev/null; do
        t=$((t + 1))
        if [ $t -gt 50 ] || ! kill -0 $owner 2>/dev/null; then
            bad "$name" "owner did not start: $(cat "$name.out")"
            return 1
        fi
        sleep 0.1
    done
}


# xclip -i stays behind serving the selection; it must not hold the script's output open.
xclip_in() { xclip -i -selection "$1" < "$2" >/dev/null 2>&1; }

printf 'h\303\251llo w\303\266rld \342\234\223\nsecond line' > utf8.txt
printf 'h\351llo w\366rld ?\nsecond line' > latin1.txt
printf 'first\nsecond\n' > lines.txt
printf 'ab\ncd\nef' > rect.txt
awk 'BEGIN { for (i = 0; i < 30000; i++) printf "line %06d \303\244\303\266\303\274 of the large text\n", i }' > big.txt
awk 'BEGIN { for (i = 0; i < 40000; i++) printf "other %06d from xclip, also large\n", i }' > big2.txt

# ---- we own PRIMARY; xclip reads it ----
start_owner primary own 0 1 utf8.txt 20 && {
    xclip -o -selection primary > got.txt 2>err.txt
    cmp -s got.txt utf8.txt && ok "xclip reads our PRIMARY exactly as UTF-8" ||
        bad "PRIMARY as UTF-8" "got '$(cat got.txt)' $(cat err.txt)"
    xclip -o -selection primary -t STRING > got.txt 2>err.txt
    cmp -s got.txt latin1.txt && ok "STRING gives Latin-1 with '?' for what it cannot hold" ||
        bad "PRIMARY as STRING" "got '$(od -c got.txt | head -3)'"
    targets=$(xclip -o -selection primary -t TARGETS 2>&1 | tr '\n' ' ')
    case "$targets" in
    *TARGETS*UTF8_STRING*STRING*TEXT*) ok "TARGETS lists the text targets" ;;
    *) bad "TARGETS" "$targets" ;;
    esac
    case "$targets" in
    *_QUORL_*) bad "TARGETS" "plain text offered as a private kind: $targets" ;;
    esac
    out=$("$multiple")
    expected=$(printf 'pair 1: %s\npair 2: TARGETS MULTIPLE TIMESTAMP UTF8_STRING STRING TEXT \npair 3: none' "$(cat utf8.txt)")
    [ "$out" = "$expected" ] && ok "MULTIPLE serves each pair and refuses the unknown one" ||
        bad "MULTIPLE" "$out"
    xclip -o -selection primary -t _QUORL_LINES > got.txt 2>err.txt
    [ -s got.txt ] && bad "unknown target" "text given for a kind it is not" ||
        ok "a target we do not hold is refused"
    # Losing it to xclip reaches the owner as a lost event.
    echo taken > taken.txt
    xclip_in primary taken.txt
    wait_exit $owner 5
    if [ "$st" = 0 ] && grep -q "^lost 0$" primary.out; then
        ok "xclip taking PRIMARY delivers the lost event"
    else
        bad "lost PRIMARY" "status $st: $(cat primary.out)"
    fi
}

# fetched SLOT OUT FILE WHAT: a request for SLOT prints OUT and delivers the bytes of FILE.
fetched() {
    out=$("$sel" request "$1" got.txt)
    if [ "$out" = "$2" ] && cmp -s got.txt "$3"; then
        ok "$4"
    else
        bad "$4" "$out, got $(wc -c < got.txt) bytes: $(head -c 200 got.txt)"
    fi
}

# ---- xclip owns CLIPBOARD; we fetch slot 1 ----
xclip_in clipboard utf8.txt
fetched 1 "type 1 slot 1" utf8.txt "text put by xclip arrives in slot 1 as text"

# ---- two copies: whole lines and rectangles travel with their kind ----
start_owner lines own 1 3 lines.txt 20 && {
    lines_owner=$owner
    fetched 1 "type 3 slot 1" lines.txt "whole lines copied in one client arrive as lines in another"
    xclip -o -selection clipboard > got.txt 2>err.txt
    cmp -s got.txt lines.txt && ok "other programs get the lines as plain text" ||
        bad "lines as text" "got '$(cat got.txt)'"
}
start_owner rect own 4 4 rect.txt 20 && {
    fetched 4 "type 4 slot 4" rect.txt "a rectangle in CLIPBOARD_CS arrives as a rectangle"
}
# A second copy owning CLIPBOARD takes it from the first.
start_owner lines2 own 1 1 rect.txt 20 && {
    wait_exit $lines_owner 5
    [ "$st" = 0 ] && grep -q "^lost 1$" lines.out && ok "another copy taking CLIPBOARD delivers the lost event" ||
        bad "lost to a copy" "$(cat lines.out)"
}

# ---- nobody owns CLIPBOARD_C ----
fetched 3 "type 1 slot 3" /dev/null "an unowned slot answers with empty text"

# ---- large data goes in pieces both ways (xclip names only PRIMARY and CLIPBOARD) ----
start_owner big own 1 1 big.txt 30 && {
    xclip -o -selection clipboard > got.txt 2>err.txt
    cmp -s got.txt big.txt && ok "xclip reads $(wc -c < big.txt) bytes from us in pieces" ||
        bad "large to xclip" "got $(wc -c < got.txt) bytes $(cat err.txt)"
    xclip_in clipboard big2.txt
    wait_exit $owner 5
    [ "$st" = 0 ] || bad "large owner" "status $st: $(cat big.out)"
    fetched 1 "type 1 slot 1" big2.txt "$(wc -c < big2.txt) bytes from xclip arrive in pieces"
}
out=$("$sel" self 3 big.txt)
case "$out" in
ok*) ok "one process fetches its own large selection: $out" ;;
*) bad "self fetch" "$out" ;;
esac

# ---- an owner that never answers: an empty answer after the time limit ----
start_owner hang hang 3 8 && {
    t0=$(date +%s%N)
    out=$("$sel" request 3 got.txt)
    ms=$((($(date +%s%N) - t0) / 1000000))
    if [ "$out" = "type 1 slot 3" ] && [ ! -s got.txt ] && [ $ms -ge 1500 ] && [ $ms -lt 5000 ]; then
        ok "a silent owner gives an empty answer after $ms ms"
    else
        bad "silent owner" "$out after $ms ms, got '$(cat got.txt)'"
    fi
}

echo "$pass passed, $fail failed"
[ $fail = 0 ]
