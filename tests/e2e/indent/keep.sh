#!/bin/sh
# Keeps a file the indenter gets back whole as a regression case under tests/e2e/batch/indent:
# the case's input is the file without its leading blanks, its expected output the file.
# Usage: keep.sh FILE NAME LANGUAGE 'CONFIG;CONFIG...'
f=$1; name=$2; lang=$3; config=$4
dir="$(dirname "$0")/../batch/indent/golden-$name"
mkdir -p "$dir"
tr -d '\r' < "$f" | sed 's/^[ 	]*$//' > "$dir/stdout"
sed 's/^[ 	]*//' "$dir/stdout" > "$dir/in"
{
    echo "$config" | tr ';' '\n' | sed 's/^/Configure /'
    echo "SelectLanguage $lang;SelectAll;AutoIndent;PrintLines"
} > "$dir/cmd"
