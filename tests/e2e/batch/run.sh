#!/bin/sh
# Runs the scripted batch cases: each directory under CASES with a `cmd` or `args` file is
# one case, run as `qe -batch ARGS -answer A... -do C...` in a fresh temp directory.
#   in       starting text, copied to ./in (optional)
#   args     command-line words, one per line (default: in)
#   cmd      one command string per line, each becomes a -do
#   answers  one dialogue answer per line, each becomes an -answer
#   setup    shell script run in the temp directory first (makes big or odd files); a ./bin
#            it makes goes first on the PATH (stand-ins for programs the editor runs)
#   xsw      a switch file: qe is copied into the temp directory beside it as qe.xsw
#   out      expected contents of ./in afterwards (nothing else may appear in the directory)
#   stdout, stderr, status   expected output and exit status (status 0 by default)
#   check    shell script run afterwards in the temp directory; it sees ./stdout.actual
# Usage: run.sh QE CASES [NAME-FILTER]
qe="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
cases="$(cd "$2" && pwd)"
filter="${3:-}"
pass=0
fail=0
for dir in $(find "$cases" -mindepth 1 -type d | sort); do
    [ -f "$dir/cmd" ] || [ -f "$dir/args" ] || continue
    name="${dir#$cases/}"
    case "$name" in *"$filter"*) ;; *) continue ;; esac
    tmp=$(mktemp -d)
    [ -f "$dir/in" ] && cp "$dir/in" "$tmp/in"
    prog="$qe"
    if [ -f "$dir/xsw" ]; then
        cp "$qe" "$tmp/qe" && cp "$dir/xsw" "$tmp/qe.xsw"
        prog="$tmp/qe"
    fi
    ok=1
    why=""
    (
        cd "$tmp" || exit 99
        [ -f "$dir/setup" ] && sh "$dir/setup"
        [ -d bin ] && PATH="$tmp/bin:$PATH"
        ls -A > "$tmp.before"
        set -- -batch
        if [ -f "$dir/args" ]; then
            while IFS= read -r w || [ -n "$w" ]; do set -- "$@" "$w"; done < "$dir/args"
        elif [ -f in ]; then
            set -- "$@" in
        fi
        if [ -f "$dir/answers" ]; then
            while IFS= read -r a || [ -n "$a" ]; do set -- "$@" -answer "$a"; done < "$dir/answers"
        fi
        if [ -f "$dir/cmd" ]; then
            while IFS= read -r c || [ -n "$c" ]; do set -- "$@" -do "$c"; done < "$dir/cmd"
        fi
        TMPDIR="$tmp" "$prog" "$@" > stdout.actual 2> stderr.actual < /dev/null
        echo $? > status.actual
    )
    want_status=0
    [ -f "$dir/status" ] && want_status=$(cat "$dir/status")
    got_status=$(cat "$tmp/status.actual" 2>/dev/null)
    if [ "$got_status" != "$want_status" ]; then ok=0; why="$why status $got_status (want $want_status);"; fi
    for f in stdout stderr; do
        if [ -f "$dir/$f" ] && ! cmp -s "$dir/$f" "$tmp/$f.actual"; then
            ok=0; why="$why $f differs;"
            diff -u "$dir/$f" "$tmp/$f.actual" | head -20
        fi
    done
    if [ -f "$dir/out" ] && ! cmp -s "$dir/out" "$tmp/in"; then
        ok=0; why="$why out differs;"
        diff -u "$dir/out" "$tmp/in" | head -20
    fi
    if [ -f "$dir/check" ] && ! (cd "$tmp" && sh "$dir/check"); then ok=0; why="$why check failed;"; fi
    # Nothing may be left behind in the directory (which is also TMPDIR) by the program.
    leftovers=$(cd "$tmp" && ls -A | grep -v -e '^stdout.actual$' -e '^stderr.actual$' \
        -e '^status.actual$' | grep -vxF -f "$tmp.before")
    rm -f "$tmp.before"
    if [ -n "$leftovers" ]; then ok=0; why="$why left behind: $leftovers;"; fi
    if [ $ok = 1 ]; then
        pass=$((pass + 1))
        echo "ok   $name"
    else
        fail=$((fail + 1))
        echo "FAIL $name:$why"
    fi
    rm -rf "$tmp"
done
echo "$pass passed, $fail failed"
[ $fail = 0 ]
