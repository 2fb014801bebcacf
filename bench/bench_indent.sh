#!/bin/sh
# The automatic indenter beside Vim's "=" with cindent on the same files: a 100,000-line C
# file stripped of its indentation re-indented whole, and Return at the end of a
# 1,000,000-line C file.
#   sh bench/bench_indent.sh [BUILD_DIR]      (DATA=/work/bench-data)
cd "$(dirname "$0")/.." || exit 1
build=${1:-build}
data=${DATA:-/work/bench-data}
mkdir -p "$data"
[ -x "$build/bin/bench_indent" ] || { echo "build first (sh scripts/build.sh)"; exit 1; }
if [ ! -f "$data/c1m.c" ]; then
    python3 bench/gen_cfile.py "$data/c1m.tmp" 40 >/dev/null
    head -n 1000000 "$data/c1m.tmp" > "$data/c1m.c" && rm -f "$data/c1m.tmp"
fi
[ -f "$data/c100k.c" ] || head -n 100000 "$data/c1m.c" | sed 's/^[ 	]*//' > "$data/c100k.c"
"$build/bin/bench_indent" "$data/c100k.c" "$data/c1m.c"
if command -v vim >/dev/null; then
    cp "$data/c100k.c" /tmp/bench-indent-vim.c
    start=$(date +%s.%N)
    vim -u NONE -i NONE -n -es '+set cindent' '+normal gg=G' '+wq' /tmp/bench-indent-vim.c
    end=$(date +%s.%N)
    echo "vim gg=G over the same 100,000 lines (load, indent, write): $(echo "($end - $start) * 1000" | bc 2>/dev/null || echo "$start $end") ms"
    rm -f /tmp/bench-indent-vim.c
fi
