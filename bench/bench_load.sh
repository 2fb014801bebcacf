#!/bin/sh
# Opening large files, going to the last line and printing it: qe in batch mode beside Vim in
# ex mode, on the same files in the same run; then changing the last line of the 1 GB file and
# saving it. Prints the median wall time and the peak memory (max RSS) of RUNS runs each, and
# qe's share of Vim's figures.
#   sh bench/bench_load.sh [BUILD_DIR]      (RUNS=3 by default; DATA=/work/bench-data)
# The files: a generated C file of 1 GB and one of 100 MB, and 60 MB of real C++ (the
# system's C++ headers, repeated as needed). The save case works on a copy of the 1 GB file,
# removed at the end; it needs 1 GB of free disk beside DATA.
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
qe="$build/bin/qe"
data="${DATA:-/work/bench-data}"
runs="${RUNS:-3}"
mkdir -p "$data"
[ -x "$qe" ] || { echo "build qe first (sh scripts/build.sh)"; exit 1; }
command -v vim >/dev/null || { echo "vim is needed for the comparison"; exit 1; }
[ -f "$data/big1g.c" ] || python3 "$root/bench/gen_cfile.py" "$data/big1g.c" 1024
[ -f "$data/big100m.c" ] || python3 "$root/bench/gen_cfile.py" "$data/big100m.c" 100
if [ ! -f "$data/cpp60m.cc" ]; then
    find /usr/include/c++ /usr/include/clang* /usr/include/boost -type f 2>/dev/null | sort |
        xargs cat 2>/dev/null > "$data/cpp.part" || true
    [ -s "$data/cpp.part" ] || cat "$root"/src/*/*.cc > "$data/cpp.part"
    : > "$data/cpp60m.cc"
    while [ "$(stat -c %s "$data/cpp60m.cc")" -lt 62914560 ]; do
        cat "$data/cpp.part" >> "$data/cpp60m.cc"
    done
    truncate -s 62914560 "$data/cpp60m.cc"
    rm -f "$data/cpp.part"
fi

# Sets t (median wall seconds) and m (peak MB of that run) over RUNS runs of the command.
measure() {
    out=$(mktemp)
    i=0
    while [ $i -lt "$runs" ]; do
        /usr/bin/time -f "%e %M" -o "$out.t" "$@" >/dev/null 2>&1 || true
        tail -1 "$out.t" >> "$out"
        i=$((i + 1))
    done
    set -- $(sort -n "$out" | awk '{a[NR]=$0} END {print a[int((NR+1)/2)]}')
    t=$1
    m=$(($2 / 1024))
    rm -f "$out" "$out.t"
}

for f in "$data/big100m.c" "$data/cpp60m.cc" "$data/big1g.c"; do
    lines=$(awk 'END {print NR}' "$f")
    measure "$qe" -batch "+$lines" "$f" -do "PrintLines $lines"
    qt=$t qm=$m
    measure vim -u NONE -i NONE -n -es '+normal G' '+q!' "$f"
    printf "%-30s qe %6.2f s %5d MB   vim %6.2f s %5d MB   qe/vim: time %.2f, memory %.2f\n" \
        "open $(basename "$f"), last line" "$qt" "$qm" "$t" "$m" \
        "$(echo "$qt $t" | awk '{print $1 / $2}')" "$(echo "$qm $m" | awk '{print $1 / $2}')"
done

# Change the last line of the 1 GB file and save it: the whole run of each program.
copy="$data/save1g.c"
cp "$data/big1g.c" "$copy"
trap 'rm -f "$copy" "$copy~" "$data/.save1g.c.tq~"' EXIT
lines=$(awk 'END {print NR}' "$copy")
measure "$qe" -batch "+$lines" "$copy" -do 'EOL;"x"' -do Save
qt=$t qm=$m
measure vim -u NONE -i NONE -n -es '+normal GAx' '+wq' "$copy"
printf "%-30s qe %6.2f s %5d MB   vim %6.2f s %5d MB   qe/vim: time %.2f, memory %.2f\n" \
    "change last line of 1 GB, save" "$qt" "$qm" "$t" "$m" \
    "$(echo "$qt $t" | awk '{print $1 / $2}')" "$(echo "$qm $m" | awk '{print $1 / $2}')"
tail -c 20 "$copy" | grep -q 'xxx' || echo "(the saves did not change the copy: check the commands)"
