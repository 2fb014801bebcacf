#!/bin/sh
# Printing a 100,000-line C file to a PostScript file: qe (loading the file, Print with the
# print dialogue's file destination) beside enscript, and with syntax colours (Printsyn)
# beside enscript --color --highlight, in the same run; median wall time of five runs, and
# the pages each wrote.
#   sh bench/bench_print.sh [BUILD_DIR]       (DATA=/work/bench-data)
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
data="${DATA:-/work/bench-data}"
qe="$build/bin/qe"
[ -x "$qe" ] || { echo "build first (sh scripts/build.sh)"; exit 1; }
command -v enscript >/dev/null || { echo "enscript is needed (sh scripts/deps.sh)"; exit 1; }
file="$data/print100k.c"
if [ ! -f "$file" ]; then
    mkdir -p "$data"
    python3 "$root/bench/gen_cfile.py" "$file.tmp" 8
    head -n 100000 "$file.tmp" > "$file"
    rm -f "$file.tmp"
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cat "$file" >/dev/null

median() {
    for i in 1 2 3 4 5; do
        rm -f "$out/out.ps"
        /usr/bin/time -f "%e" "$@" 2>&1 >/dev/null | tail -1
    done | sort -n | sed -n 3p
}
pages() { sed -n 's/^%%Pages: \([0-9][0-9]*\)$/\1/p' "$out/out.ps" | tail -1; }

echo "== $(basename "$file"): $(wc -l < "$file") lines, $(du -k "$file" | cut -f1) KB"
cd "$out"
t=$(median "$qe" -batch "$file" -do 'Configure editprint2column off' \
    -answer "destination=File;file=$out/out.ps;Print" -do Print)
echo "qe Print                        ${t}s  $(pages) pages"
t=$(median enscript -q -p "$out/out.ps" "$file")
echo "enscript                        ${t}s  $(pages) pages"
t=$(median "$qe" -batch "$file" -do 'Configure editprint2column off' \
    -answer "destination=File;file=$out/out.ps;Print" -do Printsyn)
echo "qe Printsyn                     ${t}s  $(pages) pages"
t=$(median enscript -q --color --highlight -p "$out/out.ps" "$file")
echo "enscript --color --highlight    ${t}s  $(pages) pages"
