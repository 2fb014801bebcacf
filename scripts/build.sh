#!/bin/sh
# Configures and builds into build/ (or build-asan/ with QE_SANITIZE=1).
set -e
cd "$(dirname "$0")/.."
if [ "${QE_SANITIZE:-0}" = 1 ]; then
    dir=build-asan
    extra="-DQE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"
else
    dir=build
    extra=""
fi
# ccache, when the machine has it, lets several checkouts of the tree share compiled objects.
if command -v ccache >/dev/null 2>&1; then
    extra="$extra -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
    CCACHE_BASEDIR="$(pwd)"
    CCACHE_NOHASHDIR=1
    export CCACHE_BASEDIR CCACHE_NOHASHDIR
fi
cmake -S . -B "$dir" $extra >/dev/null
cmake --build "$dir" -j "$(nproc)" >&2
echo "$dir"
