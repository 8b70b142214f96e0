#!/usr/bin/env bash
# Run mode as the only thing on the screen: it ends when another program
# takes the activation, never by itself, and a second run mode started
# beside the first ends at once, quietly, before it shows anything.
#
# The savers are started by the probe from inside the desktop ("runs"), which
# reports their windows and exit codes: starting anything else in the
# desktop while a saver runs (such as a probe through explorer) can take the
# activation, and would end the saver as any other program does.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin run_alone

RUNS="$E2E_DIR/runs.txt"

# Starts N copies of run mode, GAP "now" or "window": start_runs N GAP. As
# in e2e_run_at, a desktop that applies its own first size after the saver's
# mode change gets one more start.
start_runs() {
    local attempt
    for attempt in 1 2; do
        [ -n "$(desktop_window)" ] || e2e_new_desktop 1024x768 || return 1
        rm -f "$RUNS"
        (cd "$E2E_DIR" && exec wine explorer "/desktop=$E2E_DESKTOP" "$E2E_PROBE" "$RUNS" runs "$1" "$2" \
            "$E2E_DIR/Glimmerax.scr" /s >>"$E2E_DIR/wine.log" 2>&1) &
        if e2e_poll 30 reported '^window$' && e2e_poll 30 desktop_size_is 640 480; then return 0; fi
        [ "$attempt" = 2 ] && return 1
        echo "note: desktop $(desktop_size) after starting run mode; starting once more" >&2
        e2e_kill_all
    done
}
reported() { grep -q "$1" "$RUNS" 2>/dev/null; }
# "CODE MS" of copy I once it has ended.
exit_of() { awk -v i="$1" '$1 == "exit" && $2 == i { print $3, $4 }' "$RUNS" 2>/dev/null; }
ended() { [ -n "$(exit_of "$1")" ]; }
running() { ! ended "$1"; }

# Passes when copy I has ended with code 0 within MS ms of its start:
# expect_quick_exit I MS WHAT.
expect_quick_exit() {
    e2e_poll 10 ended "$1"
    local result
    result="$(exit_of "$1")"
    set -- "$1" "$2" "$3" ${result:-none -}
    if [ "$4" = 0 ] && [ "$5" -le "$2" ]; then
        ok "$3: ended with exit code 0 after $5 ms"
    else
        fail "$3: exit code $4 after $5 ms (at most $2 ms asked)"
    fi
}

# Ends copy I as a user would and checks its exit code: end_with_key I WHAT.
end_with_key() {
    if ! running "$1"; then
        fail "$2: ended before the key ('$(exit_of "$1")')"
        return
    fi
    focus_desktop
    xdotool mousemove --window "$(desktop_window)" 300 200
    local attempt
    for attempt in 1 2 3; do
        xdotool key --clearmodifiers space
        e2e_poll 3 ended "$1" && break
    done
    [ "$(exit_of "$1" | cut -d' ' -f1)" = 0 ] && ok "$2: a key then ends it with exit code 0" \
        || fail "$2: after a key: '$(exit_of "$1")'"
}

# The most run-mode windows seen at once, once every copy has ended.
expect_one_window() {
    if e2e_poll 15 reported '^max '; then
        reported '^max 1$' && ok "$1: one run-mode window at most, ever" || fail "$1: $(grep '^max' "$RUNS")"
    else
        fail "$1: the probe did not finish"
    fi
}

e2e_ini "Resolution=0" "Fps=30"

# 1. Another program opened over run mode ends it within 2 s, exit code 0.
if start_runs 1 now; then
    (wine explorer "/desktop=$E2E_DESKTOP" notepad >/dev/null 2>&1) &
    if e2e_poll 30 eval 'probe_desktop window Notepad "*" | grep -q "^found" || ended 1'; then
        if e2e_poll 2 ended 1; then
            [ "$(exit_of 1 | cut -d' ' -f1)" = 0 ] && ok "notepad opened over run mode ends it within 2 s, exit code 0" \
                || fail "notepad over run mode: exit '$(exit_of 1)'"
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
    if ! start_runs 1 now; then
        fail "start $i: run mode did not start"
        e2e_kill_all
        continue
    fi
    if e2e_poll 5 ended 1; then
        ended_early=$((ended_early + 1))
        fail "start $i: run mode ended by itself within 5 s ('$(exit_of 1)'; desktop $(desktop_size))"
        screenshot_desktop "$E2E_DIR/failed-start-$i.png"
        e2e_kill_all
        continue
    fi
    # Every fifth run also ends as a user ends it.
    if [ $((i % 5)) = 0 ]; then end_with_key 1 "start $i"; else kill $(saver_pids) 2>/dev/null; fi
    e2e_poll 10 reported '^max '
done
[ $ended_early = 0 ] && ok "20 starts in a row: none ended by itself within 5 s"
e2e_kill_all

# 3. Two run modes started at once: the later ends at once, one window ever.
if start_runs 2 now; then
    e2e_poll 5 eval 'ended 1 || ended 2'
    if ended 1; then later=1 first=2; else later=2 first=1; fi
    expect_quick_exit "$later" 2000 "two at once, the other"
    end_with_key "$first" "two at once, the one that shows"
    expect_one_window "two at once"
else
    fail "two at once: no run-mode window"
fi
e2e_kill_all

# 4. One started once another has set itself up ends within 2 s.
if start_runs 2 window; then
    expect_quick_exit 2 2000 "a second run mode started while one runs"
    end_with_key 1 "the first run mode"
    expect_one_window "one started while another runs"
else
    fail "the first run mode did not start"
fi
e2e_kill_all
e2e_finish
