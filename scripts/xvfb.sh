# Sourced: a private X server for tests and headless runs.
# glimmerax_start_xvfb [WxHxD]  sets DISPLAY and XVFB_PID.
glimmerax_start_xvfb() {
    local geometry="${1:-1280x1024x24}"
    # The server picks a free display itself and names it on a pipe, so
    # tests started side by side never meet on one display.
    local fifo
    fifo="$(mktemp -u "${TMPDIR:-/tmp}/glimmerax-xvfb.XXXXXX")"
    mkfifo "$fifo" || return 1
    Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -ac 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    local n=""
    read -r -t 30 n <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$n" ]; then
        echo "xvfb: the X server did not start" >&2
        return 1
    fi
    export DISPLAY=":$n"
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
