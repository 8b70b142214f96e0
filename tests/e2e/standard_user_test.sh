#!/usr/bin/env bash
# The saver as a standard user's Windows meets it: C:\ takes no new file,
# Windows looks for DLLs that are not its known DLLs in the saver's folder
# first, and the screen-saver settings start previews and end them by closing
# the window the saver put into theirs.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin standard_user one-monitor opengl

DRIVE_C="$WINEPREFIX/drive_c"
unlock_drive_c() { chattr -i "$DRIVE_C" 2>/dev/null || true; }
# Whatever happens, the prefix is never left with a read-only C:\.
trap 'unlock_drive_c; e2e_end' EXIT

# 1. Only four of Windows' known DLLs in the import table: kernel32, user32,
#    gdi32 and msvcrt load nothing from outside the system folder when the
#    saver starts. Any other name would be looked for beside the saver first,
#    and known DLLs such as comdlg32 and shell32 bring in, at start, DLLs that
#    are not (the common controls, the theme library).
IMPORTS_ALLOWED="gdi32.dll kernel32.dll msvcrt.dll user32.dll"
# The release's saver, and the build under test when that is its 64-bit twin.
for scr in $(printf '%s\n' "${GLIMMERAX_PRODUCT:-$E2E_SCR_SOURCE}" "$E2E_SCR_SOURCE" | sort -u); do
    imports="$(LC_ALL=C objdump -p "$scr" 2>/dev/null | awk '/DLL Name:/ { print tolower($3) }' | sort -u | tr '\n' ' ')"
    if [ "$imports" = "$IMPORTS_ALLOWED " ]; then
        ok "$(LC_ALL=C objdump -f "$scr" | awk '/file format/ { print $NF }') imports only $imports"
    else
        fail "$scr imports '${imports:-(no import table read)}', not $IMPORTS_ALLOWED"
    fi
done

# 2. Run mode on a C:\ that takes no new file: no box, fireworks, a key ends it.
e2e_ini "Resolution=0" "Fps=30"
rm -f "$DRIVE_C/log.txt"
chattr +i "$DRIVE_C"
if touch "$DRIVE_C/probe-write" 2>/dev/null; then
    rm -f "$DRIVE_C/probe-write"
    fail "C:\\ still takes new files (chattr +i had no effect)"
fi
shows_bright_pixels() {
    screenshot "$E2E_DIR/read-only-c.png" || return 1
    awk -v lit="$(lit_fraction "$E2E_DIR/read-only-c.png")" 'BEGIN { exit !(lit >= 0.005) }'
}
if start_runs 1 now; then
    ok "C:\\ read-only: run mode made its Particle window"
    # Five seconds of run mode without a box captioned Error, still running.
    if e2e_poll 5 eval 'reported "^box Error" || ended 1'; then
        fail "C:\\ read-only: $(grep -E '^(box|exit)' "$RUNS" | tr '\n' ' ')"
    else
        ok "C:\\ read-only: no box captioned Error within 5 s"
    fi
    if e2e_poll 30 shows_bright_pixels; then
        ok "C:\\ read-only: fireworks on the screen"
    else
        fail "C:\\ read-only: no bright pixels in 30 s"
    fi
    end_with_key 1 "C:\\ read-only"
else
    fail "C:\\ read-only: no run-mode window ($(cat "$RUNS" 2>/dev/null | tr '\n' ' '))"
fi
[ ! -e "$DRIVE_C/log.txt" ] && ok "C:\\ read-only: no log file made" || fail "a log file appeared in C:\\"
e2e_kill_all
unlock_drive_c

# 3. Preview: the settings' preview window gets an empty child, and closing
#    it or destroying the settings' window ends the saver with exit code 0.
for route in close destroy; do
    result="$(probe_bare preview "$route" 5000 2000 "$E2E_DIR/Glimmerax.scr" | tr -d '\r' | tr '\n' ' ')"
    case "$result" in
        "child 0 0 148 108 exit 0 "*) ok "preview, ended by '$route': $result" ;;
        *) fail "preview, ended by '$route': '$result' (a 148x108 child, then exit code 0 asked)" ;;
    esac
done
e2e_kill_all

# 4. DLLs planted beside the saver under the names of DLLs that it, or the
#    system's libraries for it, load after it starts are never loaded into
#    it, in any mode. The saver's loads are traced (WINEDEBUG=+loaddll) and
#    every DLL it loads after its own first load (msimg32) must be planted,
#    a known DLL of Windows or Wine's own driver (below). Left out, as the
#    trace shows them loaded while Wine makes the process, before any code
#    of the saver runs: version and zlib1, which Wine's built-in libraries
#    pull in then, where Windows takes the dependencies of its known DLLs
#    from the system folder. compstui and winspool.drv come with comdlg32,
#    uxtheme with the first window, comctl32 with the dialog.
PLANTED="ddraw winmm msacm32 dwmapi msimg32 opengl32 wined3d uxtheme comctl32 compstui winspool.drv"
# Windows' known DLLs (7 to 11), which Windows takes from the system folder
# only, and Wine's own window-system driver and its kernel half.
NOT_PLANTED="advapi32 combase comdlg32 gdi32 gdiplus imagehlp imm32 kernel32 kernelbase msctf msvcrt normaliz
             nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi ucrtbase user32
             wldap32 ws2_32 win32u winex11.drv"
PLANT_LOG="$E2E_DIR/planted.log"
for name in $PLANTED; do
    file="$name"
    [[ "$name" == *.* ]] || file="$name.dll"
    cp "$GLIMMERAX_PLANT" "$E2E_DIR/$file"
done
rm -f "$PLANT_LOG"
export GLIMMERAX_PLANT_LOG
GLIMMERAX_PLANT_LOG="$(winepath -w "$PLANT_LOG" 2>/dev/null)"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$(echo $PLANTED | tr ' ' ',')=n,b"
export WINEDEBUG=+pid,+loaddll
LOADS_LOG="$E2E_DIR/loads.log"
: >"$LOADS_LOG"

# The DLLs a saver loaded, in a Wine log, after its own first load: one
# name a line.
loads_after_start() {
    tr -d '\r' <"$1" | awk '
        /trace:loaddll:.* Loaded L"/ {
            split($0, field, ":")
            process = field[1]
            name = $0
            sub(/.*Loaded L"/, "", name)
            sub(/".*/, "", name)
            count = split(name, part, /\\/)
            name = tolower(part[count])
            if (name == "glimmerax.scr") { saver[process] = 1; started[process] = 0; next }
            if (!(process in saver)) next
            if (started[process]) print name
            else if (name == "msimg32.dll") started[process] = 1
        }
        END { for (process in saver) if (!started[process]) print "no-msimg32-load-seen" }'
}

# Configure, with the font and colour dialogs opened and closed.
if e2e_open_dialog; then
    for button in 1007 1018; do
        if open_picker "$button" '^(字体|颜色)$'; then
            close_picker '^(字体|颜色)$' Escape || fail "planted DLLs: a picker did not close"
        else
            fail "planted DLLs: button $button opened no picker (the button: '$(control "$button")'; windows: $(xdotool search --name . getwindowname %@ 2>/dev/null | tr '\n' '|'))"
            screenshot "$E2E_DIR/failed-picker-$button.png"
        fi
    done
    click_control 2
    e2e_poll 15 saver_gone || fail "planted DLLs: configure did not end"
    ok "planted DLLs: configure ran with the font and colour dialogs"
    cat "$E2E_DIR/wine.log" >>"$LOADS_LOG"
else
    fail "planted DLLs: configure showed no dialog"
fi
e2e_kill_all

# Preview, in a settings window.
result="$(probe_bare preview close 5000 2000 "$E2E_DIR/Glimmerax.scr" | tr -d '\r' | tr '\n' ' ')"
case "$result" in
    "child "*"exit 0 "*) ok "planted DLLs: preview ran" ;;
    *) fail "planted DLLs: preview '$result'" ;;
esac
e2e_kill_all

# Run mode until a key.
if start_runs 1 now; then
    end_with_key 1 "planted DLLs: run mode"
    e2e_poll 10 ended 1
    cat "$E2E_DIR/wine.log" >>"$LOADS_LOG"
else
    fail "planted DLLs: run mode did not start ($(cat "$RUNS" 2>/dev/null | tr '\n' ' '))"
fi
e2e_kill_all

# The planted DLL does report a load: rundll32 loads one by its path.
wine rundll32 "$(winepath -w "$E2E_DIR/ddraw.dll")",Nothing >/dev/null 2>&1
grep -qi 'rundll32' "$PLANT_LOG" 2>/dev/null && ok "a planted DLL reports its loads" \
    || fail "a planted DLL loaded by rundll32 reported nothing"
loaded="$(tr -d '\r' <"$PLANT_LOG" 2>/dev/null | grep -i 'Glimmerax\.scr' | awk '{ print $NF }' | sort -u | tr '\n' ' ')"
if [ -z "$loaded" ]; then
    ok "planted DLLs ($PLANTED): none loaded into the saver"
else
    fail "planted DLLs loaded into the saver: $loaded"
fi
later="$(loads_after_start "$LOADS_LOG" | sort -u | tr '\n' ' ')"
unplanted=""
for dll in $later; do
    echo " $PLANTED $NOT_PLANTED " | tr -s ' \n' ' ' | grep -qi " ${dll%.dll} " || unplanted="$unplanted $dll"
done
if [ -n "$later" ] && [ -z "$unplanted" ]; then
    ok "every DLL the saver loaded after it started is planted or known: $later"
else
    fail "DLLs the saver loaded after it started that are neither planted nor known:${unplanted:- (no loads traced)}"
fi
e2e_finish
