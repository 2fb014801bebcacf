#!/bin/sh
# Opening the help at a keyword: qe in batch mode with "Help Undo" (finding and indexing the
# help files, reading the entry, opening its window) minus the same start without it, beside
# Vim's ":help undo" minus Vim's start; median of eleven runs each, in milliseconds.
#   sh bench/bench_help.sh [BUILD_DIR]
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
qe="$build/bin/qe"
[ -x "$qe" ] || { echo "build first (sh scripts/build.sh)"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
echo "some text" > "$tmp/in"

# median wall time of a command, in milliseconds
ms() {
    for i in 1 2 3 4 5 6 7 8 9 10 11; do
        s=$(date +%s%N)
        "$@" > /dev/null 2>&1 < /dev/null
        e=$(date +%s%N)
        echo $(((e - s) / 1000000))
    done | sort -n | sed -n 6p
}
base=$(ms "$qe" -batch "$tmp/in" -do Noop)
help=$(ms "$qe" -batch "$tmp/in" -do 'Help Undo')
pattern=$(ms "$qe" -batch "$tmp/in" -do 'Help Sel*')
echo "qe: start ${base} ms; Help Undo +$((help - base)) ms; Help Sel* +$((pattern - base)) ms"
if command -v vim >/dev/null; then
    vbase=$(ms vim -u NONE -es -c qa)
    vhelp=$(ms vim -u NONE -es -c 'help undo' -c qa)
    echo "vim: start ${vbase} ms; :help undo +$((vhelp - vbase)) ms"
fi
