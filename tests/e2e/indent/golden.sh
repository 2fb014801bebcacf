#!/bin/sh
# Golden re-indentation of code written elsewhere: every line of each file loses its leading
# blanks, the editor re-indents the whole file (SelectAll;AutoIndent), and the report gives,
# per file, the share of non-blank lines whose indentation (display width, tab stops every 8)
# is back as the authors wrote it, then the share per set.
# Usage: golden.sh QE [MIN-PERCENT]   (with a minimum: fails when a set's share falls below)
# Each set: name, files, and the configuration lines that match the authors' settings.
qe="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
min="${2:-0}"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0

# The awk function both measures use: a line's indentation as a display width.
width='
        function width(s,   i, c, w) {
            w = 0
            for (i = 1; i <= length(s); i++) {
                c = substr(s, i, 1)
                if (c == " ") w++
                else if (c == "\t") w = int(w / 8) * 8 + 8
                else break
            }
            return w
        }
'

# compare ORIGINAL RESULT: prints "SAME TOTAL" over the non-blank lines.
compare() {
    awk "$width"'
        NR == FNR { orig[FNR] = $0; next }
        {
            if (orig[FNR] ~ /^[ \t\r]*$/) next
            total++
            if (width(orig[FNR]) == width($0)) same++
        }
        END { printf "%d %d\n", same, total }' "$1" "$2"
}

# The authors' indent step, as a user would set it: the commonest step in from a line that
# ends with "{".
step() {
    awk "$width"'
        open && $0 !~ /^[ \t]*$/ { d = width($0) - prev; if (d > 0 && d <= 8) n[d]++ }
        $0 !~ /^[ \t]*$/ { open = $0 ~ /\{[ \t]*$/; prev = width($0) }
        END { best = 4; for (d in n) if (n[d] > n[best]) best = d; print best }' "$1"
}

# set_run NAME CONFIG FILE...: one set of files re-indented with the configuration lines CONFIG
# (separated by ";").
set_run() {
    name=$1
    config=$2
    shift 2
    mkdir -p "$tmp/home/.tql"
    sameAll=0
    totalAll=0
    for f in "$@"; do
        [ -f "$f" ] || continue
        base=$(basename "$f" .gz)
        case "$f" in
        *.gz) gzip -dc "$f" > "$tmp/orig" ;;
        *) cp "$f" "$tmp/orig" ;;
        esac
        sed 's/^[ 	]*//' "$tmp/orig" > "$tmp/$base"
        # Without an indent step of its own, the set takes each file's.
        { echo "$config" | tr ';' '\n'
          case "$config" in *editindent*) ;; *) echo "editindent $(step "$tmp/orig")" ;; esac
        } > "$tmp/home/.tql/qe.cfg"
        (cd "$tmp" && HOME="$tmp/home" "$qe" -batch "$base" -do 'SelectAll;AutoIndent' \
            -do 'PrintLines' > "$tmp/result" 2>"$tmp/err")
        rm -f "$tmp/$base"
        set -- $(compare "$tmp/orig" "$tmp/result")
        [ "$2" -gt 0 ] || continue
        echo "$name $(printf '%3d' $((100 * $1 / $2)))% $1/$2 $f"
        sameAll=$((sameAll + $1))
        totalAll=$((totalAll + $2))
    done
    if [ $totalAll -gt 0 ]; then
        share=$((100 * sameAll / totalAll))
        echo "$name total $share% $sameAll/$totalAll"
        if [ "$share" -lt "$min" ]; then
            echo "$name: $share% is below $min%"
            fail=1
        fi
    fi
}

common="AIcommentsstayflushleft Off;AIparenindentmode EvenWithParen"
set_run zlib "$common;AIswitchintwo Off" /usr/share/doc/zlib1g-dev/examples/*.c
set_run c-examples "$common;AIswitchintwo Off" \
    $(ls /usr/share/doc/*/examples/*.c /usr/share/doc/*/examples/*/*.c 2>/dev/null | grep -v zlib1g)
set_run googletest "$common;AIswitchintwo On" \
    /usr/src/googletest/googletest/src/*.cc /usr/src/googletest/googlemock/src/*.cc
set_run java-xerces "$common;AIswitchintwo On" \
    $(find /usr/share/doc/libxerces2-java/examples -name '*.java' 2>/dev/null | sort)
set_run gnat "$common;adaindentsize 3;adacontinuationsize 2;AIswitchintwo On" \
    $(ls /usr/lib/gcc/x86_64-linux-gnu/*/adainclude/a-*.ad[bs] 2>/dev/null | head -60)
exit $fail
