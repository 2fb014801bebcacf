#!/bin/sh
# Installs the build into a scratch DESTDIR as a packager would and checks the result: the
# programs in bin/, their files in share/, the desktop entry and icon, nothing from the tests
# or benchmarks; the installed qe, started through a symlink elsewhere, reads the installed
# site configuration; --help and --version answer on the standard output.
# Usage: install.sh BUILD-DIR
build=$1
pass=0
fail=0
ok() { pass=$((pass + 1)); echo "ok   $1"; }
bad() { fail=$((fail + 1)); printf 'FAIL %s: %s\n' "$1" "$2"; }
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
prefix=/opt/quorl
DESTDIR="$dest" cmake --install "$build" --prefix "$prefix" > "$dest.log" 2>&1 ||
    { bad install "$(tail -5 "$dest.log")"; rm -f "$dest.log"; echo "$pass passed, $fail failed"; exit 1; }
rm -f "$dest.log"
root="$dest$prefix"

for p in qe qvc; do
    [ -x "$root/bin/$p" ] && ok "bin/$p installed" || bad "bin/$p" "missing or not executable"
done
[ -f "$root/share/quorl/config/qe.cfg" ] && [ -f "$root/share/quorl/dialogues/qe.dlg" ] &&
    ok "run-time files in share/quorl" || bad "share/quorl" "$(ls -R "$root/share" | head)"
[ -f "$root/share/quorl/qe1.hlp" ] && ok "help files in share/quorl" || bad "help files" "no qe1.hlp"
[ -x "$root/share/quorl/gnugrep" ] && ok "gnugrep beside them" || bad gnugrep "missing"
stray=$(find "$dest" -name 'test_*' -o -name 'bench_*' -o -name '*.sh' -o -name 'x11_*' | head -3)
[ -z "$stray" ] && ok "nothing from tests/ or bench/" || bad "stray files" "$stray"
[ -z "$(ls "$root/bin" | grep -v '^qe$' | grep -v '^qvc$')" ] && ok "bin/ holds only qe and qvc" ||
    bad "bin/" "$(ls "$root/bin")"

desktop="$root/share/applications/qe.desktop"
if [ -f "$desktop" ] && desktop-file-validate "$desktop" > "$dest/dfv" 2>&1 &&
    ! grep -q error "$dest/dfv"; then
    ok "the desktop entry validates"
else
    bad "desktop entry" "$(cat "$dest/dfv" 2>/dev/null)"
fi
icon=$(sed -n 's/^Icon=//p' "$desktop" 2>/dev/null)
[ -n "$icon" ] && [ -f "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] &&
    ok "the icon it names is installed" || bad icon "Icon=$icon not under share/icons"
# Manual pages, once the build makes them.
for page in qe.1 qvc.1; do
    if [ -f "$build/share/man/man1/$page" ]; then
        [ -f "$root/share/man/man1/$page" ] && ok "man page $page installed" ||
            bad "man page $page" "built but not installed"
    fi
done

# Started through a symlink in another directory, qe finds the installed site configuration.
echo "tabsize: 5" >> "$root/share/quorl/config/qe.cfg"
mkdir -p "$dest/elsewhere" "$dest/home"
ln -s "$root/bin/qe" "$dest/elsewhere/qe"
touch "$dest/f.txt"
got=$(cd "$dest" && HOME="$dest/home" "$dest/elsewhere/qe" -batch f.txt -do 'PrintOption tabsize' 2>&1)
case "$got" in
*5*) ok "the symlinked qe reads the installed site configuration" ;;
*) bad "site configuration" "PrintOption tabsize said: $got" ;;
esac

for p in qe qvc; do
    out=$("$root/bin/$p" --help 2>/dev/null) && [ -n "$out" ] && ok "$p --help exits 0 with text" ||
        bad "$p --help" "status $? output '$out'"
    out=$("$root/bin/$p" --version 2>/dev/null) && echo "$out" | grep -q "[0-9]\.[0-9]" &&
        ok "$p --version: $out" || bad "$p --version" "output '$out'"
done
echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
