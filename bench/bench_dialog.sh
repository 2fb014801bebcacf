#!/bin/sh
# Dialogues and the script interpreter: a 40-widget dialogue from command to mapped window on
# a private Xvfb, and `i = 0; while (i < 1000000) i = i + 1;` in the interpreter beside the
# same loop in bash, in the same run. Build first (sh scripts/build.sh).
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/bin/bench_dialog"
[ -x "$bin" ] || { echo "build first: sh scripts/build.sh" >&2; exit 1; }
dfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$dfile"' EXIT
t=0
until [ -s "$dfile" ]; do sleep 0.1; t=$((t + 1)); [ $t -gt 100 ] && exit 1; done
DISPLAY=:$(cat "$dfile") "$bin"
start=$(date +%s%N)
bash -c 'i=0; while [ $i -lt 1000000 ]; do i=$((i + 1)); done'
end=$(date +%s%N)
echo "bash loop to 1000000: $(((end - start) / 1000000)) ms"
