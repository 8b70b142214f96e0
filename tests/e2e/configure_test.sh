#!/usr/bin/env bash
# Configure mode end to end: the settings dialog opens with the stored
# values, OK writes exactly what was changed, invalid numbers and Cancel
# leave the INI file alone, the About box, and the links through the shell.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin configure

INI="$E2E_DIR/Glimmerax.ini"

# This test's own saver only: other checks may run a saver on the machine.
dialog_process_alive() { pgrep -f "^$E2E_DIR/Glimmerax\.scr" >/dev/null 2>&1; }
dialog_process_gone() { ! dialog_process_alive; }

control_text() { control "$1" | cut -d' ' -f9-; }
control_state() { control "$1" | cut -d' ' -f3-4; }

# Replaces the text of a one-line edit.
# Keys sent before Wine has activated a dialog that has just opened go to no
# window of it (once in a few loaded runs every key of a check was lost
# while its clicks arrived): typed again, three times at most, until the
# edit holds the text.
type_into() {
    EDIT_ID="$1" EDIT_TEXT="$2"
    local attempt
    for attempt in 1 2 3; do
        focus_dialog
        click_control "$1"
        xdotool key --clearmodifiers End shift+Home BackSpace
        [ -z "$2" ] || xdotool type --delay 20 "$2"
        e2e_poll 3 edit_holds && return 0
    done
    return 1
}
edit_holds() { [ "$(control_text "$EDIT_ID")" = "$EDIT_TEXT" ]; }

ini_value() { tr -d '\r' <"$INI" | awk -v key="$1" 'index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }'; }

expect_ini() {
    local key="$1" want="$2" got
    got="$(ini_value "$key")"
    if [ "$got" = "$want" ]; then ok "OK stored $key=$want"; else fail "$key is '$got', not '$want'"; fi
}

expect_exit_zero() {
    if e2e_poll 15 dialog_process_gone; then
        wait "$SAVER_PID" 2>/dev/null
        local rc=$?
        if [ $rc = 0 ]; then ok "$1: the process ends with exit code 0"; else fail "$1: exit code $rc"; fi
    else
        fail "$1: the dialog did not close"
    fi
}

# Share of the pixels in a screen rectangle that are clearly blue.
blue_share() {
    convert "$1" -crop "$(($4 - $2))x$(($5 - $3))+$2+$3" +repage \
        -fx '(b > 0.5 && r < 0.3 && g < 0.3) ? 1 : 0' -format '%[fx:mean]' info: 2>/dev/null
}

# 1. The stored values show; the check box drives edit 1002 at once.
e2e_ini "Resolution=2" "MaxParticleNum=300" "Fps=30" "FpsShow=1" "TopText=hello top"
if e2e_open_dialog; then
    ok "/c opens the dialog captioned Glimmerax"
    [ "$(control_text 1001)" = "1024*768" ] && ok "Resolution 2 shows 1024*768" \
        || fail "the resolution shows '$(control_text 1001)'"
    [ "$(control_state 1016)" = "enabled checked" ] && ok "FpsShow 1 shows the box checked" \
        || fail "check box: $(control_state 1016)"
    case "$(control 1002)" in
        *" disabled "*"hello top") ok "the top-text edit is disabled and holds its text" ;;
        *) fail "top-text edit: $(control 1002)" ;;
    esac
    [ "$(control_text 1000) $(control_text 1017)" = "300 30" ] && ok "particles 300, fps 30" \
        || fail "numbers: $(control_text 1000) $(control_text 1017)"
    screenshot "$E2E_DIR/dialog.png"
    web="$(control 1014)"
    set -- $web
    share="$(blue_share "$E2E_DIR/dialog.png" "$5" "$6" "$7" "$8")"
    if awk -v s="$share" 'BEGIN { exit !(s > 0.02) }'; then ok "the web link is drawn in blue ($share)"; else fail "the web link shows no blue ($share)"; fi

    click_control 1016
    if e2e_poll 5 sh -c '[ "$0" ]' && e2e_poll 5 eval '[[ "$(control_state 1002)" == enabled* ]]'; then
        ok "clearing the box enables the top-text edit at once"
    else
        fail "after clearing the box: $(control 1002)"
    fi
    click_control 1016
    e2e_poll 5 eval '[[ "$(control_state 1002)" == disabled* ]]' && ok "checking it again disables the edit" \
        || fail "after checking again: $(control 1002)"
    click_control 1016

    # 2. Change every field but the styles and press OK.
    focus_dialog
    click_control 1001
    xdotool key --clearmodifiers Home Return
    type_into 1000 450
    type_into 1017 60
    type_into 1002 "new top"
    type_into 1005 "bottom line"
    focus_dialog
    click_control 1006
    xdotool type --delay 20 "line one"
    xdotool key Return
    xdotool type --delay 20 "line two"
    click_control 1
    expect_exit_zero "OK"
    expect_ini Resolution 0
    expect_ini MaxParticleNum 450
    expect_ini Fps 60
    expect_ini FpsShow 0
    expect_ini TopText "new top"
    expect_ini BottomText "bottom line"
    expect_ini MidText "line one|@|line two"
else
    fail "/c showed no dialog"
fi
e2e_kill_all

# 3. Invalid numbers: one message each, the dialog stays, the file is kept.
e2e_ini "Resolution=1" "MaxParticleNum=300" "Fps=30" "FpsShow=0"
before="$(md5sum <"$INI")"
if e2e_open_dialog; then
    for bad in "1000 99 100 和 1000" "1000 1001 100 和 1000" "1000 12a 整数" "1017 14 15 和 100" "1017 101 15 和 100"; do
        set -- $bad
        id="$1" typed="$2"
        shift 2
        want="$*"
        type_into "$id" "$typed"
        click_control 1
        if e2e_poll 10 windows_are 2; then
            text="$(probe_bare texts Glimmerax)"
            if grep -q "$want" <<<"$text"; then ok "$typed in $id: one message naming '$want'"; else fail "$typed in $id: message '$text'"; fi
            box="$(xdotool search --name '^Glimmerax$' | grep -vx "$(dialog_window)" | head -n 1)"
            xdotool windowfocus --sync "$box" 2>/dev/null
            xdotool key Return
            e2e_poll 10 windows_are 1 || fail "$typed in $id: the message did not close"
            dialog_process_alive && ok "$typed in $id: the dialog stays open" || fail "$typed in $id: the dialog closed"
        else
            fail "$typed in $id: no message"
        fi
        type_into "$id" "$([ "$id" = 1000 ] && echo 300 || echo 30)"
    done
    [ "$(md5sum <"$INI")" = "$before" ] && ok "refused input leaves the INI file untouched" \
        || fail "the INI file changed after refused input"
    # The bounds themselves are taken.
    type_into 1000 1000
    type_into 1017 15
    click_control 1
    expect_exit_zero "OK with 1000 and 15"
    expect_ini MaxParticleNum 1000
    expect_ini Fps 15
else
    fail "/c showed no dialog (invalid numbers)"
fi
e2e_kill_all

# 4. Cancel after a font change leaves the file as it was.
e2e_ini "Resolution=1" "TopText=kept"
before="$(md5sum <"$INI")"
if e2e_open_dialog; then
    if open_picker 1007 '^字体$'; then
        ok "the font button opens the font dialog"
        close_picker '^字体$' Return || fail "the font dialog did not close"
    else
        fail "no font dialog"
    fi
    click_control 2
    expect_exit_zero "Cancel"
    [ "$(md5sum <"$INI")" = "$before" ] && ok "Cancel after a font change leaves the INI file untouched" \
        || fail "Cancel changed the INI file"
else
    fail "/c showed no dialog (Cancel)"
fi
e2e_kill_all

# 5. The system menu's last item opens the About box; its OK returns to the
#    dialog; the menu's Close acts as Cancel.
before="$(md5sum <"$INI")"
menu_window() {
    local w geometry
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
        geometry="$(xdotool getwindowgeometry "$w" | awk '/Geometry:/ { print $2 }')"
        [ "${geometry%x*}" -lt 600 ] 2>/dev/null && { echo "$w"; return 0; }
    done
    return 1
}
has_menu() { [ -n "$(menu_window)" ]; }
if e2e_open_dialog; then
    # What Alt+Space asks for: the system menu, opened from the keyboard.
    probe_bare syscommand Glimmerax 0xF100 32 >/dev/null
    if e2e_poll 10 has_menu; then
        screenshot "$E2E_DIR/system-menu.png"
        menu="$(menu_window)"
        eval "$(xdotool getwindowgeometry --shell "$menu")"
        xdotool mousemove $((X + 40)) $((Y + HEIGHT - 10)) click 1
        if e2e_poll 10 has_window_named '^关于 Glimmerax$'; then
            ok "the system menu's last item opens the About box"
            # The major and minor version CMake holds.
            version="$(cut -d. -f1-2 <<<"${GLIMMERAX_VERSION:-?}")"
            text="$(probe_bare texts '关于 Glimmerax')"
            grep -qF "Glimmerax $version 版" <<<"$text" && ok "the About box says Glimmerax $version 版" \
                || fail "About box texts: $text"
            xdotool windowfocus --sync "$(window_named '^关于 Glimmerax$')" 2>/dev/null
            xdotool key Return
            if e2e_poll 10 no_window_named '^关于 Glimmerax$' && dialog_process_alive && windows_are 1; then
                ok "the About box's OK returns to the dialog"
            else
                fail "after the About box's OK"
            fi
        else
            fail "no About box"
        fi
    else
        fail "the system menu did not open"
    fi
    probe_bare syscommand Glimmerax 0xF060 >/dev/null
    expect_exit_zero "the system menu's Close"
    [ "$(md5sum <"$INI")" = "$before" ] && ok "Close leaves the INI file untouched" || fail "Close changed the INI file"
else
    fail "/c showed no dialog (About)"
fi
e2e_kill_all

# 6. The links and the button open their targets through the shell. A
#    handler registered for http and mailto records what it was asked to
#    open and how; the prefix gets its own handlers back afterwards.
OPENED="$E2E_DIR/opened.txt"
handler_keys=("HKCR\\http\\shell\\open\\command" "HKCR\\mailto\\shell\\open\\command")
restore_handlers() {
    local i
    for i in 0 1; do
        [ -s "$E2E_DIR/handler$i.reg" ] && wine reg import "$E2E_DIR/handler$i.reg" >/dev/null 2>&1
    done
}
trap 'restore_handlers; e2e_end' EXIT
recorder="\"$(winepath -w "$E2E_PROBE")\" \"$(winepath -w "$OPENED")\" record \"%1\""
for i in 0 1; do
    wine reg export "${handler_keys[$i]}" "$E2E_DIR/handler$i.reg" /y >/dev/null 2>&1
    wine reg add "${handler_keys[$i]}" /ve /d "$recorder" /f >/dev/null 2>&1
done
rm -f "$OPENED"
opened_lines() { [ -f "$OPENED" ] && [ "$(wc -l <"$OPENED")" -ge "$1" ]; }
if e2e_open_dialog; then
    # Each click waits for the shell to have handed its target over; the
    # pointer rests on the dialog's background in between, so no link still
    # holds the mouse when the next one is clicked.
    rest_pointer() {
        local X Y WIDTH HEIGHT SCREEN WINDOW
        eval "$(xdotool getwindowgeometry --shell "$(dialog_window)")"
        xdotool mousemove $((X + 6)) $((Y + HEIGHT - 6))
        # A busy dialog takes the move late; a click made before it has let
        # go of the mouse would still reach the last link.
        e2e_poll 20 no_capture
    }
    no_capture() { [ "$(probe_bare capture Glimmerax)" = 0 ]; }
    # A click on a dialog busy handing the last target over can be lost too:
    # clicked again until the shell has it.
    open_with() { E2E_BEFORE_CLICK=rest_pointer click_until "$1" 20 opened_lines "$2"; }
    open_with 1014 1
    open_with 1015 2
    open_with 1013 3
    want=$'http://www.example.com/ 3\nmailto:me@example.com 3\nhttp://www.example.com/ 3'
    if [ "$(cat "$OPENED" 2>/dev/null)" = "$want" ]; then
        ok "the web link, the mail link and the button open their targets maximised"
    else
        fail "the shell was asked to open: $(cat "$OPENED" 2>/dev/null)"
    fi
    dialog_process_alive && windows_are 1 && ok "the dialog stays open after the links" || fail "the dialog closed"
    click_control 2
    expect_exit_zero "Cancel after the links"
else
    fail "/c showed no dialog (links)"
fi
restore_handlers
trap e2e_end EXIT

e2e_finish
