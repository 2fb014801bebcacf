#!/bin/sh
# qe as git's merge tool and difference tool, in a scratch repository with real git: a
# conflicting merge resolved through `git mergetool` (the conflict answered in the controller,
# the change only one side made taken by itself), and `git difftool` opening a compare window.
# Usage: git_tools.sh QE
qe="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail=0
bad() { echo "FAIL $1"; fail=1; }
export GIT_CONFIG_NOSYSTEM=1 HOME="$work" TMPDIR="$work"
git init -q -b main repo && cd repo || exit 1
git config user.email t@example.com
git config user.name tester
printf 'one\ntwo\nthree\nfour\nfive\nsix\n' > f.c
git add f.c && git commit -qm base
git checkout -qb topic
printf 'one\nTWO (topic)\nthree\nfour\nfive\nsix\n' > f.c
git commit -qam topic
git checkout -q main
printf 'one\nTWO (main)\nthree\nfour\nfive\nsix\nseven\n' > f.c
git commit -qam main
git merge -q topic >/dev/null 2>&1 && bad "the merge should conflict"

# The configuration the README gives, with batch answers instead of a person.
git config mergetool.qe.cmd "\"$qe\" -batch -merge \"\$LOCAL\" \"\$REMOTE\" \"\$BASE\" \"\$MERGED\" -answer File2"
git config mergetool.qe.trustExitCode true
git config mergetool.keepBackup false
git mergetool --tool=qe f.c > ../mergetool.out 2>&1 < /dev/null || bad "git mergetool failed: $(cat ../mergetool.out)"
want='one
TWO (topic)
three
four
five
six
seven'
[ "$(cat f.c)" = "$want" ] || bad "merged f.c: $(cat f.c)"
grep -q "Merge -> File2" ../mergetool.out || bad "the conflict did not reach the controller"
git diff --name-only --diff-filter=U | grep -q . && bad "f.c still unmerged"
git commit -qm merged || bad "commit after the merge"

git config difftool.qe.cmd "\"$qe\" -batch -diff \"\$LOCAL\" \"\$REMOTE\" -do PrintWindows"
git difftool --no-prompt --tool=qe HEAD~1 HEAD -- f.c > ../difftool.out 2>&1 < /dev/null ||
    bad "git difftool failed"
grep -q "^compare Diff: .*f.c(Current Version) vs\. .*f.c(Current Version)" ../difftool.out ||
    bad "difftool: $(cat ../difftool.out)"
grep -q "^Difference 1: file 1: line 2; file 2: line 2" ../difftool.out || bad "difftool first difference"

[ $fail = 0 ] && echo "git tools: ok"
exit $fail
