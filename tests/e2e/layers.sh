#!/bin/sh
# tests/e2e/layers.sh SRC QVC: the folders' dependencies point one way. The toolkit includes
# nothing of the configuration, the difference engine nothing of the buffer, the QVC core
# nothing above the runtime and the engine, the version-control front end nothing of the
# editor, the indenter nothing but its options; and the qvc program loads no X library.
src=$1
qvc=$2
fail=0

# forbid DIR PATTERN WHY: no file under src/DIR includes a header matching PATTERN.
forbid() {
    hits=$(grep -rnE "#include \"($2)/" "$src/$1" 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "src/$1 must not include $2 ($3):"
        echo "$hits"
        fail=1
    fi
}
forbid toolkit 'config|buffer|editor|lang|vc' 'the toolkit gets its settings from its owner'
forbid diff 'buffer|editor|toolkit|config' 'the engine reads Files through DiffFileAccess'
forbid vc 'toolkit|config|buffer|editor|lang|vcfront' 'the QVC core runs without a display'
forbid vcfront 'editor|lang|dialogue' 'the editor drives the front end, not the other way'
forbid buffer 'vcfront' 'the buffer reaches version control through FileVcFrontEnd'
forbid config 'vcfront' 'the option reaches the front end through CfgVersionControl'
forbid indent 'toolkit|buffer|editor|lang|vc|vcfront|diff' 'the indenter reads lines the buffer feeds it'

if ldd "$qvc" | grep -i 'libX11'; then
    echo "$qvc loads Xlib"
    fail=1
fi
[ $fail = 0 ] && echo "layers: ok"
exit $fail
