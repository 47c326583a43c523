#!/usr/bin/env bash
# Saving writes the rows byte for byte: cells joined by ",", CR LF after every line, the ANSI
# code page while every character fits it, UTF-8 with BOM once one does not. The dialog adds
# the .csv extension and asks before replacing a file; the caption and settings.ini then name
# the saved file.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells, code page 1252
e2e_begin macro_save_bytes

settings="$APP_DIR/settings.ini"
saved="$APP_DIR/saved.csv"
# Windows-1252 bytes: 0xE9 is "é".
printf '512,300,XX,,X,\r\n7,8,\xE9,X,,2\r\n' >"$APP_DIR/ansi.csv"
# UTF-8: "Ω" has no place in code page 1252.
printf '\xEF\xBB\xBF1,2,\xCE\xA9,,,\r\n' >"$APP_DIR/omega.csv"
orv_start

drv drop "$(win_path "$APP_DIR/ansi.csv")" -- wait-rows "$kListView1" 2 20000 >/dev/null ||
  fail "ansi.csv was not loaded"
click_control "$kButton6"
type_into "Insert Wait" "1,5"
xdotool key Return
drv wait-rows "$kListView1" 3 20000 >/dev/null || fail "Insert Wait added no row"

# The name typed without extension.
click_control "$kButton5"
answer_file_dialog "Save As" "$APP_DIR/saved"
ansi_bytes='512,300,XX,,X,\r\n7,8,\xE9,X,,2\r\n-,-,-,-,-,1.5\r\n'
wait_until 20 file_is_bytes "$saved" "$ansi_bytes" || true
expect_file_bytes "$saved" "$ansi_bytes"
expect_controls <<'EOF_TABLE'
caption => saved.csv - QUENZAL - Orvalin
EOF_TABLE
expect_ini_line "$settings" "LastUsedFile=$(win_path "$saved")"
expect_no_file "$APP_DIR/saved"

# A row that needs Unicode; File > Save File... onto the same file: asked, and replaced.
drv drop "$(win_path "$APP_DIR/omega.csv")" -- wait-rows "$kListView1" 4 20000 >/dev/null ||
  fail "omega.csv was not loaded"
drv command "$kCmdSave" >/dev/null
answer_file_dialog "Save As" "$saved"
answer_overwrite_question Yes
drv wait-window-gone "Save As" 20000 >/dev/null || fail "the save dialog stayed after Yes"
unicode_bytes='\xEF\xBB\xBF512,300,XX,,X,\r\n7,8,\xC3\xA9,X,,2\r\n-,-,-,-,-,1.5\r\n1,2,\xCE\xA9,,,\r\n'
wait_until 20 file_is_bytes "$saved" "$unicode_bytes" || true
expect_file_bytes "$saved" "$unicode_bytes"
expect_controls <<'EOF_TABLE'
caption => saved.csv - QUENZAL - Orvalin
EOF_TABLE

# "No" to the question goes back to the dialog; Cancel there leaves the file as it was.
cp "$saved" "$ORV_E2E_STATE/work/macro_save_bytes.before.csv"
drv drop "$(win_path "$APP_DIR/ansi.csv")" -- wait-rows "$kListView1" 6 20000 >/dev/null ||
  fail "ansi.csv was not loaded a second time"
expect_controls <<'EOF_TABLE'
caption => ansi.csv - QUENZAL - Orvalin
EOF_TABLE
click_control "$kButton5"
answer_file_dialog "Save As" "$saved"
answer_overwrite_question No
drv wait-window "Save As" 20000 press Cancel wait-window-gone "Save As" 20000 >/dev/null ||
  fail "Cancel did not close the save dialog"
cmp -s "$ORV_E2E_STATE/work/macro_save_bytes.before.csv" "$saved" ||
  e2e_mismatch "saved.csv changed although replacing it was declined"
expect_controls <<'EOF_TABLE'
caption => ansi.csv - QUENZAL - Orvalin
EOF_TABLE
expect_ini_line "$settings" "LastUsedFile=$(win_path "$APP_DIR/ansi.csv")"

# No rows: an empty file.
click_control "$kButtonClear"
drv wait-rows "$kListView1" 0 20000 >/dev/null || fail "Clear left rows"
click_control "$kButton5"
answer_file_dialog "Save As" "$APP_DIR/none.csv"
wait_until 20 file_is_bytes "$APP_DIR/none.csv" '' || true
expect_file_bytes "$APP_DIR/none.csv" ''
expect_controls <<'EOF_TABLE'
caption => none.csv - QUENZAL - Orvalin
EOF_TABLE

orv_stop
