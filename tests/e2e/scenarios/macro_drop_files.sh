#!/usr/bin/env bash
# Files dropped on the window load one after the other, in the order given; the caption and
# settings.ini name the last. A file that cannot be opened is reported and stops the files after
# it. Names longer than 255 characters load whole.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin macro_drop_files

settings="$APP_DIR/settings.ini"
a="$APP_DIR/a.csv"
b="$APP_DIR/b-Ω.csv"
printf '1,1,X,,,\r\n2,2,,X,,\r\n' >"$a"
printf '3,3,,,X,\r\n' >"$b"
orv_start
expect_controls <<'EOF_TABLE'
acceptfiles => 1
EOF_TABLE

drv drop "$(win_path "$a")" "$(win_path "$b")" -- wait-rows "$kListView1" 3 20000 >/dev/null ||
  e2e_mismatch "dropping two files did not give 3 rows"
expect_controls <<'EOF_TABLE'
table kListView1     => 1,1,X,,,|2,2,,X,,|3,3,,,X,
caption              => b-Ω.csv - QUENZAL - Orvalin
enabled kButtonPlay  => 1
EOF_TABLE
expect_ini_line "$settings" "LastUsedFile=$(win_path "$b")"

# The file in the middle is missing: the first loads, the last does not.
click_control "$kButtonClear"
drv wait-rows "$kListView1" 0 20000 >/dev/null || fail "Clear left rows"
missing="$APP_DIR/missing.csv"
drv drop "$(win_path "$a")" "$(win_path "$missing")" "$(win_path "$b")" >/dev/null
expect_error_box "Cannot open file \"$(glob_quote "$(win_path "$missing")")\". ?*"
expect_controls <<'EOF_TABLE'
table kListView1     => 1,1,X,,,|2,2,,X,,
caption              => a.csv - QUENZAL - Orvalin
EOF_TABLE
expect_ini_line "$settings" "LastUsedFile=$(win_path "$a")"

# A name of more than 255 characters, in nested folders.
deep="$APP_DIR"
while (($(win_path "$deep" | wc -c) < 280)); do deep="$deep/folder-with-a-rather-long-name"; done
mkdir -p "$deep"
long="$deep/long.csv"
printf '4,4,XX,,,5\r\n' >"$long"
long_win=$(win_path "$long")
((${#long_win} > 255)) || fail "the long name has only ${#long_win} characters"
drv drop "$long_win" -- wait-rows "$kListView1" 3 20000 >/dev/null ||
  e2e_mismatch "the file with a ${#long_win}-character name was not loaded"
expect_controls <<'EOF_TABLE'
row kListView1 2     => 4,4,XX,,,5
caption              => long.csv - QUENZAL - Orvalin
EOF_TABLE
expect_ini_line "$settings" "LastUsedFile=$long_win"

orv_stop
