#!/bin/sh
# Sets everything up and runs every test: unit tests and end-to-end tests through CTest.
# QE_SANITIZE=1 builds and runs everything under AddressSanitizer and UBSan instead. Two death
# tests skip themselves there, as they cap the address space to watch an allocation fail and the
# sanitizer's allocator ends the process instead of failing it: GenDeathTest.OutOfMemory* and
# ContainersDeathTest.AllocationFailure*.
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
sh "$root/scripts/deps.sh"
dir=$(sh "$root/scripts/build.sh")
cd "$root/$dir"
export ASAN_OPTIONS=detect_leaks=0
ctest --output-on-failure -j "$(nproc)" --timeout 900
