#!/usr/bin/env bash
# Run mode as the only thing on the screen: it ends when another program
# takes the activation, never by itself, and a second run mode started
# beside the first ends at once, quietly, before it shows anything.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin run_alone

WATCH_FILE="$E2E_DIR/watch.txt"

# Starts run mode through the probe in the virtual desktop, so that its exit
# code is written to OUT once it ends: launch_saver OUT.
launch_saver() {
    rm -f "$1"
    (cd "$E2E_DIR" && exec wine explorer "/desktop=$E2E_DESKTOP" "$E2E_PROBE" "$1" launch \
        "$E2E_DIR/Glimmerax.scr" /s >>"$E2E_DIR/wine.log" 2>&1) &
}
exited() { [ -s "$1" ]; }
still_running() { ! exited "$1"; }
exit_of() { tr -d '\r\n' <"$1" 2>/dev/null; }

ensure_desktop() {
    [ -n "$(desktop_window)" ] && return 0
    wine explorer "/desktop=$E2E_DESKTOP,1024x768" >/dev/null 2>&1 &
    e2e_poll 30 desktop_size_is 1024 768
}

# Starts run mode and waits for its window: start_run OUT.
start_run() {
    ensure_desktop || return 1
    launch_saver "$1"
    e2e_poll 30 saver_window_found
}

# Ends run mode as a user would and checks its exit code: end_with_key OUT WHAT.
end_with_key() {
    focus_desktop
    xdotool mousemove --window "$(desktop_window)" 300 200
    local attempt
    for attempt in 1 2 3; do
        xdotool key --clearmodifiers space
        e2e_poll 3 exited "$1" && break
    done
    if exited "$1" && [ "$(exit_of "$1")" = "exit 0" ]; then
        ok "$2: a key then ends it with exit code 0"
    else
        fail "$2: after a key: '$(exit_of "$1")'"
    fi
}

saver_count() { saver_pids | wc -l; }
second_started() { [ "$(saver_count)" -ge 2 ] || exited "$1"; }

# Counts the run-mode windows for MS milliseconds in the background.
watch_windows() {
    rm -f "$WATCH_FILE"
    (wine explorer "/desktop=$E2E_DESKTOP" "$E2E_PROBE" "$WATCH_FILE" watch rippleful Particle "$1" \
        >/dev/null 2>&1) &
}
watched() { [ -s "$WATCH_FILE" ]; }

e2e_ini "Resolution=0" "Fps=30"

# 1. Another program opened over run mode ends it within 2 s, exit code 0.
if start_run "$E2E_DIR/exit-notepad.txt" && e2e_poll 30 desktop_size_is 640 480; then
    (wine explorer "/desktop=$E2E_DESKTOP" notepad >/dev/null 2>&1) &
    if e2e_poll 30 eval 'probe_desktop window Notepad "*" | grep -q "^found" || exited "$E2E_DIR/exit-notepad.txt"'; then
        if e2e_poll 2 exited "$E2E_DIR/exit-notepad.txt"; then
            [ "$(exit_of "$E2E_DIR/exit-notepad.txt")" = "exit 0" ] \
                && ok "notepad opened over run mode ends it within 2 s with exit code 0" \
                || fail "run mode ended with '$(exit_of "$E2E_DIR/exit-notepad.txt")' when notepad opened"
        else
            fail "run mode still running 2 s after notepad opened"
            screenshot_desktop "$E2E_DIR/failed-notepad.png"
        fi
    else
        fail "notepad did not open"
    fi
else
    fail "run mode did not start before notepad"
fi
e2e_kill_all

# 2. With nothing else happening, run mode never ends by itself.
ended_early=0
for i in $(seq 1 20); do
    out="$E2E_DIR/exit-alone-$i.txt"
    if ! start_run "$out"; then
        fail "start $i: run mode did not start"
        e2e_kill_all
        continue
    fi
    if e2e_poll 5 exited "$out"; then
        ended_early=$((ended_early + 1))
        fail "start $i: run mode ended by itself within 5 s ('$(exit_of "$out")')"
        e2e_kill_all
        continue
    fi
    # Every fifth run also ends as a user ends it.
    if [ $((i % 5)) = 0 ]; then end_with_key "$out" "start $i"; else kill $(saver_pids) 2>/dev/null; fi
    e2e_poll 10 saver_gone
done
[ $ended_early = 0 ] && ok "20 starts in a row: none ended by itself within 5 s"
e2e_kill_all

# 3. Two run modes started at once: one window ever, the other ends at once.
ensure_desktop
watch_windows 8000
e2e_poll 10 eval '[ -n "$(pgrep -f "glimmerax_probe.exe.* watch ")" ]'
launch_saver "$E2E_DIR/exit-a.txt"
launch_saver "$E2E_DIR/exit-b.txt"
if e2e_poll 30 saver_window_found; then
    if e2e_poll 2 eval 'exited "$E2E_DIR/exit-a.txt" || exited "$E2E_DIR/exit-b.txt"'; then
        if exited "$E2E_DIR/exit-a.txt"; then first=b; second=a; else first=a; second=b; fi
        [ "$(exit_of "$E2E_DIR/exit-$second.txt")" = "exit 0" ] \
            && ok "two at once: the second ends within 2 s with exit code 0" \
            || fail "two at once: the second ended with '$(exit_of "$E2E_DIR/exit-$second.txt")'"
        e2e_poll 15 watched
        [ "$(cat "$WATCH_FILE")" = "max 1" ] && ok "two at once: one run-mode window ever exists" \
            || fail "two at once: windows seen: '$(cat "$WATCH_FILE")'"
        still_running "$E2E_DIR/exit-$first.txt" && end_with_key "$E2E_DIR/exit-$first.txt" "two at once, the first" \
            || fail "two at once: the first ended too ('$(exit_of "$E2E_DIR/exit-$first.txt")')"
    else
        fail "two at once: both still running 2 s after the window showed"
    fi
else
    fail "two at once: no run-mode window"
fi
e2e_kill_all

# 4. One started while another runs ends within 2 s of its start.
if start_run "$E2E_DIR/exit-first.txt" && e2e_poll 30 desktop_size_is 640 480; then
    watch_windows 6000
    e2e_poll 10 eval '[ -n "$(pgrep -f "glimmerax_probe.exe.* watch ")" ]'
    launch_saver "$E2E_DIR/exit-second.txt"
    e2e_poll 30 second_started "$E2E_DIR/exit-second.txt"
    if e2e_poll 2 exited "$E2E_DIR/exit-second.txt"; then
        [ "$(exit_of "$E2E_DIR/exit-second.txt")" = "exit 0" ] \
            && ok "a second run mode ends within 2 s with exit code 0" \
            || fail "the second run mode ended with '$(exit_of "$E2E_DIR/exit-second.txt")'"
    else
        fail "the second run mode still runs 2 s after it started"
    fi
    e2e_poll 15 watched
    [ "$(cat "$WATCH_FILE")" = "max 1" ] && ok "while one runs, a second start shows no window" \
        || fail "windows seen while the second started: '$(cat "$WATCH_FILE")'"
    still_running "$E2E_DIR/exit-first.txt" && end_with_key "$E2E_DIR/exit-first.txt" "the first run mode" \
        || fail "the first run mode ended too ('$(exit_of "$E2E_DIR/exit-first.txt")')"
else
    fail "the first run mode did not start"
fi
e2e_kill_all
e2e_finish
