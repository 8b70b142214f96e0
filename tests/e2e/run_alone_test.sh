#!/usr/bin/env bash
# Run mode as the only thing on the screen: it ends when another program
# takes the activation, never by itself, and a second run mode started
# beside the first ends at once, quietly, before it shows anything.
#
# The savers are started by the probe ("runs"), which reports their windows
# and exit codes: starting anything else while a saver runs (such as another
# probe) could take the activation, and would end the saver as any other
# program does.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin run_alone one-monitor

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
    (wine notepad >/dev/null 2>&1 &)
    if e2e_poll 30 eval 'probe_bare window Notepad "*" | grep -q "^found" || ended 1'; then
        if e2e_poll 2 ended 1; then
            [ "$(exit_of 1 | cut -d' ' -f1)" = 0 ] && ok "notepad opened over run mode ends it within 2 s, exit code 0" \
                || fail "notepad over run mode: exit '$(exit_of 1)'"
        else
            fail "run mode still running 2 s after notepad opened"
            screenshot "$E2E_DIR/failed-notepad.png"
        fi
    else
        fail "notepad did not open"
    fi
else
    fail "run mode did not start before notepad"
fi
e2e_kill_all

# 2. With nothing else happening, run mode never ends by itself. Each start
#    is watched 2 s from the moment the mode has changed: past the first
#    tick of the spawner's timer (1 s), and the activation settling after
#    the window shows. Ten starts; make stress asks for 80, watched 5 s.
STARTS="${RUN_ALONE_STARTS:-10}"
WATCH="${RUN_ALONE_WATCH:-2}"
ended_early=0
for i in $(seq 1 "$STARTS"); do
    if ! start_runs 1 now; then
        fail "start $i: run mode did not start"
        e2e_kill_all
        continue
    fi
    if e2e_poll "$WATCH" ended 1; then
        ended_early=$((ended_early + 1))
        fail "start $i: run mode ended by itself within $WATCH s ('$(exit_of 1)'; screen $(screen_size))"
        screenshot "$E2E_DIR/failed-start-$i.png"
        e2e_kill_all
        continue
    fi
    # Every fifth run also ends as a user ends it.
    if [ $((i % 5)) = 0 ]; then end_with_key 1 "start $i"; else kill $(saver_pids) 2>/dev/null; fi
    e2e_poll 10 reported '^max '
    e2e_restore_mode
done
[ $ended_early = 0 ] && ok "$STARTS starts in a row: none ended by itself within $WATCH s"
e2e_kill_all

# A second run mode ends by itself, at once; one that does not stays until
# a key ends it. The time from the start also holds Wine making the process,
# which on a loaded machine alone can pass 2 s: 10 s tells the two apart
# whatever the machine's speed.
QUICK_MS=10000

# 3. Two run modes started at once: the later ends at once, one window ever.
if start_runs 2 now; then
    e2e_poll 5 eval 'ended 1 || ended 2'
    if ended 1; then later=1 first=2; else later=2 first=1; fi
    expect_quick_exit "$later" $QUICK_MS "two at once, the other"
    end_with_key "$first" "two at once, the one that shows"
    expect_one_window "two at once"
else
    fail "two at once: no run-mode window"
fi
e2e_kill_all

# 4. One started once another has set itself up ends at once.
if start_runs 2 window; then
    expect_quick_exit 2 $QUICK_MS "a second run mode started while one runs"
    end_with_key 1 "the first run mode"
    expect_one_window "one started while another runs"
else
    fail "the first run mode did not start"
fi
e2e_kill_all
e2e_finish
