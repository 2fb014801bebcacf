#!/bin/sh
# Drawing an 80x50 pane of UTF-8 beside one of ASCII under a private Xvfb (build first).
# Usage: sh bench/bench_utf8draw.sh
build=${BUILD:-$(dirname "$0")/../build}
. "$(dirname "$0")/../tests/e2e/x11/common.sh"
start_xvfb 1280x1024x24
trap 'kill $xvfb 2>/dev/null' EXIT
"$build/bin/bench_utf8draw"
