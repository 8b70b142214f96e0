#!/usr/bin/env bash
# Run mode end to end on a one-monitor X server: the switches that start it,
# the display mode it asks for, and every way it ends (or must not end).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin run_mode one-monitor

stop_run() {
    e2e_kill_all
}

# 1. Every switch that means run mode opens the window and switches the
#    screen to the configured resolution.
e2e_ini "Resolution=0"
for args in "" "/s" "-s" "/S" "/C" "--c"; do
    # shellcheck disable=SC2086
    if e2e_run_at 640 480 $args; then
        ok "run mode for '$args': window rippleful/Particle, screen 640x480"
    elif ! saver_window_found; then
        fail "run mode for '$args': no rippleful/Particle window ($(e2e_whats_up))"
    else
        fail "run mode for '$args': the screen is $(screen_size), not 640x480 (error box: $(probe_bare message Error))"
        screenshot "$E2E_DIR/failed-${args//\//_}.png"
    fi
    stop_run
done

# From a smaller mode, so that the change shows.
e2e_ini "Resolution=3"
e2e_set_mode 1024 768 || fail "the screen could not be set to 1024x768: $(screen_size)"
if e2e_run_at 1280 1024 /s; then
    ok "Resolution 3 switches the screen from 1024x768 to 1280x1024"
    probe="$(probe_bare window rippleful Particle)"
    case "$probe" in
        "found 0 0 "*" visible") ok "the window covers the screen from (0,0): $probe" ;;
        *) fail "unexpected window: $probe" ;;
    esac
    # One monitor: nothing to cover.
    probe="$(probe_bare window GlimmeraxCover '*')"
    [ "$probe" = none ] && ok "one monitor: no cover window" || fail "one monitor, yet a cover: $probe"
else
    fail "Resolution 3: the screen is $(screen_size)"
fi
stop_run

# 2. Ending: a key, a left click, a right click and Alt+F4 each end the
#    process at once; moving the mouse does not.
e2e_ini "Resolution=0"
end_with() {
    local what="$1"
    shift
    # Set-up has finished once the mode has changed: only then is the
    # frame loop there to take the input.
    if ! e2e_run_at 640 480 /s; then
        fail "$what: run mode did not start"
        stop_run
        return
    fi
    pointer_on_screen
    # Moving the pointer must not end run mode.
    if e2e_poll 1 saver_gone; then
        fail "$what: moving the mouse ended run mode"
        stop_run
        return
    fi
    # The time runs from the input tool's start to the process seen gone;
    # alone it is 0.2 to 0.3 s, on a loaded 2-core machine up to 2.5 s was
    # seen. A saver that does not take the input stays until it is killed:
    # 5 s tells the two apart whatever the machine's speed.
    local t0=$EPOCHREALTIME ms
    "$@"
    e2e_poll 6 saver_gone
    ms="$(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%d", (b - a) * 1000 }')"
    if saver_gone && [ "$ms" -le 5000 ]; then
        ok "$what ends run mode within 5 s ($ms ms)"
    elif saver_gone; then
        fail "$what ended run mode only after $ms ms (at most 5000 ms asked)"
    else
        fail "$what did not end run mode ($ms ms)"
    fi
    if grep -qiE 'unhandled|exception|backtrace' "$E2E_DIR/wine.log"; then
        fail "$what: Wine reported a crash: $(head -n 3 "$E2E_DIR/wine.log")"
    fi
    stop_run
}
end_with "a key press" xdotool key --clearmodifiers space
end_with "a left click" xdotool click 1
end_with "a right click" xdotool click 3
end_with "Alt+F4" xdotool key alt+F4

# 3. Preview with a handle that names no window: a process with no window
#    until it is ended from outside, whichever way the handle is passed.
for args in "/p 1234" "/p:1234"; do
    # shellcheck disable=SC2086
    e2e_start_bare $args
    if e2e_poll 20 saver_alive; then
        # Longer than run mode needs to show its window, then look.
        if e2e_poll 4 eval 'saver_window_found || saver_gone'; then
            saver_gone && fail "$args ended by itself" || fail "$args opened the run-mode window"
        else
            ok "$args idles for 4 s with no window"
        fi
        kill $(saver_pids) 2>/dev/null
        if e2e_poll 5 saver_gone; then ok "$args ends when killed"; else fail "$args survived a kill"; fi
    else
        fail "$args did not start"
    fi
    stop_run
done

e2e_finish
