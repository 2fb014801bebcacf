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
cmake -S . -B "$dir" $extra >/dev/null
cmake --build "$dir" -j "$(nproc)" >&2
echo "$dir"
