#!/usr/bin/env bash
# Files the program must write that will not be written: settings.ini read-only, held open by
# another program, or a folder; a macro saved onto a file another program holds, or where its
# temporary file's name is taken by a folder. Each write is refused with "Cannot create file"
# (already at start when settings.ini is a folder and the defaults are written), the file
# keeps its old bytes, no temporary file is left, and the rows in the list stay.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin hostile_targets

settings="$APP_DIR/settings.ini"
user="$APP_DIR/user.csv"
printf '11,11,X,,,\r\n22,22,,X,,\r\n' >"$user"
user_rows='11,11,X,,,|22,22,,X,,'

expect_no_leftovers() {
  local leftovers
  leftovers=$(cd "$APP_DIR" && ls -A | grep -E '\.orvtmp$|\.orvbak$' || true)
  [[ -z $leftovers ]] || e2e_mismatch "$1: temporary files left: $leftovers"
}

settings_refused="Cannot create file \"$(glob_quote "$(win_path "$settings")")\". ?*"

# --- settings.ini refuses the write that loading a file makes: the rows still load ------------
printf '[Settings]\r\nReplayDelay=1000\r\nLockMouse=OFF\r\n' >"$settings"
orv_start
old_settings=$(od -An -tx1 -v "$settings")

# case | how settings.ini refuses | rows after the drop
while IFS='|' read -r -u 3 name rows; do
  e2e_log "settings.ini $name"
  case $name in
    read-only)
      chmod a-w "$settings"
      drv drop "$(win_path "$user")" >/dev/null
      expect_error_box "$settings_refused"
      chmod u+w "$settings"
      ;;
    held)
      hold_file_until_error_box "$(win_path "$settings")"
      drv drop "$(win_path "$user")" >/dev/null
      expect_held_box "settings.ini held" "$settings_refused"
      ;;
  esac
  drv wait-rows "$kListView1" "$rows" 5000 >/dev/null || e2e_mismatch "settings.ini $name: the rows were not added"
  expect_controls <<'EOF_TABLE'
caption              => user.csv - QUENZAL - Orvalin
enabled kButtonPlay  => 1
EOF_TABLE
  expect_eq "settings.ini $name: its bytes" "$old_settings" "$(od -An -tx1 -v "$settings")"
  expect_no_leftovers "settings.ini $name"
done 3<<'EOF_CASES'
read-only|2
held|4
EOF_CASES

# --- a macro saved where it cannot be: the old file and the list stay -------------------------
four_rows="$user_rows|$user_rows"
printf 'old\r\n' >"$APP_DIR/held.csv"
printf 'old\r\n' >"$APP_DIR/blocked.csv"
mkdir "$APP_DIR/blocked.csv.orvtmp"
# case | target
while IFS='|' read -r -u 3 name target; do
  e2e_log "save: $name"
  [[ $name != held ]] || hold_file_until_error_box "$(win_path "$APP_DIR/$target")"
  click_control "$kButton5"
  answer_file_dialog "Save As" "$APP_DIR/$target"
  answer_overwrite_question Yes
  refused="Cannot create file \"$(glob_quote "$(win_path "$APP_DIR/$target")")\". ?*"
  if [[ $name == held ]]; then
    expect_held_box "save onto a held file" "$refused"
  else
    expect_error_box "$refused"
  fi
  expect_file_bytes "$APP_DIR/$target" 'old\r\n'
  expect_controls <<EOF_TABLE
table kListView1 => $(glob_quote "$four_rows")
caption          => user.csv - QUENZAL - Orvalin
EOF_TABLE
  expect_no_ini_line "$settings" "LastUsedFile=$(win_path "$APP_DIR/$target")"
done 3<<'EOF_CASES'
held|held.csv
temporary name taken by a folder|blocked.csv
EOF_CASES
rmdir "$APP_DIR/blocked.csv.orvtmp"
orv_stop
expect_no_leftovers "after the saves"

# --- settings.ini is a folder: reported at start, the program runs on defaults, and each write
# of the settings is reported while the rows still load ----------------------------------------
rm -f "$settings"
mkdir "$settings"
(cd "$APP_DIR" && exec wine "$APP_DIR/orvalin.exe") >>"$E2E_LOG" 2>&1 9>&- &
e2e_app_pid=$!
# (A folder reads as no file; the first write of the defaults is what fails.) The box comes
# during start-up, which takes a while under Wine.
drv wait-window Orvalin 60000 >/dev/null || true
expect_error_box "Cannot create file \"$(glob_quote "$(win_path "$settings")")\". ?*"
drv --wait 30000 wait-shown 10000 >/dev/null || fail "no main window after the settings.ini box"
drv drop "$(win_path "$user")" >/dev/null
expect_error_box "$settings_refused"
drv wait-rows "$kListView1" 2 5000 >/dev/null || e2e_mismatch "settings.ini a folder: the rows were not added"
expect_controls <<EOF_TABLE
table kListView1 => $(glob_quote "$user_rows")
caption          => user.csv - QUENZAL - Orvalin
EOF_TABLE
[[ -d $settings ]] || e2e_mismatch "the folder settings.ini is gone"
orv_stop
