#!/bin/sh
# Finding a fixed string and a simple regular expression that occur only about 1,000 lines
# before the end of the 1 GB C-like file, searching from the top: the search engine (time
# after loading) beside grep -m1 -F / -E and Vim's search() on the same patterns, in the same
# run, with the ratios to grep (goal: at most 1.5).
#   sh bench/bench_search.sh [BUILD_DIR]       (DATA=/work/bench-data, FILE=big1g.c)
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
data="${DATA:-/work/bench-data}"
file="$data/${FILE:-big1g.c}"
[ -f "$file" ] || python3 "$root/bench/gen_cfile.py" "$file" 1024
bin="$build/bin/bench_search"
[ -x "$bin" ] || { echo "build first (sh scripts/build.sh)"; exit 1; }

# The function that starts about 1,000 lines before the end: its name occurs only there.
n=$(tail -n 1000 "$file" | grep -o 'checksum_[0-9]*' | head -1 | cut -d_ -f2)
plain="checksum_$n("
stem=$(echo "$n" | cut -c1-$((${#n} - 1)))
# Names with one more digit after the stem: the ten functions from a multiple of ten up to
# it, the first of them at most 9 functions (153 lines) earlier. (A star would not do: "[0-9]*"
# also takes shorter numbers, and this dialect and grep's disagree on when zero repetitions
# are tried.)
ere="checksum_$stem[0-9]\\("    # the same in grep -E and in our dialect
vimre="checksum_$stem[0-9]("
echo "== $(basename "$file"): $(du -m "$file" | cut -f1) MB, $(wc -l < "$file") lines; plain '$plain', regex '$ere'"
cat "$file" >/dev/null # the same page cache for every tool

# the median wall time of three runs
secs() {
    for i in 1 2 3; do /usr/bin/time -f "%e" "$@" 2>&1 >/dev/null | tail -1; done | sort -n | sed -n 2p
}
gf=$(secs grep -m1 -F "$plain" "$file")
ge=$(secs grep -m1 -E "$ere" "$file")
echo "grep -m1 -F   $gf s"
echo "grep -m1 -E   $ge s"

echo "qe engine (exact case, then case-blind; forward from the top, backward from the bottom):"
out=$(mktemp)
"$bin" "$file" "1:$plain" "0:$plain" "5:$ere" "4:$ere" | tee "$out"
qf=$(awk '$1 == "forward" && $8 == 1 { print $2 }' "$out")
qe=$(awk '$1 == "forward" && $8 == 5 { print $2 }' "$out")
rm -f "$out"
awk -v q="$qf" -v g="$gf" 'BEGIN { printf "qe / grep -F  %.2f (goal: at most 1.5)\n", q / g }'
awk -v q="$qe" -v g="$ge" 'BEGIN { printf "qe / grep -E  %.2f (goal: at most 1.5)\n", q / g }'

if command -v vim >/dev/null; then
    out=$(mktemp)
    for pat in "\\V$plain" "$vimre"; do
        vim -u NONE -i NONE -n -es \
            "+1" "+let t = reltime()" "+call search('$pat', 'cW')" \
            "+call writefile([reltimestr(reltime(t)) . ' s  line ' . line('.')], '$out')" \
            '+q!' "$file"
        echo "vim search()  $(cat "$out")  $pat"
    done
    rm -f "$out"
fi
if command -v emacs >/dev/null; then
    for form in "(search-forward \"$plain\")" "(re-search-forward \"$vimre\")"; do
        emacs -Q --batch "$file" --eval "(let ((t0 (float-time))) $form (princ (format \"emacs %.2f s  line %d  %s\n\" (- (float-time) t0) (line-number-at-pos) '$form)))" 2>/dev/null
    done
fi
