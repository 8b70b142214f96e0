# Sourced: a private X server for tests and headless runs.
# glimmerax_start_xvfb [WxHxD]  sets DISPLAY and XVFB_PID.
glimmerax_start_xvfb() {
    local geometry="${1:-1280x1024x24}"
    local n
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then break; fi
    done
    Xvfb ":$n" -screen 0 "$geometry" -nolisten tcp -ac >/dev/null 2>&1 &
    XVFB_PID=$!
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
