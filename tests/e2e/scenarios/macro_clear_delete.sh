#!/usr/bin/env bash
# The Delete key and "Delete Selected" remove the selected rows; removing the last one clears
# like Clear, File > Clear and "Delete All" do: no rows, Play unusable, the plain caption and no
# last used file.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin macro_clear_delete

settings="$APP_DIR/settings.ini"
macro="$APP_DIR/four.csv"
printf '1,1,,,,\r\n2,2,,,,\r\n3,3,,,,\r\n4,4,,,,\r\n' >"$macro"
orv_start

load_four() {
  drv drop "$(win_path "$macro")" -- wait-rows "$kListView1" 4 20000 >/dev/null || fail "four.csv was not loaded"
}

expect_cleared() {
  expect_controls <<'EOF_TABLE'
rows kListView1      => 0
caption              => QUENZAL - Orvalin
enabled kButtonPlay  => 0
enabled kLabel5      => 0
EOF_TABLE
  expect_ini_line "$settings" "LastUsedFile="
}

load_four
# Delete with nothing selected (a click below the rows) removes nothing.
read -r _ _ list_right list_bottom <<<"$(drv rect "$kListView1")"
pointer_to $((list_right - 30)) $((list_bottom - 30))
xdotool click --delay 0 1
# Home, typed after Delete, selects the first row: once it has, the list has handled Delete.
xdotool key Delete Home
wait_until 10 drv_is 0 selected "$kListView1" || e2e_mismatch "Home after Delete selected no first row"
expect_controls <<'EOF_TABLE'
rows kListView1      => 4
EOF_TABLE

# One row by the Delete key, two (picked with Ctrl) by "Delete Selected".
click_row 1
xdotool key Delete
drv wait-rows "$kListView1" 3 20000 >/dev/null || e2e_mismatch "the Delete key did not remove row 1"
click_row 0
xdotool keydown ctrl
click_row 2
xdotool keyup ctrl
# The clicks reach the list a while after xdotool returns.
wait_until 20 drv_is "0 2" selected "$kListView1" || true
expect_controls <<'EOF_TABLE'
table kListView1     => 1,1,,,,|3,3,,,,|4,4,,,,
selected kListView1  => 0 2
EOF_TABLE
drv command "$kCmdDeleteSelected" wait-rows "$kListView1" 1 20000 >/dev/null ||
  e2e_mismatch "Delete Selected did not remove the two selected rows"
expect_controls <<'EOF_TABLE'
table kListView1     => 3,3,,,,
caption              => four.csv - QUENZAL - Orvalin
enabled kButtonPlay  => 1
EOF_TABLE
expect_ini_line "$settings" "LastUsedFile=$(win_path "$macro")"

# The last row by the Delete key: cleared.
click_row 0
xdotool key Delete
drv wait-rows "$kListView1" 0 20000 >/dev/null || e2e_mismatch "the Delete key did not remove the last row"
expect_cleared

# The other ways to clear.
for way in button "File > Clear" "Delete All"; do
  load_four
  expect_ini_line "$settings" "LastUsedFile=$(win_path "$macro")"
  case $way in
    button) click_control "$kButtonClear" ;;
    "File > Clear") drv command "$kCmdClear" >/dev/null ;;
    "Delete All") drv command "$kCmdDeleteAll" >/dev/null ;;
  esac
  drv wait-rows "$kListView1" 0 20000 >/dev/null || e2e_mismatch "$way left rows"
  expect_cleared
done

orv_stop
