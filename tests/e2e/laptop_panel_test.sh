#!/usr/bin/env bash
# Run mode on a laptop's panel (1366x768, with 1024x768 but no 1280x1024):
# a resolution the display does not have gives the next smaller one it has,
# with the fireworks filling it, where it gave the error box.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin laptop_panel laptop-panel

# Bright pixels right of 800 or below 600: the fireworks fill the 1024x768
# screen, not an 800x600 corner of it.
lit_outside_800x600() {
    local shot="$E2E_DIR/resolution-$resolution.png" right bottom
    screenshot "$shot" || return 1
    [ "$(identify -format '%w %h' "$shot")" = "1024 768" ] || return 1
    right="$(grey_of maxima "$shot" "800 0 1024 768")"
    bottom="$(grey_of maxima "$shot" "0 600 800 768")"
    awk -v r="$right" -v b="$bottom" 'BEGIN { exit !(r >= 0.3 || b >= 0.3) }'
}

for resolution in 3 2; do
    what="Resolution $resolution on a 1366x768 panel"
    e2e_ini "Resolution=$resolution" "Fps=30"
    launch_runs 1 now
    if e2e_poll 30 reported '^window$' && e2e_poll 10 screen_is 1024 768; then
        hold_savers
        ok "$what: the screen at 1024x768"
        if e2e_poll 3 eval 'reported "^box Error" || ended 1'; then
            fail "$what: $(grep -E '^(box|exit)' "$RUNS" | tr '\n' ' ')"
        else
            ok "$what: no box captioned Error"
        fi
        if e2e_poll 30 lit_outside_800x600; then
            ok "$what: fireworks over the whole 1024x768 screen"
        else
            fail "$what: no bright pixels right of 800 or below 600 in 30 s (last: $E2E_DIR/resolution-$resolution.png)"
        fi
        end_with_key 1 "$what"
    else
        fail "$what: the screen is $(screen_size) ($(tr '\n' ' ' <"$RUNS" 2>/dev/null); error box: $(probe_bare message Error))"
        screenshot "$E2E_DIR/failed-resolution-$resolution.png"
    fi
    e2e_kill_all
done

e2e_finish
