#!/usr/bin/env bash
# Run mode on a real two-monitor display (Xorg's dummy driver, no virtual
# desktop): at each display mode the saver's window fills the primary and
# the other monitor, wherever the mode change moved it, shows fireworks of
# its own (black with [Monitors] OtherMonitors=0); a key or a left or right
# click on that monitor ends run mode with exit code 0; the layout is then
# the one from before and no window of the saver is left.
#
# The probe starts the saver and watches it ("runs": its window, the covers,
# the active window, its exit code), so nothing else starts while it runs.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin two_monitors two-monitors

RUNS="$E2E_DIR/runs.txt"
ALL_RUNS="$E2E_DIR/all-runs.txt"
: >"$ALL_RUNS"
reported() { grep -q "$1" "$RUNS" 2>/dev/null; }
last_reported() { grep "^$1 " "$RUNS" 2>/dev/null | tail -n 1; }
covers_are() { [ "$(last_reported covers)" = "covers 1 $(monitor_rect DUMMY1)" ]; }
primary_is() { [ "$(monitor_rect DUMMY0)" = "0 0 $1 $2" ]; }
layout_is() { [ "$(monitor_layout)" = "$1" ]; }
other_monitor_grey() {
    screenshot "$E2E_DIR/shot.png" && mean_grey "$E2E_DIR/shot.png" "$(monitor_rect DUMMY1)"
}
other_monitor_is() { [ "$(other_monitor_grey)" = "$1" ]; }
primary_drawn() {
    awk -v m="$(grey_of maxima "$E2E_DIR/shot.png" "$(monitor_rect DUMMY0)")" 'BEGIN { exit !(m > 0) }'
}
# One screenshot: something drawn on the primary (the top-left line, a
# rocket), the other monitor all black.
fireworks_beside_black() {
    screenshot "$E2E_DIR/shot.png" || return 1
    [ "$(mean_grey "$E2E_DIR/shot.png" "$(monitor_rect DUMMY1)")" = 0.00 ] && primary_drawn
}
# The share of a rectangle's pixels lit above a tenth of full grey, and of
# its pixels that differ between two pictures: lit_share FILE "L T R B",
# changed_share FILE1 FILE2 "L T R B".
crop_of() { echo "$(($4 - $2))x$(($5 - $3))+$2+$3"; }
lit_share() {
    convert "$1" -crop "$(crop_of _ $2)" +repage -colorspace Gray -threshold 10% -format '%[fx:mean]' info: |
        awk '{ printf "%.3f\n", $1 }'
}
changed_share() {
    local crop
    crop="$(crop_of _ $3)"
    convert "$1" "$2" -crop "$crop" +repage -compose difference -composite -colorspace Gray -threshold 0 \
        -format '%[fx:mean]' info: | awk '{ printf "%.3f\n", $1 }'
}
# Fireworks of its own on the other monitor: coloured trails on black, that
# is some of its pixels lit but most of them black (the desktop's blue is
# lit all over), and the primary drawn too. The trails cover a few
# thousandths of the monitor a second after the start (0.003 to 0.016
# seen) and up to two fifths once bursts fill it.
SKY_LIT_MIN=0.002
SKY_LIT_MAX=0.9
SKY_CHANGED_MIN=0.001
fireworks_beside_sky() {
    screenshot "$E2E_DIR/shot.png" || return 1
    SKY_LIT="$(lit_share "$E2E_DIR/shot.png" "$(monitor_rect DUMMY1)")"
    awk -v l="$SKY_LIT" -v lo="$SKY_LIT_MIN" -v hi="$SKY_LIT_MAX" 'BEGIN { exit !(l > lo && l < hi) }' &&
        primary_drawn
}

# The desktop in a known colour, so an uncovered monitor shows.
xsetroot -solid '#3366cc'
BEFORE="$(monitor_layout)"
GREY_BEFORE="$(other_monitor_grey)"
echo "layout before: $BEFORE; DUMMY1's mean grey $GREY_BEFORE"
[ "$(monitor_rect DUMMY1)" = "1280 0 2304 768" ] || fail "DUMMY1 is not 1024x768 at (1280,0): $BEFORE"

# The frame-rate line, read from a screenshot: its ink (the top font's pure
# green) at the line's place against the probe's drawing of "FPS:N" in the
# same font for every N. Prints "N MISMATCHED INK" of the drawing that fits
# best; each drawing is compared over a little more than its width, so
# "FPS:3" does not fit a line that shows "FPS:30".
TOP_FONT=(Arial -32 700)
fps_shown() {
    convert "$1" -crop 240x60+4+2 +repage -fx '(g > 0.9 && r < 0.1 && b < 0.1) ? 1 : 0' -depth 8 \
        -compress none pgm:- | awk -v glyphs="$E2E_DIR/glyphs.txt" -v extra=13 '
        { for (i = 1; i <= NF; ++i) v[++n] = $i }
        END {
            W = v[2]; H = v[3]
            for (y = 0; y < H; ++y) for (x = 0; x < W; ++x) shot[y, x] = v[5 + y * W + x] > 127
            best = -1
            while ((getline line < glyphs) > 0) {
                split(line, head, " "); rate = head[1]; w = head[2]; h = head[3]
                for (y = 0; y < h; ++y) { getline row < glyphs; rows[y] = row }
                wrong = 0; ink = 0
                for (y = 0; y < h && y < H; ++y) for (x = 0; x < w + extra && x < W; ++x) {
                    c = x < w ? substr(rows[y], x + 1, 1) == "1" : 0
                    ink += c; wrong += c != shot[y, x]
                }
                if (best < 0 || wrong < bestWrong) { best = rate; bestWrong = wrong; bestInk = ink }
            }
            print best, bestWrong, bestInk
        }'
}
FPS_READ=""
fps_line_is_30() {
    screenshot "$E2E_DIR/fps.png" || return 1
    FPS_READ="$(fps_shown "$E2E_DIR/fps.png")"
    read -r rate wrong ink <<<"$FPS_READ"
    [ "${ink:-0}" -gt 0 ] && [ $((wrong * 20)) -le "$ink" ] && [ "$rate" -ge 28 ] && [ "$rate" -le 32 ]
}

# Wine's first start on this server (with its desktop process) can take long
# on a busy machine: a probe brings it up, and sees the primary's size.
probe_sees_primary() { [ "$(probe_bare screen)" = "1280 1024" ]; }
e2e_poll 60 probe_sees_primary || fail "Wine on the two-monitor server: screen '$(probe_bare screen)'"
probe_bare fpsglyphs "${TOP_FONT[@]}" >"$E2E_DIR/glyphs.txt" || fail "the probe drew no frame-rate lines"

# One run at a display mode, ended by an input on the other monitor:
# run_mode RESOLUTION W H INPUT...
run_mode() {
    local resolution="$1" width="$2" height="$3"
    shift 3
    local mode="${width}x${height}"
    e2e_ini "Resolution=$resolution" Fps=30 FpsShow=1
    printf '[TopFont]\r\nlfHeight=%s\r\nlfWeight=%s\r\nlfQuality=3\r\nlfFaceName=%s\r\nColor=65280\r\n' \
        "${TOP_FONT[1]}" "${TOP_FONT[2]}" "${TOP_FONT[0]}" >>"$E2E_DIR/Glimmerax.ini"
    [ "$SKIES" = black ] && printf '[Monitors]\r\nOtherMonitors=0\r\n' >>"$E2E_DIR/Glimmerax.ini"
    launch_runs 1 now
    # The run that reads the frame-rate line keeps its whole core.
    local hold=hold_savers
    [ "$SKIES" = unheld ] && hold=true
    if ! { e2e_poll 30 reported '^window$' && e2e_poll 30 primary_is "$width" "$height" && $hold; }; then
        fail "$mode: run mode did not switch the primary (layout $(monitor_layout))"
        cat "$RUNS" >>"$ALL_RUNS" 2>/dev/null
        e2e_kill_all
        return
    fi
    local other
    other="$(monitor_rect DUMMY1)"
    if e2e_poll 10 covers_are; then
        ok "$mode: one cover, over DUMMY1 where it is now ($other)"
    else
        fail "$mode: DUMMY1 at $other, but the probe saw '$(last_reported covers)'"
    fi
    local saver
    saver="$(last_reported saver)"
    read -r _ l t r b <<<"${saver:-saver x x x x}"
    if [ "$l" = 0 ] && [ "$t" = 0 ] && [ "$r" -ge "$width" ] 2>/dev/null && [ "$b" -ge "$height" ]; then
        ok "$mode: the saver's window fills the primary ($saver)"
    else
        fail "$mode: the saver's window is '$saver'"
    fi
    if [ "$SKIES" = black ]; then
        if e2e_poll 15 fireworks_beside_black; then
            ok "$mode, OtherMonitors=0: the fireworks show on the primary, the other monitor is black (mean grey $GREY_BEFORE before, 0.00 now)"
        else
            fail "$mode, OtherMonitors=0: the other monitor's mean grey is $(mean_grey "$E2E_DIR/shot.png" "$other"), the primary's brightest pixel $(grey_of maxima "$E2E_DIR/shot.png" "0 0 $width $height")"
        fi
        cp "$E2E_DIR/shot.png" "$E2E_DIR/run-$mode-black.png"
    else
        if [ "$SKIES" = unheld ]; then
            if e2e_poll 10 fps_line_is_30; then
                ok "$mode, unheld: the frame-rate line shows $FPS_READ (rate, pixels off, ink) of 30 asked, beside the other sky"
            else
                fail "$mode, unheld: the frame-rate line read last as '$FPS_READ' (rate, pixels off, ink), 28 to 32 wanted"
                cp "$E2E_DIR/fps.png" "$E2E_DIR/fps-$mode.png"
            fi
        fi
        if e2e_poll 15 fireworks_beside_sky; then
            cp "$E2E_DIR/shot.png" "$E2E_DIR/run-$mode.png"
            e2e_pause 1
            screenshot "$E2E_DIR/shot2.png"
            local changed
            changed="$(changed_share "$E2E_DIR/run-$mode.png" "$E2E_DIR/shot2.png" "$other")"
            if awk -v c="$changed" -v lo="$SKY_CHANGED_MIN" 'BEGIN { exit !(c > lo) }'; then
                ok "$mode: fireworks on the primary and on the other monitor (lit share $SKY_LIT, $changed of its pixels changed in 1 s)"
            else
                fail "$mode: the other monitor's picture stood still ($changed of its pixels changed in 1 s)"
            fi
        else
            fail "$mode: the other monitor's lit share is $SKY_LIT (its mean grey $(mean_grey "$E2E_DIR/shot.png" "$other")), the primary's brightest pixel $(grey_of maxima "$E2E_DIR/shot.png" "0 0 $width $height")"
            cp "$E2E_DIR/shot.png" "$E2E_DIR/run-$mode.png"
        fi
    fi

    # The input, on the middle of the other monitor.
    read -r l t r b <<<"$other"
    xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2))
    if [ "$resolution" = 0 ] && e2e_poll 1 reported '^exit '; then
        fail "$mode: moving the pointer onto the cover ended run mode"
    fi
    # The input ends run mode at once (the cover goes), but on a real X server
    # giving the display mode back and ending the process take seconds. Now
    # and then, on a loaded machine, the X server's first input to a cover
    # is lost (seen at 1280x1024 once in a few runs): up to three, as a user
    # would press again. A cover that never ends run mode fails all three.
    local attempt
    for attempt in 1 2 3; do
        "$@"
        # Taken once the cover has gone (the first thing the end does).
        e2e_poll 5 eval 'reported "^exit 1 " || [ "$(last_reported covers)" = "covers 0" ]' && break
    done
    if e2e_poll 20 reported '^exit 1 '; then
        local code
        code="$(awk '$1 == "exit" { print $3 }' "$RUNS")"
        [ "$code" = 0 ] && ok "$mode: '$*' on the other monitor ends run mode, exit code 0" ||
            fail "$mode: '$*' ended run mode with exit code $code"
    else
        fail "$mode: '$*' on the other monitor did not end run mode"
    fi
    if e2e_poll 10 layout_is "$BEFORE"; then
        ok "$mode: the layout is the one from before"
    else
        fail "$mode: the layout is now $(monitor_layout)"
    fi
    if e2e_poll 5 other_monitor_is "$GREY_BEFORE"; then
        ok "$mode: DUMMY1 shows the desktop again (mean grey $GREY_BEFORE)"
    else
        fail "$mode: DUMMY1's mean grey is $(other_monitor_grey) after the run"
    fi
    if e2e_poll 10 reported '^left 0$'; then
        ok "$mode: no window of the saver is left"
    else
        fail "$mode: left behind: $(grep '^left' "$RUNS")"
    fi
    cat "$RUNS" >>"$ALL_RUNS"
}

SKIES=unheld
run_mode 0 640 480 xdotool click 1
SKIES=fireworks
run_mode 1 800 600 xdotool key --clearmodifiers space
run_mode 2 1024 768 xdotool click 3
run_mode 3 1280 1024 xdotool click 1
SKIES=black
run_mode 0 640 480 xdotool click 1

# The probe watched the active window throughout.
if grep -q '^active GlimmeraxCover' "$ALL_RUNS"; then
    fail "a cover became the active window: $(grep '^active' "$ALL_RUNS" | tr '\n' ' ')"
elif grep -q '^active rippleful' "$ALL_RUNS"; then
    ok "a cover never became the active window (the saver's did)"
else
    fail "the probe never saw the saver's window active: $(grep '^active' "$ALL_RUNS" | tr '\n' ' ')"
fi

e2e_finish
