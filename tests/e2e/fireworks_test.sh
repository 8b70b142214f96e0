#!/usr/bin/env bash
# The animation end to end: after a few seconds of run mode the screen shows
# many coloured trails on black.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin fireworks one-monitor

# Fractions of the picture: pixels brighter than black, and pixels of a
# clearly saturated colour (black and grey are not).
lit_fraction() { convert "$1" -colorspace Gray -threshold 8% -format '%[fx:mean]' info:; }
colour_fraction() {
    convert "$1" -colorspace HSL -channel G -separate +channel -threshold 40% -format '%[fx:mean]' info:
}
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

shot="$E2E_DIR/fireworks.png"
shows_fireworks() {
    screenshot "$shot" || return 1
    local lit colour
    lit="$(lit_fraction "$shot")"
    colour="$(colour_fraction "$shot")"
    echo "  lit $lit, coloured $colour"
    # A few bursts' trails: at least 1% lit, mostly coloured, most of the
    # screen still black.
    at_least "$lit" 0.01 && at_least "$colour" 0.005 && at_least 0.6 "$lit"
}

e2e_ini "Resolution=0" "Fps=30"
if e2e_run_at 640 480 /s; then
    # Rockets take two to three seconds to climb and burst: look again each
    # second until the bursts show, for at most half a minute.
    if e2e_poll 30 shows_fireworks; then
        ok "run mode shows coloured trails on black"
    else
        fail "no fireworks after 30 s"
    fi
    corners="$(convert "$shot" -crop 8x8+0+0 -format '%[fx:maxima]' info:)"
    echo "  top-left corner brightest value $corners"
    [ -n "${GLIMMERAX_SHOT_OUT:-}" ] && cp "$shot" "$GLIMMERAX_SHOT_OUT"
else
    fail "run mode did not start: screen $(screen_size), error box: $(probe_bare message Error)"
fi
e2e_kill_all
e2e_finish
