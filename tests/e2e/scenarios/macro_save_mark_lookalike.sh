#!/usr/bin/env bash
# A first cell whose code-page bytes would spell a byte-order mark ("ÿþ" is FF FE in code page
# 1252) is saved as UTF-8 with its mark, so the file loads back as it was instead of as UTF-16.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells, code page 1252
e2e_begin macro_save_mark_lookalike

# Read through its own mark, so the rows "ÿþ1,2" and "é,4" need no guessing on the way in.
printf '\xEF\xBB\xBF\xC3\xBF\xC3\xBE1,2,,,,\r\n\xC3\xA9,4,X,,,\r\n' >"$APP_DIR/marks.csv"
orv_start

drv drop "$(win_path "$APP_DIR/marks.csv")" -- wait-rows "$kListView1" 2 5000 >/dev/null ||
  fail "marks.csv was not loaded"
click_control "$kButton5"
answer_file_dialog "Save As" "$APP_DIR/saved.csv"
utf8_bytes='\xEF\xBB\xBF\xC3\xBF\xC3\xBE1,2,,,,\r\n\xC3\xA9,4,X,,,\r\n'
wait_until 20 file_is_bytes "$APP_DIR/saved.csv" "$utf8_bytes" || true
expect_file_bytes "$APP_DIR/saved.csv" "$utf8_bytes"

# Loaded again, the saved file gives the same rows.
click_control "$kButtonClear"
drv wait-rows "$kListView1" 0 5000 >/dev/null || fail "Clear left rows"
drv drop "$(win_path "$APP_DIR/saved.csv")" -- wait-rows "$kListView1" 2 5000 >/dev/null ||
  fail "saved.csv was not loaded"
expect_controls <<'EOF_TABLE'
table kListView1 => ÿþ1,2,,,,|é,4,X,,,
caption          => saved.csv - QUENZAL - Orvalin
EOF_TABLE

orv_stop
