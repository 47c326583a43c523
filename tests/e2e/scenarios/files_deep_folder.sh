#!/usr/bin/env bash
# The program in a folder whose name is over 300 characters long: it starts, keeps settings.ini
# beside itself, loads a macro from there and saves it back whole, and leaves no temporary file.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin files_deep_folder

deep="$APP_DIR"
while (($(win_path "$deep" | wc -c) < 320)); do deep="$deep/a-folder-with-a-rather-long-name"; done
mkdir -p "$deep"
mv "$APP_DIR/orvalin.exe" "$deep/orvalin.exe"
APP_DIR=$deep
e2e_log "program folder: $(win_path "$APP_DIR" | wc -c) characters"

macro="$APP_DIR/macro.csv"
printf '10,20,X,,,\r\n-,-,-,-,-,1.5\r\n' >"$macro"
orv_start
expect_file_bytes "$APP_DIR/settings.ini" '\xEF\xBB\xBF[Settings]\r\nReplayDelay=1000\r\n\r\n'

drv drop "$(win_path "$macro")" -- wait-rows "$kListView1" 2 5000 >/dev/null || fail "macro.csv was not loaded"
expect_ini_line "$APP_DIR/settings.ini" "LastUsedFile=$(win_path "$macro")"

# Saved over itself. Wine's file dialog cannot take a name this long, so it is given a short
# way in: a link to the deep folder. The file is replaced where it lives, in the deep folder.
drv drop "$(win_path "$macro")" -- wait-rows "$kListView1" 4 5000 >/dev/null || fail "macro.csv was not loaded twice"
ln -s "$APP_DIR" "$ORV_E2E_STATE/work/files_deep_folder/short"
click_control "$kButton5"
answer_file_dialog "Save As" "$ORV_E2E_STATE/work/files_deep_folder/short/macro.csv"
answer_overwrite_question Yes
twice='10,20,X,,,\r\n-,-,-,-,-,1.5\r\n10,20,X,,,\r\n-,-,-,-,-,1.5\r\n'
wait_until 20 file_is_bytes "$macro" "$twice" || true
expect_file_bytes "$macro" "$twice"
expect_controls <<'EOF_TABLE'
caption => macro.csv - QUENZAL - Orvalin
EOF_TABLE

click_control "$kButtonClear"
drv wait-rows "$kListView1" 0 5000 >/dev/null || fail "Clear left rows"
drv drop "$(win_path "$macro")" -- wait-rows "$kListView1" 4 5000 >/dev/null || fail "the saved macro was not loaded"
expect_controls <<'EOF_TABLE'
table kListView1 => 10,20,X,,,|-,-,-,-,-,1.5|10,20,X,,,|-,-,-,-,-,1.5
EOF_TABLE
orv_stop
leftovers=$(cd "$APP_DIR" && ls -A | grep -vxE 'orvalin\.exe|settings\.ini|macro\.csv' || true)
[[ -z $leftovers ]] || e2e_mismatch "files left in the program folder: $leftovers"
