# Sourced by the end-to-end tests: starts the real screen saver under Wine on
# a private X server and looks at it from outside (xdotool, ImageMagick) and
# from inside (the probe, run on the same X server).
set -u
E2E_ROOT="${GLIMMERAX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
E2E_BUILD="${GLIMMERAX_BUILD:-$E2E_ROOT/build/win32}"
E2E_SCR_SOURCE="${GLIMMERAX_SCR:-$E2E_BUILD/Glimmerax.scr}"
E2E_PROBE="${GLIMMERAX_PROBE:-$E2E_BUILD/glimmerax_probe.exe}"
source "$E2E_ROOT/scripts/wine-env.sh"
source "$E2E_ROOT/scripts/xvfb.sh"

E2E_FAILURES=0
E2E_PASSES=0
SAVER_PID=""

# e2e_begin NAME [one-monitor|two-monitors|laptop-panel] [opengl]: the display forms run
# on a real X server (e2e_start_xorg) instead of Xvfb, whose display mode
# cannot change; opengl keeps Wine's own way of drawing DirectDraw
# (scripts/wine-env.sh).
E2E_DISPLAY=xvfb
e2e_begin() {
    local name="$1"
    E2E_DIR="$E2E_BUILD/e2e/$name"
    RUNS="$E2E_DIR/runs.txt"
    rm -rf "$E2E_DIR"
    mkdir -p "$E2E_DIR"
    cp "$E2E_SCR_SOURCE" "$E2E_DIR/Glimmerax.scr"
    local word opengl=""
    E2E_DISPLAY=xvfb
    for word in "${@:2}"; do
        case "$word" in
            one-monitor | two-monitors | laptop-panel) E2E_DISPLAY="$word" ;;
            opengl) opengl=opengl ;;
        esac
    done
    # The tests' X servers have no window manager: Wine places and
    # activates the windows itself ("unmanaged"), where it would otherwise
    # wait 2 s for a manager each time a dialog, a message box or a
    # full-screen window goes.
    glimmerax_private_prefix "$E2E_BUILD/e2e/prefixes/$name" unmanaged $opengl || exit 1
    trap e2e_end EXIT
    e2e_make_cpu_group "$name"
    # Mesa's software renderer, where a test draws through it, draws in the
    # thread that asks, as Wine's Direct3D does in the test prefixes: a
    # saver takes one core, whose spinning it fills with its drawing.
    export LP_NUM_THREADS=0
    # One Wine server, with Wine's own services, for the whole test: a
    # program started in a running server starts in a tenth of the time of
    # one that has to bring the server and its services up first.
    wineserver -p
    if [ "$E2E_DISPLAY" = xvfb ]; then
        glimmerax_start_xvfb 1280x1024x24 || exit 1
    else
        e2e_start_xorg "$E2E_DISPLAY" || exit 1
    fi
    # No key repeats: a loaded machine can hold up xdotool between a key's
    # press and its release for longer than the repeat delay, and a repeated
    # Escape that closed a picker would go on to end the dialog under it.
    xset r off
}

e2e_end() {
    e2e_kill_all
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    glimmerax_stop_xvfb
    e2e_stop_xorg
    e2e_remove_cpu_group
}

# Xorg on the dummy driver (tests/e2e/KIND.conf), where the saver changes
# the display mode as on a PC: one-monitor, DUMMY0 1280x1024; two-monitors,
# DUMMY0 1280x1024 at (0,0), the primary, and DUMMY1 1024x768 at its right;
# laptop-panel, DUMMY0 1366x768 without 1280x1024.
# It needs root and the packages scripts/setup.sh installs; it is stopped by
# its process id. Sets DISPLAY and XORG_PID.
XORG_PID=""
e2e_start_xorg() {
    local monitors=1
    [ "$1" = two-monitors ] && monitors=2
    glimmerax_start_x "$E2E_DIR/xorg.out" Xorg -config "$E2E_ROOT/tests/e2e/$1.conf" -noreset -nolisten tcp \
        -logfile "$E2E_DIR/xorg.log" -novtswitch -sharevts &&
        XORG_PID="$X_SERVER_PID" && e2e_poll 20 xorg_up $monitors && return 0
    XORG_PID="${X_SERVER_PID:-}"
    e2e_stop_xorg
    echo "xorg: no $1 X server (tail of $E2E_DIR/xorg.out):" >&2
    tail -n 5 "$E2E_DIR/xorg.out" >&2
    return 1
}
xorg_up() {
    kill -0 "$XORG_PID" 2>/dev/null && [ "$(xrandr --listmonitors 2>/dev/null | head -n 1)" = "Monitors: $1" ]
}

e2e_stop_xorg() {
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

# Pixels of one colour family in a box of a picture:
#   count_pixels FILE W H X Y CONDITION   (CONDITION in ImageMagick -fx terms)
count_pixels() {
    convert "$1" -crop "${2}x${3}+${4}+${5}" +repage -fx "$6 ? 1 : 0" -format '%[fx:round(mean*w*h)]' info:
}
# The share of a picture's pixels brighter than black.
lit_fraction() { convert "$1" -colorspace Gray -threshold 8% -format '%[fx:mean]' info:; }

# The processes whose environment names this test's prefix.
prefix_pids() {
    local environ pid
    for environ in $(grep -l -s -z -xF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ); do
        pid="${environ#/proc/}"
        echo "${pid%/environ}"
    done
}
# Whether a process runs Wine's loader (a Windows program), not its server.
E2E_WINE_LOADERS=()
for loader in /usr/lib/wine/wine*; do
    [[ "$loader" == */wineserver* ]] || E2E_WINE_LOADERS+=("$loader")
done
is_wine_program() {
    local loader
    for loader in "${E2E_WINE_LOADERS[@]}"; do [ "/proc/$1/exe" -ef "$loader" ] && return 0; done
    return 1
}
# The Windows programs the test started in its prefix: every process of
# Wine's loader there but the services Wine starts with its server.
e2e_programs() {
    local pid first
    for pid in $(prefix_pids); do
        is_wine_program "$pid" || continue
        first=""
        read -r -d '' first <"/proc/$pid/cmdline" 2>/dev/null
        [[ "${first,,}" =~ ^[a-z]:\\windows\\system32\\(services|winedevice|plugplay|svchost|rpcss)\.exe( |$) ]] && continue
        echo "$pid"
    done
}
no_programs() { [ -z "$(e2e_programs)" ]; }

# For a failure's message: the programs running, and what Wine said last.
e2e_whats_up() {
    local pid
    echo -n "running:"
    for pid in $(e2e_programs); do echo -n " $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | tr -s ' ')"; done
    echo -n "; wine: $(tail -n 3 "$E2E_DIR/wine.log" 2>/dev/null | tr '\n' ' ')"
}

# Ends every program the test started; the server and its services stay for
# the next check.
e2e_kill_all() {
    local pids
    pids="$(e2e_programs)"
    # shellcheck disable=SC2086
    [ -z "$pids" ] || kill -9 $pids 2>/dev/null
    e2e_poll 10 no_programs || echo "note: programs left after the kill: $(e2e_programs)" >&2
    [ -z "$SAVER_PID" ] || wait "$SAVER_PID" 2>/dev/null
    SAVER_PID=""
    case "$E2E_DISPLAY" in one-monitor | laptop-panel) e2e_restore_mode ;; esac
}

# A saver killed in run mode leaves its display mode behind; a user's screen
# is at its own mode for the next start. Set through Wine, as the user's
# display settings would: a mode set behind Wine's back (xrandr) leaves Wine
# believing the last one, and the next saver that asks for it gets nothing.
e2e_restore_mode() {
    local own=(1280 1024)
    [ "$E2E_DISPLAY" = laptop-panel ] && own=(1366 768)
    screen_is "${own[@]}" && return 0
    e2e_set_mode "${own[@]}" || echo "note: the screen stays at $(screen_size)" >&2
}
e2e_set_mode() {
    probe_bare mode "$1" "$2" >/dev/null
    e2e_poll 10 screen_is "$1" "$2"
}

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
# The checks poll many thousand times a run, and on these machines every
# process started costs some milliseconds of a core: the polls and the
# states they look at are shell built-ins wherever they can be. A tenth of
# a second's pause is a read that times out on a pipe nobody writes to.
e2e_pause() {
    if [ -z "${E2E_PAUSE_FD:-}" ]; then
        local fifo="$E2E_DIR/.pause"
        rm -f "$fifo" && mkfifo "$fifo" && exec {E2E_PAUSE_FD}<>"$fifo" || { sleep "$1"; return 0; }
    fi
    read -r -t "$1" -u "$E2E_PAUSE_FD" _
    return 0
}

e2e_poll() {
    local timeout="$1"
    shift
    local deadline=$((SECONDS + timeout))
    while [ $SECONDS -le $deadline ]; do
        if "$@"; then return 0; fi
        e2e_pause 0.1
    done
    return 1
}

# The Windows process of the screen saver (its command line starts with the
# drive letter of its Windows path).
# Only those of this prefix: another checkout's tests may run a saver too.
saver_pids() {
    local pid first
    for pid in $(e2e_programs); do
        first=""
        read -r -d '' first <"/proc/$pid/cmdline" 2>/dev/null
        [[ "$first" =~ ^(/|[A-Za-z]:)[^\ ]*Glimmerax\.scr$ ]] && echo "$pid"
    done
}
saver_alive() { [ -n "$(saver_pids)" ]; }
saver_gone() { ! saver_alive; }

# Run mode spins on the clock between frames and takes a whole core for as
# long as it runs: spinning savers took a fifth of all the processor time of
# make test from the tests beside them. Once it has set itself up (its
# window and its display mode are there), a saver is held to E2E_SAVER_CPU
# percent of one core (30 unless set, 100: not held): its screen shows 28
# frames a second at 30 asked. The hold is a CPU control group of the
# test's own with a period of 4 ms, so a frame waits a few milliseconds at
# most; where the tests may not make one (not root, no cpu controller) the
# savers run unheld.
E2E_SAVER_CPU="${E2E_SAVER_CPU:-30}"
E2E_CPU_GROUP=""
e2e_make_cpu_group() {
    local name="glimmerax-e2e-$1-$$" period=4000 quota
    [ "$E2E_SAVER_CPU" -lt 100 ] 2>/dev/null || return 0
    quota=$((period * E2E_SAVER_CPU / 100))
    [ "$quota" -ge 1000 ] || quota=1000
    local dir=""
    if [ -w /sys/fs/cgroup/cpu/cgroup.procs ] && [ -f /sys/fs/cgroup/cpu/cpu.cfs_quota_us ]; then
        dir="/sys/fs/cgroup/cpu/$name"
        mkdir -p "$dir" 2>/dev/null && echo "$period" >"$dir/cpu.cfs_period_us" 2>/dev/null &&
            echo "$quota" >"$dir/cpu.cfs_quota_us" 2>/dev/null && E2E_CPU_GROUP="$dir"
    elif grep -qw cpu /sys/fs/cgroup/cgroup.subtree_control 2>/dev/null; then
        dir="/sys/fs/cgroup/$name"
        mkdir -p "$dir" 2>/dev/null && echo "$quota $period" >"$dir/cpu.max" 2>/dev/null && E2E_CPU_GROUP="$dir"
    fi
    [ -n "$E2E_CPU_GROUP" ] || [ -z "$dir" ] || rmdir "$dir" 2>/dev/null
    return 0
}
e2e_remove_cpu_group() {
    [ -z "$E2E_CPU_GROUP" ] || rmdir "$E2E_CPU_GROUP" 2>/dev/null
    E2E_CPU_GROUP=""
}
# Moves the running savers, whole, into the test's group.
hold_savers() {
    [ -n "$E2E_CPU_GROUP" ] || return 0
    local pid
    for pid in $(saver_pids); do echo "$pid" >"$E2E_CPU_GROUP/cgroup.procs" 2>/dev/null; done
    return 0
}

# Starts the saver on the one-monitor X server and waits for its window and
# for the screen to take the mode the saver asks for: e2e_run_at W H args...
e2e_run_at() {
    local width="$1" height="$2"
    shift 2
    e2e_start_bare "$@"
    # Waited for by the name of its X window, which costs a tenth of a
    # probe's start, then asked of the probe once.
    e2e_poll 30 particle_shown && e2e_poll 10 screen_is "$width" "$height" && hold_savers && saver_window_found
}

# Starts the saver on the X server: the copy in E2E_RUN_DIR when that is
# set, else the test's own.
e2e_start_bare() {
    local dir="${E2E_RUN_DIR:-$E2E_DIR}"
    (cd "$dir" && exec wine "$dir/Glimmerax.scr" "$@" >"$E2E_DIR/wine.log" 2>&1) &
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

# Runs the probe on the X server and prints what it wrote.
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
# How many windows named Glimmerax there are, into GLIMMERAX_WINDOWS (no
# subshell: windows_are is polled).
count_glimmerax_windows() {
    local windows
    mapfile -t windows < <(xdotool search --name '^Glimmerax$' 2>/dev/null)
    GLIMMERAX_WINDOWS=${#windows[@]}
}
glimmerax_windows() { count_glimmerax_windows && echo "$GLIMMERAX_WINDOWS"; }
windows_are() { count_glimmerax_windows && [ "$GLIMMERAX_WINDOWS" = "$1" ]; }
focus_dialog() { xdotool windowfocus --sync "$(dialog_window)" 2>/dev/null; }

# "ID CLASS enabled|disabled checked|unchecked L T R B TEXT" of one control
# of the settings dialog on the bare X server, and "X Y" of its middle.
control() { probe_bare controls Glimmerax | awk -v id="$1" '$1 == id'; }
# The controls do not move while a dialog is open: their places are asked
# of the probe once for each dialog window, and kept in a file beside.
control_center() {
    local line dialog places
    dialog="$(dialog_window)"
    places="$E2E_DIR/controls-of-${dialog:-none}.txt"
    if [ ! -s "$places" ]; then
        probe_bare controls Glimmerax >"$places.new"
        if [ -n "$dialog" ]; then mv "$places.new" "$places"; else places="$places.new"; fi
    fi
    line="$(awk -v id="$1" '$1 == id' "$places")"
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

x_focus_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# "W H" of the X screen: on the Xorg servers it follows the display mode.
screen_size() { xdotool getdisplaygeometry 2>/dev/null; }
screen_is() { [ "$(screen_size)" = "$1 $2" ]; }

saver_window_found() { probe_bare window rippleful Particle | grep -q '^found'; }
particle_shown() { [ -n "$(xdotool search --name '^Particle$' 2>/dev/null)" ]; }

# The pointer onto the screen, as a user's hand on the mouse: Wine hands
# keys to the saver only once the pointer is over one of its windows.
pointer_on_screen() { xdotool mousemove 300 200; }

# The whole screen, that is the saver's at its mode.
screenshot() { import -window root "$1"; }

# Run mode started by the probe ("runs"), which reports its windows and
# exit codes in $RUNS: nothing else is started while the saver runs, as
# anything that took the activation would end it as another program does.

# Has the probe start N copies of run mode, GAP "now" or "window":
# launch_runs N GAP.
launch_runs() {
    rm -f "$RUNS"
    (cd "$E2E_DIR" && exec wine "$E2E_PROBE" "$RUNS" runs "$1" "$2" "$E2E_DIR/Glimmerax.scr" /s \
        >>"$E2E_DIR/wine.log" 2>&1) &
}

# Starts N copies of run mode at Resolution 0 on the one-monitor server:
# start_runs N GAP. Waits for the window and the mode.
start_runs() {
    launch_runs "$1" "$2"
    e2e_poll 30 reported '^window$' && e2e_poll 10 screen_is 640 480 && hold_savers
}
reported() {
    local line
    [ -f "$RUNS" ] || return 1
    while IFS= read -r line; do [[ "$line" =~ $1 ]] && return 0; done <"$RUNS"
    return 1
}
# "CODE MS" of copy I once it has ended.
exit_of() {
    local what copy code ms
    [ -f "$RUNS" ] || return 0
    while read -r what copy code ms _; do
        [ "$what" = exit ] && [ "$copy" = "$1" ] && echo "$code $ms"
    done <"$RUNS"
    return 0
}
ended() { reported "^exit $1 "; }
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
    pointer_on_screen
    local attempt
    for attempt in 1 2 3; do
        xdotool key --clearmodifiers space
        e2e_poll 3 ended "$1" && break
    done
    [ "$(exit_of "$1" | cut -d' ' -f1)" = 0 ] && ok "$2: a key then ends it with exit code 0" \
        || fail "$2: after a key: '$(exit_of "$1")'"
}

# Clicks a control of the settings dialog until a command succeeds, three
# times at most: click_until ID SECONDS COMMAND... A click that lands while
# the dialog is still starting up, or taking the activation back from a
# picker, can be lost. Before each click the dialog is focused, or
# E2E_BEFORE_CLICK is run instead.
click_until() {
    local id="$1" seconds="$2" attempt
    shift 2
    for attempt in 1 2 3; do
        ${E2E_BEFORE_CLICK:-focus_dialog}
        click_control "$id"
        e2e_poll "$seconds" "$@" && return 0
    done
    return 1
}

# Opens a picker of the settings dialog with its button until a window named
# PATTERN shows (the first picker loads the system's common dialogs first):
# open_picker BUTTON PATTERN.
open_picker() { click_until "$1" 10 has_window_named "$2"; }

# Closes a picker of the settings dialog with a key (close_picker PATTERN
# KEY), then waits until Wine has given the dialog back the activation (its
# X focus; at most 5 s): a click that comes first is lost when the
# activation sets the focus back to the dialog's last control, taking it
# from the button the click pressed.
close_picker() {
    press_until_gone "$1" "$2" || return 1
    e2e_poll 5 x_focus_is "$(dialog_window)"
    return 0
}

# Presses a key in a window until it closes: a key sent while a loaded
# machine is still filling the window in can be lost. Wine hands a key to
# the window it has made active, whichever X window the key came to: an
# Escape taken before Wine has activated a picker would go to the settings
# dialog under it, and end the dialog. Wine gives a picker it activates the
# X focus, so that is waited for first (at most 5 s).
press_until_gone() {
    local attempt window
    for attempt in 1 2 3 4 5; do
        window="$(window_named "$1")"
        [ -n "$window" ] || return 0
        e2e_poll 5 x_focus_is "$window"
        press_in "$window" "$2"
        e2e_poll 8 no_window_named "$1" && return 0
    done
    return 1
}
