#!/bin/sh
# pscheck.sh FILE PAGES [INK]: Ghostscript renders the PostScript FILE (png16m, 72 dpi) with no
# error or warning; it has PAGES pages, as its own "%%Pages:" says; and on page 1, printed
# portrait at 8 points in the first column, line k shows ink where INK's k-th character is 1
# and none where it is 0.
ps=$1
pages=$2
ink=${3:-}
gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=png16m -r72 -sOutputFile=pscheck-%d.png "$ps" \
    > pscheck.out 2>&1
status=$?
fail=0
if [ $status != 0 ] || [ -s pscheck.out ]; then
    echo "gs said (status $status):"; cat pscheck.out; fail=1
fi
got=$(ls pscheck-*.png 2>/dev/null | wc -l)
[ "$got" = "$pages" ] || { echo "gs rendered $got pages, want $pages"; fail=1; }
said=$(sed -n 's/^%%Pages: \([0-9][0-9]*\)$/\1/p' "$ps")
[ "$said" = "$pages" ] || { echo "the file says %%Pages: $said, want $pages"; fail=1; }
# The text of line k stands on the baseline 714 - 8k points up the page: 72 - 8 + 8k pixels
# down the image; its glyphs take the 6 pixel rows above.
k=1
while [ -n "$ink" ]; do
    want=${ink%"${ink#?}"}
    ink=${ink#?}
    top=$((72 + 8 * k))
    min=$(convert pscheck-1.png -crop 230x6+58+$top +repage -colorspace gray \
        -format '%[fx:minima]' info:)
    has=$(awk -v m="$min" 'BEGIN { print (m < 0.5) ? 1 : 0 }')
    [ "$has" = "$want" ] || { echo "line $k: ink $has, want $want (darkest $min)"; fail=1; }
    k=$((k + 1))
done
rm -f pscheck-*.png pscheck.out
exit $fail
