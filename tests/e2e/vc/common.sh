# Shared by the version-control scripts: a fresh directory, the editor in batch mode, checks.
# Source it after setting qe; each script ends with `finish`.
pass=0
fail=0
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/tmp" "$dir/home"
export TMPDIR="$dir/tmp" HOME="$dir/home"
cd "$dir" || exit 1

ok() { pass=$((pass + 1)); echo "ok   $1"; }
bad() { fail=$((fail + 1)); printf 'FAIL %s: %s\n' "$1" "$2"; [ -f out ] && sed 's/^/    /' out; }
# batch ARGS...: runs qe -batch with them, output in ./out, status in $status.
batch() {
    "$qe" -batch "$@" > out 2>&1 < /dev/null
    status=$?
}
# has NAME TEXT: the last output holds the line TEXT (a fixed string, whole line).
has() { if grep -qxF -- "$2" out; then ok "$1"; else bad "$1" "no line \"$2\""; fi; }
hasnt() { if grep -qF -- "$2" out; then bad "$1" "unexpected \"$2\""; else ok "$1"; fi; }
check() { if eval "$2"; then ok "$1"; else bad "$1" "$2"; fi; }
finish() {
    echo "$pass passed, $fail failed"
    [ "$fail" = 0 ]
}
