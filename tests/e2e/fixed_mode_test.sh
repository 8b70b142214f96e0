#!/usr/bin/env bash
# The saver on an X server whose display mode cannot change (Xvfb): run mode
# shows the DirectDraw error box and ends after OK; configure mode opens the
# settings dialog instead of the run-mode window and ends on Escape.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin fixed_mode
e2e_ini "Resolution=0"

# 1. Configure mode opens the settings dialog instead of the run-mode
#    window; Escape closes it and the process ends with exit code 0.
e2e_start_bare /c
if e2e_poll 30 has_window_named '^Glimmerax$'; then
    ok "/c opens the settings dialog"
    press_in "$(window_named '^Glimmerax$')" Escape
    if e2e_poll 10 saver_gone; then
        wait "$SAVER_PID" 2>/dev/null
        rc=$?
        if [ $rc = 0 ]; then ok "/c ends with exit code 0 once the dialog is closed"; else fail "/c ended with $rc"; fi
    else
        fail "/c still running after Escape"
    fi
else
    fail "/c showed no settings dialog"
fi
e2e_kill_all

# 2. The display mode cannot change: the DirectDraw error box, then the
#    process ends after OK.
e2e_start_bare /s
if e2e_poll 30 has_window_named '^Error$'; then
    ok "a fixed display mode: the box captioned Error appears"
    text="$(probe_bare message Error)"
    if [ "$text" = "初始化DirectDraw过程中出错！" ]; then
        ok "the box says 初始化DirectDraw过程中出错！"
    else
        fail "the box says '$text'"
    fi
    press_in "$(window_named '^Error$')" Return
    if e2e_poll 10 saver_gone; then ok "after OK the process exits"; else fail "still running after OK"; fi
    wait "$SAVER_PID" 2>/dev/null
    rc=$?
    if [ $rc = 0 ]; then ok "exit code 0"; else fail "exit code $rc"; fi
else
    fail "a fixed display mode: no Error box"
fi
e2e_kill_all

e2e_finish
