# Sourced: a private X server for tests and headless runs.

# glimmerax_start_x OUT SERVER ARGS...: starts an X server (its output in
# OUT) that picks a free display itself and names it on a pipe, so servers
# started side by side never meet on one display; sets DISPLAY and
# X_SERVER_PID.
glimmerax_start_x() {
    local out="$1" fifo n=""
    shift
    fifo="$(mktemp -u "${TMPDIR:-/tmp}/glimmerax-x.XXXXXX")"
    mkfifo "$fifo" || return 1
    "$@" -displayfd 3 3>"$fifo" >"$out" 2>&1 &
    X_SERVER_PID=$!
    read -r -t 30 n <"$fifo" || true
    rm -f "$fifo"
    [ -n "$n" ] || return 1
    export DISPLAY=":$n"
}

# glimmerax_start_xvfb [WxHxD]  sets DISPLAY and XVFB_PID.
glimmerax_start_xvfb() {
    local geometry="${1:-1280x1024x24}" rc
    glimmerax_start_x /dev/null Xvfb -screen 0 "$geometry" -nolisten tcp -ac
    rc=$?
    XVFB_PID="${X_SERVER_PID:-}"
    if [ $rc != 0 ]; then
        echo "xvfb: the X server did not start" >&2
        return 1
    fi
    local i
    for i in $(seq 1 100); do
        if xdpyinfo >/dev/null 2>&1; then return 0; fi
        if ! kill -0 "$XVFB_PID" 2>/dev/null; then break; fi
        sleep 0.1
    done
    echo "xvfb: the X server on $DISPLAY did not start" >&2
    return 1
}

glimmerax_stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}
