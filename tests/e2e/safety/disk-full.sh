#!/bin/sh
# A save or a load that meets the file size limit (the real SIGXFSZ, through prlimit) or a
# full file system is refused with a message; nothing on disk is cut short, and once there is
# room the same editor's next save goes through without asking about a changed file.
# Usage: disk-full.sh QE
qe="$1"
pass=0
fail=0
ok() { pass=$((pass + 1)); echo "ok   $1"; }
bad() { fail=$((fail + 1)); printf 'FAIL %s: %s\n' "$1" "$2"; }
dir=$(mktemp -d)
cleanup() {
    mountpoint -q "$dir/small" 2>/dev/null && umount "$dir/small"
    rm -rf "$dir"
}
trap cleanup EXIT
cd "$dir" || exit 1
mkdir tmp
export TMPDIR="$dir/tmp"
# 288 KB, and 48 KB for the size limit; the edit puts 12 KB at the top.
awk 'BEGIN { for (i = 0; i < 7800; i++) print "line " i " of the file, long enough" }' > orig
head -n 1300 orig > small.orig
awk 'BEGIN { for (i = 0; i < 400; i++) printf "inserted line %d, thirty bytes\n", i }' > insert
insert=$(sed 's/$/\\n/' insert | tr -d '\n')

# ---- the file size limit ----
cp small.orig f
prlimit --fsize=55000 "$qe" -batch f -do "SOF;\"$insert\"" -do Save > out 2>&1
st=$?
if [ $st -eq 1 ] && grep -q "No space to save file: f" out && cmp -s f small.orig; then
    ok "save past the size limit refused, file intact"
else
    bad "save past the size limit" "status $st, $(cat out | head -3), $(cmp f small.orig 2>&1)"
fi
cp orig f
prlimit --fsize=55000 "$qe" -batch f -do PrintState > out 2>&1
st=$?
if [ $st -ne 0 ] && [ $st -lt 128 ] && grep -q "No space for tempfile" out; then
    ok "load past the size limit reported"
else
    bad "load past the size limit" "status $st, $(head -3 out)"
fi
[ -z "$(ls -A tmp)" ] && ok "no temp files left" || bad "temp files" "$(ls -A tmp)"

# ---- a full file system (needs root to mount one) ----
if [ "$(id -u)" != 0 ]; then
    echo "skip full file system: needs root"
else
    mkdir small
    mount -t tmpfs -o size=1m tmpfs small
    cp orig small/f
    # Leave about 100 KB: the edit (10 KB at the top) needs its journal as well.
    head -c $((1024 * 1024 - $(stat -c %s orig) - 100 * 1024)) /dev/zero > small/filler 2>/dev/null
    cd small
    # The same editor saves again once the filler is gone (removed while it sleeps).
    "$qe" -batch f -do "SOF;\"$insert\"" -do Save -do 'Sleep 4000' -do Save > ../out 2>&1 &
    pid=$!
    cd ..
    t=0
    until grep -q "No space to save file" out || [ $t -gt 100 ]; do sleep 0.1; t=$((t + 1)); done
    if grep -q "No space to save file: f (.* bytes needed, .* free); nothing was written" out &&
        cmp -s small/f orig && [ "$(ls -A small | tr "\n" " ")" = ".f.tq~ f filler " ]; then
        ok "full file system: refused before anything was written"
    else
        bad "full file system" "$(head -3 out), $(cmp small/f orig 2>&1), $(ls -A small)"
    fi
    rm small/filler
    wait $pid
    cat insert orig > want
    if cmp -s small/f want && ! grep -q "changed since" out; then
        ok "with room the next save goes through"
    else
        bad "save with room" "$(cat out)"
    fi
    umount small
fi
echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
