#!/usr/bin/env bash
# Saving over an existing file: through a symbolic link the linked file is replaced and the
# link stays; a read-only file or a folder the program may not write to refuses the save with
# "Cannot create file" and keeps its old bytes. No temporary file survives, and one left by
# an earlier run that was killed mid-write goes with the next write of that file.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin macro_save_replace

new_bytes='512,300,X,,,\r\n'
printf "$new_bytes" >"$APP_DIR/new.csv"
printf 'left by a killed run' >"$APP_DIR/settings.ini.orvtmp"
orv_start
wait_until 20 test ! -e "$APP_DIR/settings.ini.orvtmp" || true
expect_no_file "$APP_DIR/settings.ini.orvtmp"
expect_file "$APP_DIR/settings.ini"
drv drop "$(win_path "$APP_DIR/new.csv")" -- wait-rows "$kListView1" 1 5000 >/dev/null || fail "new.csv was not loaded"

# Through a link.
printf 'old\r\n' >"$APP_DIR/real.csv"
printf 'left by a killed run' >"$APP_DIR/real.csv.orvtmp"
ln -s real.csv "$APP_DIR/link.csv"
click_control "$kButton5"
answer_file_dialog "Save As" "$APP_DIR/link.csv"
answer_overwrite_question Yes
wait_until 20 file_is_bytes "$APP_DIR/real.csv" "$new_bytes" || true
expect_file_bytes "$APP_DIR/real.csv" "$new_bytes"
expect_eq "link.csv after the save" "real.csv" "$(readlink "$APP_DIR/link.csv" || echo "<not a link>")"
expect_no_file "$APP_DIR/real.csv.orvtmp"
expect_controls <<'EOF_TABLE'
caption => link.csv - QUENZAL - Orvalin
EOF_TABLE

# A read-only file.
printf 'old\r\n' >"$APP_DIR/ro.csv"
chmod a-w "$APP_DIR/ro.csv"
click_control "$kButton5"
answer_file_dialog "Save As" "$APP_DIR/ro.csv"
answer_overwrite_question Yes
expect_error_box "Cannot create file \"$(glob_quote "$(win_path "$APP_DIR/ro.csv")")\". ?*"
expect_file_bytes "$APP_DIR/ro.csv" 'old\r\n'
expect_controls <<'EOF_TABLE'
caption => link.csv - QUENZAL - Orvalin
EOF_TABLE

# A folder the program may not write to.
mkdir "$APP_DIR/locked"
printf 'old\r\n' >"$APP_DIR/locked/keep.csv"
if lock_folder "$APP_DIR/locked"; then
  click_control "$kButton5"
  answer_file_dialog "Save As" "$APP_DIR/locked/keep.csv"
  answer_overwrite_question Yes
  expect_error_box "Cannot create file \"$(glob_quote "$(win_path "$APP_DIR/locked/keep.csv")")\". ?*"
  expect_file_bytes "$APP_DIR/locked/keep.csv" 'old\r\n'
  expect_eq "files in the locked folder" "keep.csv" "$(ls -A "$APP_DIR/locked")"
  unlock_folder "$APP_DIR/locked"
else
  e2e_log "SKIPPED the locked folder: no way to make a folder read-only for $(id -un) here"
fi
expect_ini_line "$APP_DIR/settings.ini" "LastUsedFile=$(win_path "$APP_DIR/link.csv")"

orv_stop
leftovers=$(cd "$APP_DIR" && ls -A | grep -E '\.orvtmp$|\.orvbak$|^orv.*\.tmp$' || true)
[[ -z $leftovers ]] || e2e_mismatch "temporary files left: $leftovers"
