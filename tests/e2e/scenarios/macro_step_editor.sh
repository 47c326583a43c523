#!/usr/bin/env bash
# The step editor: a double click on a row opens it filled from the row; OK writes the fields
# back ("X" for a checked button, "XX" with Double Click, no wait for 0) into the row selected
# at that moment; Esc leaves the row alone; Double Click is usable only with its button.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin macro_step_editor

macro="$APP_DIR/steps.csv"
printf '10,20,X,,,\r\n512,300,XX,,X,\r\n30,40,,,,7\r\n' >"$macro"
orv_start
drv drop "$(win_path "$macro")" -- wait-rows "$kListView1" 3 20000 >/dev/null || fail "steps.csv was not loaded"

# dlg_click REF: a real click on a control of the editor.
dlg_click() {
  local xy
  xy=$(drv wait-window Edit 1000 dlg-center "$1") || fail "the editor has no control $1"
  # shellcheck disable=SC2086  # "x y"
  pointer_to $xy
  xdotool click --delay 0 1
}

# replace_field REF TEXT: clicks into an edit field of the editor and types TEXT over its text.
replace_field() {
  dlg_click "$1"
  xdotool key End key --repeat 12 --delay 10 BackSpace
  xdotool type --delay 15 -- "$2"
}

# expect_editor X Y WAIT BUTTON-STATES: the fields and the six check boxes (checked/enabled
# each, "Left Right Middle DoubleLeft DoubleRight DoubleMiddle").
# Typed keys and clicks reach the editor a while after xdotool returns: it waits for the state
# first, then compares what is there.
editor_fields=(wait-window Edit 1000 dlg-text Edit#0 dlg-text Edit#1 dlg-text Edit#2
  dlg-checked "Left Mouse Button" dlg-checked "Right Mouse Button" dlg-checked "Middle Mouse Button"
  dlg-checked "Double Click#0" dlg-checked "Double Click#1" dlg-checked "Double Click#2"
  dlg-enabled "Double Click#0" dlg-enabled "Double Click#1" dlg-enabled "Double Click#2")
editor_is() {
  drv_read_ok "${editor_fields[@]}" &&
    [[ "${R[0]}|${R[1]}|${R[2]}|${R[*]:3:6}|${R[*]:9:3}" == "$1|$2|$3|$4|$5" ]]
}
expect_editor() {
  wait_until 20 editor_is "$@" || true
  drv_read "${editor_fields[@]}"
  expect_eq "editor: X Position" "$1" "${R[0]}"
  expect_eq "editor: Y Position" "$2" "${R[1]}"
  expect_eq "editor: Wait (sec)" "$3" "${R[2]}"
  expect_eq "editor: checked boxes (left right middle, double left right middle)" "$4" "${R[*]:3:6}"
  expect_eq "editor: usable Double Click boxes (left right middle)" "$5" "${R[*]:9:3}"
}

# Opened by a real double click on 512,300,XX,,X, and closed with OK: the row stays as it was.
click_row 1 2
drv_read wait-window Edit 20000 wait-active 20000 dialog-class dialog-buttons dialog-owner dialog-above-main hwnd
expect_eq "class of the editor" TFormEditStep "${R[0]}"
expect_eq "buttons of the editor" \
  "Left Mouse Button|Right Mouse Button|Middle Mouse Button|Double Click|Double Click|Double Click|OK|Cancel" "${R[1]}"
expect_eq "owner of the editor" "${R[4]}" "${R[2]}"
expect_eq "editor above the main window" 1 "${R[3]}"
expect_editor 512 300 0 "1 0 1 1 0 0" "1 0 1"
shot macro_step_editor-open
dlg_click OK
drv wait-window-gone Edit 20000 >/dev/null || fail "OK did not close the editor"
expect_controls <<'EOF_TABLE'
table kListView1 => 10,20,X,,,|512,300,XX,,X,|30,40,,,,7
EOF_TABLE

# Changed by typing and clicking: X and Wait typed, left button off, right button with double
# click; Enter is OK.
click_row 0 2
drv wait-window Edit 20000 wait-active 20000 >/dev/null || fail "a double click on row 0 opened no editor"
expect_editor 10 20 0 "1 0 0 0 0 0" "1 0 0"
replace_field Edit#0 640
replace_field Edit#2 3
dlg_click "Left Mouse Button"
dlg_click "Right Mouse Button"
dlg_click "Double Click#1"
expect_editor 640 20 3 "0 1 0 0 1 0" "0 1 0"
xdotool key Return
drv wait-window-gone Edit 20000 >/dev/null || fail "Enter did not close the editor"
expect_controls <<'EOF_TABLE'
table kListView1 => 640,20,,XX,,3|512,300,XX,,X,|30,40,,,,7
EOF_TABLE

# The list's Edit... command on the selected row; Esc throws the change away.
click_row 2
drv command "$kCmdEditStep" wait-window Edit 20000 wait-active 20000 >/dev/null || fail "Edit... opened no editor"
expect_editor 30 40 7 "0 0 0 0 0 0" "0 0 0"
replace_field Edit#0 999
xdotool key Escape
drv wait-window-gone Edit 20000 >/dev/null || fail "Esc did not close the editor"
expect_controls <<'EOF_TABLE'
table kListView1 => 640,20,,XX,,3|512,300,XX,,X,|30,40,,,,7
EOF_TABLE

# The editor stays open while another row is picked (clicked at its right end, beside the
# editor): OK writes into that one.
click_row 1 2
drv wait-window Edit 20000 >/dev/null || fail "a double click on row 1 opened no editor"
read -r _ _ list_right _ <<<"$(drv rect "$kListView1")"
read -r _ row_top _ row_bottom <<<"$(drv row-rect "$kListView1" 2)"
pointer_to $((list_right - 30)) $(((row_top + row_bottom) / 2))
xdotool click --delay 0 1
wait_until 20 drv_is 2 selected "$kListView1" || true
expect_controls <<'EOF_TABLE'
selected kListView1 => 2
EOF_TABLE
# Wine lets the clicked main window cover the editor it owns (Windows keeps owned windows
# above their owner), so OK is pressed without a pointer.
drv wait-window Edit 1000 press OK >/dev/null
drv wait-window-gone Edit 20000 >/dev/null || fail "OK did not close the editor"
expect_controls <<'EOF_TABLE'
table kListView1 => 640,20,,XX,,3|512,300,XX,,X,|512,300,XX,,X,
EOF_TABLE

# No row selected: Edit... opens nothing.
read -r _ _ list_right list_bottom <<<"$(drv rect "$kListView1")"
pointer_to $((list_right - 30)) $((list_bottom - 30))
xdotool click --delay 0 1
wait_until 20 drv_is "" selected "$kListView1" || true
expect_eq "selected rows after a click below them" "" "$(drv selected "$kListView1")"
drv command "$kCmdEditStep" >/dev/null
orv_settle
if drv_read_ok wait-window Edit 100 dialog-class; then
  e2e_mismatch "Edit... opened an editor with no row selected"
fi

orv_stop
