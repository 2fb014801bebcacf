# tests/e2e/x11/common.sh: sourced by the X11 end-to-end scripts: the program, the private Xvfb
# and window manager, the pass and fail counts, waiting for windows and processes, and the
# keys, typing and waits that drive qe as a user would.

pass=0
fail=0
abs() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
ok() { pass=$((pass + 1)); echo "ok   $1"; }
bad() { fail=$((fail + 1)); printf 'FAIL %s: %s\n' "$1" "$2"; }

# The about box that qe shows while it starts would stand in front of the windows the scripts
# click into.
NOSPLASH=1
export NOSPLASH

# x11_program PATH... sets qe to the first program's absolute path (taken before x11_begin
# leaves the directory it may be relative to) and checks that each is a program.
x11_program() {
    qe=$(abs "$1")
    for p in "$@"; do
        [ -x "$p" ] || { echo "FAIL: $p is not a program"; exit 1; }
    done
}

# x11_begin SIZE [TOOL...] checks that the tools are installed, starts the Xvfb and enters a
# scratch directory $work; at exit the processes in $pids and $pid, then the server, are
# killed and $work removed.
x11_begin() {
    size=$1
    shift
    for tool in Xvfb xdotool xprop xwininfo "$@"; do
        command -v $tool >/dev/null 2>&1 || { echo "FAIL: $tool is not installed"; exit 1; }
    done
    start_xvfb "$size"
    work=$(mktemp -d)
    pids=""
    trap x11_end EXIT
    cd "$work" || exit 1
    # The user's own configuration stays out of the tests.
    HOME=$work
    export HOME
}
# Starts openbox as the window manager (after x11_begin).
x11_openbox() {
    openbox >/dev/null 2>&1 &
    pids="$pids $!"
    sleep 1
}
x11_end() {
    for p in $pids $pid; do kill "$p" 2>/dev/null; done
    kill $xvfb 2>/dev/null
    rm -rf "$work"
}

# start_xvfb SIZE starts a private Xvfb on a display number the server picks itself, so that
# scripts run in parallel never share one; it exports DISPLAY and sets xvfb to its process id.
start_xvfb() {
    dfile=$(mktemp)
    # -noreset: without it the server resets whenever its last client leaves, and a client
    # connecting during the reset is refused.
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$dfile" >/dev/null 2>&1 &
    xvfb=$!
    tries=0
    until [ -s "$dfile" ] && xwininfo -display ":$(cat "$dfile")" -root >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ $tries -gt 200 ] || ! kill -0 $xvfb 2>/dev/null; then
            echo "FAIL: Xvfb did not start"
            kill $xvfb 2>/dev/null
            rm -f "$dfile"
            exit 1
        fi
        sleep 0.1
    done
    DISPLAY=:$(cat "$dfile")
    export DISPLAY
    rm -f "$dfile"
}

# Prints the id of the mapped window named exactly $1, waiting up to 20 s for it (sanitizer
# builds on a busy machine start slowly).
window_named() {
    t=0
    while [ $t -lt 200 ]; do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
        t=$((t + 1))
    done
    return 1
}

# Prints the id of the mapped dialogue named exactly $1, waiting up to 20 s: a window that
# belongs to another (transient for it), so that an editor window of the same name is not
# taken ("Save Changes?" is named after the File it asks about).
dialogue_named() {
    t=0
    while [ $t -lt 200 ]; do
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            xprop -id "$id" WM_TRANSIENT_FOR 2>/dev/null | grep -q 'window id' && { echo "$id"; return 0; }
        done
        sleep 0.1
        t=$((t + 1))
    done
    return 1
}
# Waits up to 10 s for window $1 to go (unmapped or destroyed).
window_gone() {
    t=0
    while [ $t -lt 100 ] && xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; do
        sleep 0.1
        t=$((t + 1))
    done
    [ $t -lt 100 ]
}

# The editor's view state ("top=.. line=.. stack=.. file=..") of window $1, and one field.
state() { xprop -id "$1" _QE_STATE 2>/dev/null | sed -n 's/^_QE_STATE(STRING) = "\(.*\)"$/\1/p'; }
field() { state "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
# What the message line of editor window $1 says.
message() { xprop -id "$1" _QE_MESSAGE 2>/dev/null | sed -n 's/^_QE_MESSAGE(STRING) = "\(.*\)"$/\1/p'; }

# Waits up to $2 seconds for process $1 to end; sets st to its status, or "running" (and
# then ends it). Not run in a subshell: only this shell can collect its own children.
wait_exit() {
    t=0
    while [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" != Z ] && kill -0 "$1" 2>/dev/null; do
        t=$((t + 1))
        if [ $t -gt $(($2 * 10)) ]; then
            st=running
            kill "$1" 2>/dev/null
            wait "$1" 2>/dev/null
            return
        fi
        sleep 0.1
    done
    wait "$1"
    st=$?
}

# Sets cw and ch to the character cell of editor window $1: the resize steps it gives the
# window manager.
cell_size() {
    set -- $(xprop -id "$1" WM_NORMAL_HINTS 2>/dev/null | sed -n 's/.*resize increment: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
    cw=${1:-0}
    ch=${2:-0}
}

# ---- driving qe as a user would ----
# open_window NAME [ARGS...]: qe on ARGS (else on NAME) in the background, its output in
# qe.out; sets pid, and w to the window named NAME (the script ends when none shows).
open_window() {
    name=$1
    shift
    [ $# -gt 0 ] || set -- "$name"
    "$qe" "$@" > qe.out 2>&1 &
    pid=$!
    pids="$pids $pid"
    w=$(window_named "$name") || { bad "start" "no window $name; qe said: $(head -c 300 qe.out)"; exit 1; }
}
# start ARGS...: qe in the background, its output in qe.PID.out; sets pid.
start() { "$qe" "$@" > "qe.$$.out" 2>&1 & pid=$!; pids="$pids $pid"; }
# Keys as the keyboard sends them, to whichever window has the keyboard.
press() { for k in "$@"; do xdotool key "$k" 2>/dev/null; sleep 0.15; done; sleep 0.3; }
# Keys to window $1 made the active window first (so that the window manager's focus follows),
# then sent to whatever has the keyboard.
keys_active() {
    timeout 5 xdotool windowactivate --sync "$1" 2>/dev/null
    shift
    for key in "$@"; do xdotool key "$key" 2>/dev/null; sleep 0.2; done
    sleep 0.3
}
# Sends keys $3... to window $1 until a window named $2 shows (three tries, 5 s each: a loaded
# machine may take the first keys before the window takes input); prints its id.
opens() {
    ow=$1
    on=$2
    shift 2
    for try in 1 2 3; do
        keys_active "$ow" "$@"
        t=0
        while [ $t -lt 50 ]; do
            id=$(xdotool search --onlyvisible --name "^$on\$" 2>/dev/null | head -1)
            [ -n "$id" ] && { echo "$id"; return 0; }
            sleep 0.1
            t=$((t + 1))
        done
    done
    return 1
}
# Keys and typed text sent to window $1.
keys() { kw=$1; shift; for k in "$@"; do xdotool key --window "$kw" "$k" 2>/dev/null; done; sleep 0.3; }
typein() { xdotool type --window "$1" --delay 20 "$2" 2>/dev/null; sleep 0.3; }
# Waits up to 10 s for the window named $1 to go.
gone() { t=0; while [ $t -lt 100 ] && xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do sleep 0.1; t=$((t + 1)); done; [ $t -lt 100 ]; }
# Waits up to $4 seconds (10 by default) for field $2 of window $1 to read $3; prints what it
# read last.
await() {
    t=0
    while [ $t -lt $((${4:-10} * 10)) ]; do
        v=$(field "$1" "$2")
        [ "$v" = "$3" ] && break
        sleep 0.1
        t=$((t + 1))
    done
    echo "$v"
}
# Prints field $2 of window $1 once it differs from $3, waiting up to 5 s (then as it is).
field_after() {
    t=0
    v=$(field "$1" "$2")
    while [ "$v" = "$3" ] && [ $t -lt 50 ]; do
        sleep 0.1
        t=$((t + 1))
        v=$(field "$1" "$2")
    done
    echo "$v"
}
# The screen as it is, into $QE_SHOTS/$1.png when QE_SHOTS is set.
shot() { [ -n "$QE_SHOTS" ] && command -v import >/dev/null && import -window root "$QE_SHOTS/$1.png"; }
# The text area of editor window $1 (its largest child): "WIDTH HEIGHT X Y".
text_area() {
    xwininfo -id "$1" -children | sed -n 's/.*: ()  *\([0-9]*\)x\([0-9]*\)+\([0-9]*\)+\([0-9]*\) .*/\1 \2 \3 \4/p' |
        awk '{ if ($1 * $2 > best) { best = $1 * $2; g = $0 } } END { print g }'
}
