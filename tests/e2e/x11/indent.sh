#!/bin/sh
# Automatic indentation in qe on a real X server: a C function typed with braces and Return
# comes out indented by the keys alone (Return, "{", "}", ";"), and Tab puts a line that was
# pushed out of place back.
# Usage: indent.sh QE
. "$(dirname "$0")/common.sh"
x11_program "$1"
x11_begin 1280x1024x24


printf 'int main(void)\n' > f.c
open_window f.c
sleep 0.5

keys "$w" control+Home End
for line in "{" "if (x)" "y = 1;" "while (y) {" "y--;" "}" "return 0;" "}"; do
    keys "$w" Return
    typein "$w" "$line"
done
keys "$w" control+s
sleep 0.5
printf 'int main(void)\n{\n    if (x)\n\ty = 1;\n    while (y) {\n\ty--;\n    }\n    return 0;\n}\n' > want
if cmp -s want f.c; then
    ok "a function typed with braces and Return is indented as it is typed"
else
    bad "typed function" "$(od -An -c f.c | tr -s ' ')"
fi

# Two blanks typed in front of "if" push it out; Tab puts it back.
keys "$w" control+Home Down Down Home
typein "$w" "  "
keys "$w" Tab control+s
sleep 0.5
if cmp -s want f.c; then
    ok "Tab in front of a line re-indents it"
else
    bad "Tab" "$(sed -n 3p f.c | od -An -c | tr -s ' ')"
fi
[ $fail = 0 ] || cat qe.out
echo "$pass passed, $fail failed"
[ $fail = 0 ]
