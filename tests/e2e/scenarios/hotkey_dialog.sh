#!/usr/bin/env bash
# The hotkey dialog behind the pencil buttons. Every click opens another one, so two can be open
# at once; the field keeps Ctrl+Alt whatever modifiers are typed. An invalid key brings the
# warning and stores nothing. A valid one is stored at once and "Yes" restarts the program, whose
# hotkeys then work with the new letter, also when the combination is still held for a moment
# (as the closing instance holds its own): the new instance tries again until it gets it. A
# punctuation key chosen there works as a hotkey after a restart.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin hotkey_dialog

settings="$APP_DIR/settings.ini"
dialog="Change Hotkey"
field=msctls_hotkey32
orv_start
wait_until 20 test -f "$settings" || fail "no settings.ini after start"

# HKM_GETHOTKEY of the current dialog's field: Ctrl and Alt (0x06) in the high byte, the key code
# in the low byte.
field_is() { drv_is "$1" wait-window "$dialog" 2000 dlg-hotkey "$field"; }

# to_field: makes sure typed keys go to the current dialog's hotkey field. A dialog that has just
# opened, or whose warning has just closed, has the keyboard already; otherwise a real click into
# the field gives it. The pointer goes onto the field either way, away from the tooltip of a
# pencil button.
to_field() {
  local xy
  xy=$(drv wait-window "$dialog" 5000 dlg-center "$field") || fail "no hotkey field"
  # shellcheck disable=SC2086  # "x y"
  pointer_to $xy
  drv wait-window "$dialog" 1000 wait-active 3000 >/dev/null 2>&1 && return
  xdotool click --delay 0 1
  drv wait-window "$dialog" 5000 wait-active 5000 >/dev/null || fail "the hotkey dialog did not take the keyboard"
}

# expect_warning TEXT: the warning box of an invalid choice; OK closes it.
expect_warning() {
  drv_read wait-window WARNING 10000 dialog-text dialog-buttons
  expect_eq "warning text" "$1" "${R[0]}"
  expect_eq "warning buttons" "OK" "${R[1]}"
  drv wait-window WARNING 1000 press OK wait-window-gone WARNING 10000 >/dev/null || fail "the warning did not close"
}

# --- one dialog per click, both at once --------------------------------------------------------

# Wine: closing one of two dialogs owned by the main window activates the main window above the
# other one, so this part leaves both open until the restart ends them.
click_control "$kButton7"
wait_until 20 drv_is 1 count-windows "$dialog" || fail "Button7 opened no hotkey dialog"
drv_read wait-window "$dialog" 5000 dlg-hotkey "$field"
expect_eq "the play dialog's field (Ctrl+Alt+P)" 0x0650 "${R[0]}"
click_control "$kButton3"
wait_until 20 drv_is 2 count-windows "$dialog" || e2e_mismatch "Button3 did not open a second hotkey dialog"
# The newest is on top: the record dialog.
drv_read wait-window "$dialog" 5000 dialog-controls dlg-hotkey "$field" dialog-owner hwnd
expect_match "the dialog's controls" "Static:*:Hotkey:|msctls_hotkey32:*|Button:1:OK|Button:2:Cancel" "${R[0]}"
expect_eq "the record dialog's field (Ctrl+Alt+R)" 0x0652 "${R[1]}"
expect_eq "the dialog's owner" "${R[3]}" "${R[2]}"
to_field
shot hotkey_dialog-ctrl-alt-r

# --- invalid choices: the warning, and nothing stored ------------------------------------------

xdotool key F5
wait_until 10 field_is 0x0674 || e2e_mismatch "F5 typed into the field did not give Ctrl+Alt+F5"
drv wait-window "$dialog" 1000 press OK >/dev/null
expect_warning "Invalid Hotkey: Ctrl+Alt+F5"
to_field
xdotool key BackSpace
if wait_until 10 field_is 0x0000; then
  drv wait-window "$dialog" 1000 press OK >/dev/null
  expect_warning "Invalid Hotkey: None"
else
  e2e_log "BackSpace did not empty the field here (it holds $(drv wait-window "$dialog" 1000 dlg-hotkey "$field"))"
fi
expect_eq "dialogs still open after the warnings" 2 "$(drv count-windows "$dialog")"
grep -q HotkeyChar "$settings" && e2e_mismatch "an invalid choice stored a letter: $(ini_lines "$settings" | tr '\n' '|')"

# --- a valid choice; "Yes" restarts while the combination is still held --------------------------

to_field
xdotool key shift+q  # Shift is not allowed: the field makes it Ctrl+Alt+Q
wait_until 10 field_is 0x0651 || e2e_mismatch "Shift+Q typed into the field did not give Ctrl+Alt+Q"
shot hotkey_dialog-ctrl-alt-q
old_pid=$(drv pid)

# Another program holds Ctrl+Alt+Q until two seconds after the new instance has shown its window,
# by when that instance has tried to register it once and failed.
hold_out="$ORV_E2E_STATE/work/hotkey_dialog.hold"
: >"$hold_out"
(wine "$ORVDRV_EXE" hold-hotkey 3 0x51 wait-gone 60000 find 60000 wait-shown 30000 sleep 2000 \
  release-hotkey >"$hold_out" 2>&1 9>&-) &
hold_pid=$!
wait_until 30 grep -q '^1' "$hold_out" || fail "could not hold Ctrl+Alt+Q for the test: $(cat "$hold_out")"

drv wait-window "$dialog" 1000 press OK >/dev/null
drv_read wait-window Confirmation 10000 dialog-text dialog-buttons
expect_eq "question" "Restart Application?" "${R[0]}"
expect_eq "answers offered" "Yes|No" "${R[1]}"
file_has_line "$settings" "HotkeyCharRecord=Q" || e2e_mismatch "Q was not stored before the question"
shot hotkey_dialog-question
drv_read wait-window Confirmation 1000 press Yes wait-gone 30000 find 60000 wait-shown 30000 pid
new_pid=${R[0]}
[[ $new_pid != "$old_pid" ]] || e2e_mismatch "the program answered from the same process after the restart"
wait "$hold_pid" || e2e_mismatch "the holder of Ctrl+Alt+Q failed: $(cat "$hold_out")"
wait_until 10 e2e_app_ended || e2e_mismatch "the first instance still runs after the restart"
expect_controls <<'EOF_TABLE'
text kLabel1          => Hotkey: Ctrl + Alt + Q
text kLabel5          => Hotkey: Ctrl + Alt + P
text kButtonRecord    => Record
EOF_TABLE
# The combination is free now; the new instance's retries pick it up.
sleep 0.5
xdotool key ctrl+alt+q
wait_until 10 drv_is Stop text "$kButtonRecord" || e2e_mismatch "Ctrl+Alt+Q did not start recording after the restart"
sleep 0.6
xdotool key ctrl+alt+q
wait_until 10 drv_is Record text "$kButtonRecord" || e2e_mismatch "Ctrl+Alt+Q did not stop recording"

# --- a punctuation key; "No" keeps the dialog open ---------------------------------------------

click_control "$kButton3"
wait_until 20 drv_is 1 count-windows "$dialog" || fail "Button3 opened no hotkey dialog after the restart"
wait_until 10 field_is 0x0651 || e2e_mismatch "the record dialog does not show Ctrl+Alt+Q after the restart"
to_field
xdotool key semicolon
wait_until 10 field_is 0x06BA || e2e_mismatch "the ; key typed into the field did not give Ctrl+Alt+;"
drv wait-window "$dialog" 1000 press OK >/dev/null
if drv_read_ok wait-window WARNING 3000 dialog-text; then
  # This layout names the key with more than one character: it cannot be chosen here.
  e2e_log "the ; key is refused on this layout: ${R[0]}"
  drv wait-window WARNING 1000 press OK wait-window-gone WARNING 10000 >/dev/null
  drv wait-window "$dialog" 1000 press Cancel >/dev/null
  printf '\xEF\xBB\xBF[Settings]\r\nHotkeyCharRecord=;\r\n' >"$settings"
else
  drv wait-window Confirmation 10000 press No wait-window-gone Confirmation 10000 >/dev/null ||
    fail "the restart question did not go after No"
  expect_eq "dialogs open after No" 1 "$(drv count-windows "$dialog")"
  expect_ini_line "$settings" "HotkeyCharRecord=;"
  expect_controls <<'EOF_TABLE'
text kLabel1          => Hotkey: Ctrl + Alt + Q
EOF_TABLE
  drv wait-window "$dialog" 1000 press Cancel >/dev/null
fi
orv_stop
orv_start
expect_controls <<'EOF_TABLE'
text kLabel1          => Hotkey: Ctrl + Alt + ;
EOF_TABLE
xdotool key ctrl+alt+semicolon
wait_until 10 drv_is Stop text "$kButtonRecord" || e2e_mismatch "Ctrl+Alt+; did not start recording"
sleep 0.6
xdotool key ctrl+alt+semicolon
wait_until 10 drv_is Record text "$kButtonRecord" || e2e_mismatch "Ctrl+Alt+; did not stop recording"
expect_ini_line "$settings" "HotkeyCharRecord=;"

orv_stop
