# tests/e2e/x11/xvfb.sh: sourced by the X11 end-to-end scripts. start_xvfb SIZE starts a
# private Xvfb on a display number the server picks itself, so that scripts run in parallel
# never share one; it exports DISPLAY and sets xvfb to the server's process id.
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
