#!/bin/sh
# Under a real X server: TERM, HUP and INT, and the display going away, each end an editor
# with unsaved typing; the journal stays, unlocked, and the next start recovers the text.
# Usage: x11-signals.sh QE
abs() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
qe=$(abs "$1")
for tool in Xvfb xdotool xwininfo; do
    command -v $tool >/dev/null 2>&1 || { echo "FAIL: $tool is not installed"; exit 1; }
done
. "$(dirname "$0")/../x11/common.sh"
work=$(mktemp -d)
qpid=""
cleanup() {
    [ -n "$qpid" ] && kill "$qpid" 2>/dev/null
    kill $xvfb 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1
mkdir tmp
export TMPDIR="$work/tmp"

for how in TERM HUP INT display; do
    start_xvfb 1024x768x24
    printf 'first\nsecond\n' > "$how.txt"
    "$qe" "$how.txt" > "$how.out" 2>&1 &
    qpid=$!
    if ! w=$(window_named "$how.txt"); then
        bad "$how" "no window: $(cat "$how.out")"
        kill $xvfb; continue
    fi
    sleep 0.5
    xdotool type --window "$w" --delay 20 "lost $how" 2>/dev/null
    sleep 0.5
    if [ "$how" = display ]; then
        kill $xvfb
        want=1
    else
        kill -s "$how" $qpid
        want=2
        [ "$how" = INT ] && want=1
    fi
    wait_exit $qpid 20
    qpid=""
    [ "$how" != display ] && kill $xvfb
    wait $xvfb 2>/dev/null
    why=""
    [ "$st" = "$want" ] || why="$why status $st (want $want);"
    [ -s ".$how.txt.tq~" ] || why="$why no journal;"
    [ -z "$(ls -A tmp)" ] || why="$why temp files left;"
    "$qe" -batch "$how.txt" -answer 'Apply Edits' -do 'PrintLines 1 1' > rec.out 2>&1
    grep -q "^lost ${how}first\$" rec.out || why="$why not recovered: $(tail -1 rec.out);"
    if [ -z "$why" ]; then ok "$how"; else bad "$how" "$why $(cat "$how.out")"; fi
done
echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
