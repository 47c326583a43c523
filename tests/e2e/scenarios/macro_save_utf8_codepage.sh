#!/usr/bin/env bash
# Where the ANSI code page is UTF-8 (Wine gives it to locales without an ANSI code page, such as
# hi_IN; Windows to "Use Unicode UTF-8 for worldwide language support"), a saved macro is plain
# UTF-8 without a byte-order mark, as other programs there read it, and loads back the same.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=hi_IN.UTF-8 2>/dev/null  # for Wine; the host need not have the locale
e2e_begin macro_save_utf8_codepage

# "é" and "Ω": no single ANSI code page but UTF-8 has both.
printf '\xEF\xBB\xBF1,2,\xC3\xA9,,,\r\n3,4,\xCE\xA9,,,2\r\n' >"$APP_DIR/in.csv"
orv_start
drv drop "$(win_path "$APP_DIR/in.csv")" -- wait-rows "$kListView1" 2 5000 >/dev/null || fail "in.csv was not loaded"
click_control "$kButton5"
answer_file_dialog "Save As" "$APP_DIR/out.csv"
utf8_bytes='1,2,\xC3\xA9,,,\r\n3,4,\xCE\xA9,,,2\r\n'
wait_until 20 file_is_bytes "$APP_DIR/out.csv" "$utf8_bytes" || true
expect_file_bytes "$APP_DIR/out.csv" "$utf8_bytes"

click_control "$kButtonClear"
drv wait-rows "$kListView1" 0 5000 >/dev/null || fail "Clear left rows"
drv drop "$(win_path "$APP_DIR/out.csv")" -- wait-rows "$kListView1" 2 5000 >/dev/null || fail "out.csv was not loaded"
expect_controls <<'EOF_TABLE'
table kListView1 => 1,2,é,,,|3,4,Ω,,,2
EOF_TABLE
orv_stop
