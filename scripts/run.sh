#!/bin/sh
# Sets everything up and runs the editor on the given files.
set -e
root="$(cd "$(dirname "$0")/.." && pwd)"
sh "$root/scripts/deps.sh"
dir=$(sh "$root/scripts/build.sh")
exec "$root/$dir/bin/qe" "$@"
