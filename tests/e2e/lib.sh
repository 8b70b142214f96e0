# Sourced by the end-to-end tests: starts the real screen saver under Wine on
# a private X server and looks at it from outside (xdotool, ImageMagick) and
# from inside (the probe, run in the same Wine desktop).
set -u
E2E_ROOT="${GLIMMERAX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
E2E_BUILD="${GLIMMERAX_BUILD:-$E2E_ROOT/build/win32}"
E2E_SCR_SOURCE="${GLIMMERAX_SCR:-$E2E_BUILD/Glimmerax.scr}"
E2E_PROBE="${GLIMMERAX_PROBE:-$E2E_BUILD/glimmerax_probe.exe}"
source "$E2E_ROOT/scripts/wine-env.sh"
source "$E2E_ROOT/scripts/xvfb.sh"

E2E_FAILURES=0
E2E_PASSES=0
E2E_DESKTOP="Glimmerax"
SAVER_PID=""

# e2e_begin NAME [two-monitors]: the second form runs on a real X server
# with two monitors (e2e_start_two_monitors) instead of Xvfb.
e2e_begin() {
    local name="$1"
    E2E_DIR="$E2E_BUILD/e2e/$name"
    RUNS="$E2E_DIR/runs.txt"
    rm -rf "$E2E_DIR"
    mkdir -p "$E2E_DIR"
    cp "$E2E_SCR_SOURCE" "$E2E_DIR/Glimmerax.scr"
    glimmerax_private_prefix "$E2E_BUILD/e2e/prefixes/$name" || exit 1
    trap e2e_end EXIT
    if [ "${2:-}" = two-monitors ]; then
        e2e_start_two_monitors || exit 1
    else
        glimmerax_start_xvfb 1280x1024x24 || exit 1
    fi
}

e2e_end() {
    e2e_kill_all
    glimmerax_stop_xvfb
    e2e_stop_two_monitors
}

# Xorg on the dummy driver's two outputs (tests/e2e/two-monitors.conf):
# DUMMY0 1280x1024 at (0,0), the primary, and DUMMY1 1024x768 at its right.
# It needs root and the packages scripts/setup.sh installs; it is stopped by
# its process id. Sets DISPLAY and XORG_PID.
XORG_PID=""
e2e_start_two_monitors() {
    local n
    for n in $(seq 150 199); do
        [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
        Xorg ":$n" -config "$E2E_ROOT/tests/e2e/two-monitors.conf" -noreset -nolisten tcp \
            -logfile "$E2E_DIR/xorg.log" -novtswitch -sharevts >"$E2E_DIR/xorg.out" 2>&1 &
        XORG_PID=$!
        export DISPLAY=":$n"
        if e2e_poll 20 two_monitors_up; then return 0; fi
        e2e_stop_two_monitors
        # Another server may have taken the number meanwhile: try the next.
        grep -q 'Server is already active' "$E2E_DIR/xorg.out" 2>/dev/null && continue
        break
    done
    echo "xorg: no two-monitor X server (tail of $E2E_DIR/xorg.out):" >&2
    tail -n 5 "$E2E_DIR/xorg.out" >&2
    return 1
}
two_monitors_up() {
    kill -0 "$XORG_PID" 2>/dev/null && [ "$(xrandr --listmonitors 2>/dev/null | head -n 1)" = "Monitors: 2" ]
}

e2e_stop_two_monitors() {
    if [ -n "${XORG_PID:-}" ]; then
        kill "$XORG_PID" 2>/dev/null || true
        wait "$XORG_PID" 2>/dev/null || true
        XORG_PID=""
    fi
}

# "L T R B" (right and bottom exclusive) of an output as XRandR lists it now.
monitor_rect() {
    xrandr --listmonitors 2>/dev/null | awk -v name="$1" '$NF == name {
        g = $3; gsub(/\/[0-9]+/, "", g); split(g, p, /[x+]/)
        print p[3], p[4], p[3] + p[1], p[4] + p[2] }'
}
monitor_layout() { xrandr --listmonitors 2>/dev/null | tail -n +2 | awk '{ print $NF, $3 }' | tr '\n' ' '; }

# The mean grey (0 black to 1 white) of a rectangle "L T R B" of a picture,
# to two places; grey_of maxima ... gives its brightest pixel instead.
mean_grey() { grey_of mean "$@"; }
grey_of() {
    set -- "$1" "$2" $3
    convert "$2" -crop "$(($5 - $3))x$(($6 - $4))+$3+$4" +repage -colorspace Gray -format "%[fx:$1]" info: |
        awk '{ printf "%.2f\n", $1 }'
}

e2e_kill_all() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    SAVER_PID=""
    # The next test must not find the last one's desktop window.
    e2e_poll 10 no_desktop_window || true
}

no_desktop_window() { [ -z "$(desktop_window)" ]; }

ok() { E2E_PASSES=$((E2E_PASSES + 1)); echo "ok: $*"; }
fail() { E2E_FAILURES=$((E2E_FAILURES + 1)); echo "FAIL: $*"; }

e2e_finish() {
    echo "$E2E_PASSES passed, $E2E_FAILURES failed"
    [ "$E2E_FAILURES" = 0 ]
}

# Writes the INI beside the executable under test: e2e_ini "Resolution=0" ...
e2e_ini() {
    {
        printf '[Set]\r\n'
        local line
        for line in "$@"; do printf '%s\r\n' "$line"; done
    } >"$E2E_DIR/Glimmerax.ini"
}

# Polls a command until it succeeds or the time-out (seconds) runs out.
e2e_poll() {
    local timeout="$1"
    shift
    local deadline=$((SECONDS + timeout))
    while [ $SECONDS -le $deadline ]; do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}

# The Windows process of the screen saver (its command line starts with the
# drive letter of its Windows path).
# Only those of this prefix: another checkout's tests may run a saver too.
saver_pids() {
    local pid
    for pid in $(pgrep -f '^(/|[A-Za-z]:)[^ ]*Glimmerax\.scr' 2>/dev/null); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
    done
}
saver_alive() { [ -n "$(saver_pids)" ]; }
saver_gone() { ! saver_alive; }

# Makes the virtual desktop (WxH) and waits until a program started inside
# it sees that size: only then has the desktop finished starting, and cannot
# take the activation, or size itself once more, under a saver started next.
e2e_new_desktop() {
    wine explorer "/desktop=$E2E_DESKTOP,$1" >/dev/null 2>&1 &
    e2e_poll 30 desktop_size_is "${1%x*}" "${1#*x}" &&
        e2e_poll 30 probe_sees_screen "${1%x*} ${1#*x}"
}
probe_sees_screen() { [ "$(probe_desktop screen)" = "$1" ]; }

# Starts the saver inside a Wine virtual desktop, where display-mode changes
# are emulated: e2e_start_in_desktop WxH args... The desktop is made first,
# as on a real machine: a mode change made while Wine is still sizing a new
# desktop can be undone by it.
e2e_start_in_desktop() {
    local size="$1"
    shift
    if [ -z "$(desktop_window)" ]; then e2e_new_desktop "$size" || echo "no desktop of $size" >&2; fi
    # Joined by name only: naming the size again would have Wine size the
    # desktop once more, which can land after the saver's own mode change.
    (cd "$E2E_DIR" && exec wine explorer "/desktop=$E2E_DESKTOP" "$E2E_DIR/Glimmerax.scr" "$@" \
        >"$E2E_DIR/wine.log" 2>&1) &
    SAVER_PID=$!
}

# Starts the saver in a 1024x768 virtual desktop and waits for its window and
# for the desktop to take the mode the saver asks for: e2e_run_at W H args...
# Wine's virtual desktop now and then misses a mode change made from another
# process: the desktop's own process resizes it to the size it last read
# (1024x768 in Wine's trace) right after the saver's change, and the saver
# keeps drawing at its size in the top-left corner. That strikes one start in
# five or so, whatever the load; a saver that never switches fails every one
# of the five starts.
E2E_STARTS=5
e2e_run_at() {
    local width="$1" height="$2"
    shift 2
    local attempt
    for attempt in $(seq 1 $E2E_STARTS); do
        e2e_start_in_desktop 1024x768 "$@"
        # The mode follows the window within a second or two; a desktop that
        # has not taken it 6 s later has sized itself back and never will.
        if e2e_poll 30 saver_window_found && e2e_poll 6 desktop_size_is "$width" "$height"; then
            return 0
        fi
        [ "$attempt" = $E2E_STARTS ] && return 1
        echo "note: desktop '$(desktop_size)' after starting '$*'; starting once more" >&2
        e2e_kill_all
    done
}

# Starts the saver directly on the X server, with no virtual desktop.
e2e_start_bare() {
    (cd "$E2E_DIR" && exec wine "$E2E_DIR/Glimmerax.scr" "$@" >"$E2E_DIR/wine.log" 2>&1) &
    SAVER_PID=$!
}

# Starts configure mode on the bare X server and waits for its dialog. Now
# and then a Wine whose server has just been stopped shows nothing: one more
# start tells that from a saver that never shows its dialog.
e2e_open_dialog() {
    e2e_start_bare /c
    e2e_poll 20 windows_are 1 && return 0
    echo "note: $(glimmerax_windows) windows named Glimmerax 20 s after starting /c; starting once more" >&2
    e2e_kill_all
    e2e_start_bare /c
    e2e_poll 30 windows_are 1
}

# Runs the probe in the virtual desktop and prints what it wrote. Only once
# the desktop exists: a probe that created it would own it, and would not
# return before everything in it had ended.
probe_desktop() {
    local out="$E2E_DIR/probe.txt"
    rm -f "$out"
    [ -n "$(desktop_window)" ] || return 1
    timeout 20 wine explorer "/desktop=$E2E_DESKTOP" "$E2E_PROBE" "$out" "$@" >/dev/null 2>&1
    e2e_poll 10 test -s "$out" && cat "$out"
}

# Runs the probe on the bare X server.
probe_bare() {
    local out="$E2E_DIR/probe.txt"
    rm -f "$out"
    timeout 20 wine "$E2E_PROBE" "$out" "$@" >/dev/null 2>&1
    [ -s "$out" ] && cat "$out"
}

# The first X window whose name matches a pattern, and whether there is one.
window_named() { xdotool search --name "$1" 2>/dev/null | head -n 1; }
has_window_named() { [ -n "$(window_named "$1")" ]; }
no_window_named() { ! has_window_named "$1"; }

# The settings dialog (caption Glimmerax, as its message boxes have).
dialog_window() { window_named '^Glimmerax$'; }
glimmerax_windows() { xdotool search --name '^Glimmerax$' 2>/dev/null | wc -l; }
windows_are() { [ "$(glimmerax_windows)" = "$1" ]; }
focus_dialog() { xdotool windowfocus --sync "$(dialog_window)" 2>/dev/null; }

# "ID CLASS enabled|disabled checked|unchecked L T R B TEXT" of one control
# of the settings dialog on the bare X server, and "X Y" of its middle.
control() { probe_bare controls Glimmerax | awk -v id="$1" '$1 == id'; }
control_center() {
    local line
    line="$(control "$1")"
    [ -n "$line" ] || return 1
    set -- $line
    echo $((($5 + $7) / 2)) $((($6 + $8) / 2))
}

# Clicks the middle of a control, as a user would.
click_control() {
    local center
    center="$(control_center "$1")" || return 1
    xdotool mousemove $center click 1
}

# Gives a window the keyboard focus and presses a key in it.
press_in() {
    xdotool windowfocus --sync "$1" 2>/dev/null
    xdotool key --window "$1" "$2"
}

# The X window of the Wine virtual desktop.
desktop_window() { window_named "^$E2E_DESKTOP - "; }

# "W H" of the virtual desktop's X window.
desktop_size() {
    local window
    window="$(desktop_window)"
    [ -n "$window" ] || return 1
    xdotool getwindowgeometry "$window" | awk '/Geometry:/ { split($2, a, "x"); print a[1], a[2] }'
}

desktop_size_is() { [ "$(desktop_size)" = "$1 $2" ]; }

saver_window_found() { probe_desktop window rippleful Particle | grep -q '^found'; }

# Gives the virtual desktop the keyboard focus, so keys reach the saver.
focus_desktop() {
    local window
    window="$(desktop_window)"
    [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
}

screenshot() { import -window root "$1"; }
# Just the virtual desktop, that is the saver's screen.
screenshot_desktop() {
    local window
    window="$(desktop_window)"
    [ -n "$window" ] && import -window "$window" "$1" 2>/dev/null
}

# Run mode started from inside the desktop by the probe ("runs"), which
# reports its windows and exit codes in $RUNS: starting anything else in the
# desktop while a saver runs (such as a probe through explorer) can take the
# activation, and would end the saver as any other program does.

# Starts N copies of run mode, GAP "now" or "window": start_runs N GAP. As
# in e2e_run_at, a desktop that misses the saver's mode change gets another
# start.
start_runs() {
    local attempt
    for attempt in $(seq 1 $E2E_STARTS); do
        [ -n "$(desktop_window)" ] || e2e_new_desktop 1024x768 || return 1
        rm -f "$RUNS"
        (cd "$E2E_DIR" && exec wine explorer "/desktop=$E2E_DESKTOP" "$E2E_PROBE" "$RUNS" runs "$1" "$2" \
            "$E2E_DIR/Glimmerax.scr" /s >>"$E2E_DIR/wine.log" 2>&1) &
        if e2e_poll 30 reported '^window$' && e2e_poll 6 desktop_size_is 640 480; then return 0; fi
        [ "$attempt" = $E2E_STARTS ] && return 1
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

# Presses a key in a window until it closes: a key sent while a loaded
# machine is still filling the window in can be lost.
press_until_gone() {
    local attempt window
    for attempt in 1 2 3 4 5; do
        window="$(window_named "$1")"
        [ -n "$window" ] || return 0
        press_in "$window" "$2"
        e2e_poll 8 no_window_named "$1" && return 0
    done
    return 1
}
