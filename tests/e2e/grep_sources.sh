#!/bin/sh
# tests/e2e/grep_sources.sh QE SRC: the repository's own sources opened in qe, searched with
# Grep; the output File holds exactly what grep -n prints over the same files, then the
# closing line.
qe=$1
src=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$src/.." || exit 1
files=$(ls src/*/*.cc src/*/*.h)
n=$(echo "$files" | wc -l)
pattern='Edit[A-Z][a-z]*('
# shellcheck disable=SC2086
grep -n -e "$pattern" $files > "$tmp/want"
echo "----- Grep finished (grepped for $pattern in your open files)" >> "$tmp/want"
# shellcheck disable=SC2086
TMPDIR=$tmp "$qe" -batch $files -do "Grep $pattern" -do "SelectWindow $((n + 1))" \
    -do PrintLines > "$tmp/got" 2> "$tmp/err" || { cat "$tmp/err"; exit 1; }
# The first line is the Executing message.
tail -n +2 "$tmp/got" > "$tmp/got.lines"
if ! cmp -s "$tmp/want" "$tmp/got.lines"; then
    diff -u "$tmp/want" "$tmp/got.lines" | head -30
    exit 1
fi
echo "grep over $n files: $(wc -l < "$tmp/want") lines agree"
