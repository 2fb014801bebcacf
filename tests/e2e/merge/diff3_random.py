#!/usr/bin/env python3
"""Random three-way merges through the real program, checked against GNU diff3.

Each round makes a base text and two descendants. Rounds of the first kind change the base at
places far enough apart that no change of one side touches or neighbours a change of the other:
`qe -batch -merge MINE THEIRS BASE OUT` must merge them all by itself and write what
`diff3 -m -E MINE BASE THEIRS` writes (-E: a change made identically on both sides is merged,
as the automatic rules take it, rather than bracketed). Rounds of the second kind make both sides change the same
lines differently: the merge must stop at the controller (here answered with Abort), leaving no
result file, where diff3 reports a conflict too.
Usage: diff3_random.py QE [ROUNDS] [SEED]"""
import os
import random
import subprocess
import sys
import tempfile

qe = sys.argv[1]
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 150
rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 17)
fresh = iter(range(10**9))


def line():
    # Mostly unique lines, with a few repeated ones (blank lines, braces) as in real files.
    r = rng.random()
    if r < 0.08:
        return ""
    if r < 0.14:
        return rng.choice(["}", "{", "return 0;", "break;"])
    return "line %d %s" % (next(fresh), rng.choice(["a", "b", "c", "d"]))


def change(text, start, end):
    """One edit of text[start:end]: delete, replace or insert before it."""
    kind = rng.choice(["delete", "replace", "insert"])
    new = [line() for _ in range(rng.randint(1, 4))]
    if kind == "delete":
        return [], end
    if kind == "replace":
        return new, end
    return new + text[start:end], end


def descendants(base, conflicting):
    mine, theirs = [], []
    i = 0
    n = len(base)
    turn = 0
    made_conflict = False
    while i < n:
        gap = rng.randint(3, 8)  # common lines between changes keep them apart
        mine += base[i:i + gap]
        theirs += base[i:i + gap]
        i += gap
        if i >= n:
            break
        end = min(n, i + rng.randint(1, 3))
        if conflicting and not made_conflict and rng.random() < 0.5:
            a, _ = change(base, i, end)
            mine += ["mine %d" % next(fresh)] + a[:1]
            theirs += ["theirs %d" % next(fresh)]
            made_conflict = True
        elif turn % 3 == 0:
            a, _ = change(base, i, end)
            mine += a
            theirs += base[i:end]
        elif turn % 3 == 1:
            a, _ = change(base, i, end)
            mine += base[i:end]
            theirs += a
        else:  # the same change on both sides
            a, _ = change(base, i, end)
            mine += a
            theirs += a
        turn += rng.randint(1, 2)
        i = end
    if conflicting and not made_conflict:
        mine += ["mine tail %d" % next(fresh)]
        theirs += ["theirs tail %d" % next(fresh)]
    return mine, theirs


def write(path, lines):
    with open(path, "w") as f:
        f.write("".join(l + "\n" for l in lines))


failures = 0
with tempfile.TemporaryDirectory() as tmp:
    env = dict(os.environ, TMPDIR=tmp)
    for r in range(rounds):
        conflicting = r % 5 == 4
        base = [line() for _ in range(rng.randint(5, 60))]
        mine, theirs = descendants(base, conflicting)
        paths = [os.path.join(tmp, n) for n in ("mine.c", "base.c", "theirs.c", "out.c")]
        write(paths[0], mine)
        write(paths[1], base)
        write(paths[2], theirs)
        if os.path.exists(paths[3]):
            os.unlink(paths[3])
        peer = subprocess.run(["diff3", "-m", "-E", paths[0], paths[1], paths[2]],
                              capture_output=True, text=True)
        run = subprocess.run([qe, "-batch", "-merge", paths[0], paths[2], paths[1], paths[3],
                              "-answer", "Abort"], capture_output=True, text=True, env=env,
                             timeout=60)
        got = open(paths[3]).read() if os.path.exists(paths[3]) else None
        if conflicting:
            ok = peer.returncode == 1 and got is None and "Merge -> Abort" in run.stdout
            what = "a conflict stops at the controller"
        else:
            ok = peer.returncode == 0 and got == peer.stdout and "Merge ->" not in run.stdout
            what = "merged by itself as diff3 -m merges it"
        if not ok:
            failures += 1
            print("FAIL round %d: %s" % (r, what))
            print(run.stdout[-2000:])
            for p in paths[:3]:
                print("--- " + p)
                print(open(p).read())
            print("--- diff3 -m (status %d)" % peer.returncode)
            print(peer.stdout)
            print("--- qe")
            print(got)
            if failures > 3:
                break
print("%d rounds, %d failed" % (rounds, failures))
sys.exit(1 if failures else 0)
