#!/bin/sh
# Keystroke-to-screen latency of qe under Xvfb: 200 keys into a window showing a small C file
# and into one showing the last line of a 100 MB C file, and Return with its automatic
# indentation at the end of a 1,000,000-line C file (goal: median under 5 ms).
#   sh bench/bench_latency.sh [BUILD_DIR]      (KEYS=200)
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
qe="$build/bin/qe"
# No about box in front of the window being timed.
NOSPLASH=1
export NOSPLASH
keys="${KEYS:-200}"
[ -x "$qe" ] || { echo "build qe first (sh scripts/build.sh)"; exit 1; }
work=$(mktemp -d)
g++ -O2 -o "$work/latency" "$root/bench/bench_latency.cc" -lX11
n=91
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
pid=""
trap 'kill $pid $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=:$n
sleep 1

run() {
    file=$1
    name=$(basename "$file")
    how=$3
    "$qe" "$file" "+$2" > "$work/qe.out" 2>&1 &
    pid=$!
    t=0
    until xdotool search --onlyvisible --name "^$name\$" >/dev/null 2>&1; do
        t=$((t + 1))
        [ $t -gt 600 ] && { echo "$name: no window"; cat "$work/qe.out"; return; }
        sleep 0.1
    done
    sleep 1
    printf '%-12s ' "$name"
    "$work/latency" "$name" "$keys" $how
    kill -INT $pid 2>/dev/null # an interrupt gives the edit lock back
    wait $pid 2>/dev/null || true
    pid=""
}

i=1
while [ $i -le 300 ]; do
    printf 'int f%d(int x) { return x + %d; }\n' $i $i
    i=$((i + 1))
done > "$work/small.c"
run "$work/small.c" 150
python3 "$root/bench/gen_cfile.py" "$work/big.c" 100
run "$work/big.c" "$(wc -l < "$work/big.c")"
head -n 1000000 "$work/big.c" > "$work/c1m.c"
rm -f "$work/big.c"
run "$work/c1m.c" 999999 return
