#!/usr/bin/env bash
# The animation end to end: after a few seconds of run mode the screen shows
# many coloured trails on black; another program that changes the display
# mode and puts it back leaves the fireworks moving and the frame-rate line
# clean, and a key still ends run mode.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin fireworks one-monitor

# The fraction of the picture in a clearly saturated colour (black and grey
# are not); lit_fraction gives those brighter than black.
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

# The frame-rate line's solid green pixels in its box at the top left.
fps_line_pixels() { count_pixels "$1" 320 40 0 0 '(g>0.9 && r<0.1 && b<0.1)'; }
# Two screenshots 1 s apart: the share of the screen that changed.
changed_share() {
    screenshot "$E2E_DIR/a.png" && e2e_pause 1 && screenshot "$E2E_DIR/b.png" || return 1
    local changed
    changed="$(compare -metric AE -fuzz 3% "$E2E_DIR/a.png" "$E2E_DIR/b.png" null: 2>&1 >/dev/null)"
    CHANGED_SHARE="$(awk -v n="${changed%% *}" 'BEGIN { printf "%.4f", n / (640 * 480) }')"
}
moves() { changed_share && echo "  changed $CHANGED_SHARE" && at_least "$CHANGED_SHARE" 0.01; }

{
    printf '[Set]\r\nResolution=0\r\nFps=30\r\nFpsShow=1\r\n'
    printf '[TopFont]\r\nlfHeight=-22\r\nlfWeight=800\r\nlfFaceName=Arial\r\nColor=65280\r\n'
} >"$E2E_DIR/Glimmerax.ini"
if start_runs 1 now; then
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
    line_before="$(fps_line_pixels "$shot")"

    # Another program takes the display into its own mode for 1.5 s and puts
    # it back: the saver's surfaces are lost meanwhile.
    probe_bare mode 800 600 >/dev/null
    e2e_pause 1.5
    e2e_set_mode 640 480 || fail "the display did not go back to 640x480: $(screen_size)"
    if e2e_poll 3 moves; then
        ok "the fireworks move again after the display change ($CHANGED_SHARE of the screen in 1 s)"
    else
        fail "the picture stands still after the display change (${CHANGED_SHARE:-no} share changed in 1 s)"
    fi
    line_after="$(fps_line_pixels "$E2E_DIR/b.png")"
    # Drawn over a picture that is never blurred again, the changing figures
    # pile up into a smear of many more pixels.
    if [ "$line_after" -gt 0 ] && [ "$line_after" -le $((line_before * 3 / 2 + 30)) ]; then
        ok "the frame-rate line reads clean: $line_after green pixels, $line_before before"
    else
        fail "the frame-rate line: $line_after green pixels, $line_before before the change"
        cp "$E2E_DIR/b.png" "$E2E_DIR/smear.png"
    fi
    end_with_key 1 "after the display change"
else
    fail "run mode did not start: screen $(screen_size), error box: $(probe_bare message Error)"
fi
e2e_kill_all
e2e_finish
