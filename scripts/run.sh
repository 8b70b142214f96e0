#!/usr/bin/env bash
# Starts dist/Glimmerax.scr under Wine. Run mode goes into a Wine virtual
# desktop, where display-mode changes are emulated. With no $DISPLAY it runs
# on a private X server for a few seconds and saves a screenshot under out/.
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export GLIMMERAX_WINE_ARCH="$(bash "$ROOT/scripts/wine-arch.sh")"
source "$ROOT/scripts/wine-env.sh"
source "$ROOT/scripts/xvfb.sh"
glimmerax_prepare_prefix || exit 1
SCR="$ROOT/dist/Glimmerax.scr"
# A machine that runs no 32-bit code shows the 64-bit twin of the same source.
[ "$GLIMMERAX_WINE_ARCH" = win64 ] && SCR="$ROOT/build/win64/Glimmerax.scr"
DESKTOP="${GLIMMERAX_DESKTOP:-1024x768}"
SECONDS_TO_RUN="${GLIMMERAX_SECONDS:-6}"
mode="${1:-/s}"

desktop_window() { xdotool search --name '^Glimmerax - ' 2>/dev/null | head -n 1; }

headless=0
if [ -z "${DISPLAY:-}" ]; then
    glimmerax_start_xvfb 1280x1024x24 || exit 1
    trap 'wineserver -k 2>/dev/null; glimmerax_stop_xvfb' EXIT
    headless=1
fi

# The desktop first, as on a real machine (a mode change made while Wine is
# still sizing a new desktop can be undone), then the saver inside it.
if [ -z "$(desktop_window)" ]; then
    wine explorer "/desktop=Glimmerax,$DESKTOP" >/dev/null 2>&1 &
    started=$SECONDS
    until [ -n "$(desktop_window)" ]; do
        if [ $((SECONDS - started)) -gt 30 ]; then echo "run: no desktop appeared" >&2; exit 1; fi
        sleep 0.2
    done
    sleep 1
fi

if [ $headless = 0 ]; then
    wine explorer /desktop=Glimmerax "$SCR" "$@"
    exit $?
fi

wine explorer /desktop=Glimmerax "$SCR" "$@" >/dev/null 2>&1 &
end=$((SECONDS + SECONDS_TO_RUN))
while [ $SECONDS -lt $end ]; do sleep 0.5; done
mkdir -p "$ROOT/out"
name="$(printf '%s' "$mode" | tr -c 'A-Za-z0-9' '_')"
shot="$ROOT/out/run${name}.png"
import -window "$(desktop_window)" "$shot"
echo "screenshot: $shot"
# End run mode as a user would: a key press.
xdotool windowfocus --sync "$(desktop_window)" 2>/dev/null
xdotool key space
