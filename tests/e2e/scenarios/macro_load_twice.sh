#!/usr/bin/env bash
# Loading through the Open dialog appends the file's rows: loading a file twice doubles them.
# Each load names the file in the caption and in settings.ini and makes Play usable, also for
# an empty file; a file that cannot be opened is reported and changes nothing.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin macro_load_twice

settings="$APP_DIR/settings.ini"
steps="$APP_DIR/steps.csv"
printf '10,20,X,,,\r\n30,40,,XX,,2\r\n' >"$steps"
: >"$APP_DIR/empty.csv"
orv_start

expect_controls <<'EOF_TABLE'
enabled kButtonPlay  => 0
enabled kLabel5      => 0
EOF_TABLE

# The Load button, then File > Load File... with the same file.
click_control "$kButton4"
answer_file_dialog Open "$steps"
drv wait-rows "$kListView1" 2 20000 >/dev/null || e2e_mismatch "the rows of steps.csv did not arrive"
expect_controls <<'EOF_TABLE'
table kListView1     => 10,20,X,,,|30,40,,XX,,2
caption              => steps.csv - QUENZAL - Orvalin
enabled kButtonPlay  => 1
enabled kLabel5      => 1
EOF_TABLE
expect_ini_line "$settings" "LastUsedFile=$(win_path "$steps")"

drv command "$kCmdLoad" >/dev/null
answer_file_dialog Open "$steps"
drv wait-rows "$kListView1" 4 20000 >/dev/null || e2e_mismatch "loading steps.csv again did not append its rows"
expect_controls <<'EOF_TABLE'
table kListView1     => 10,20,X,,,|30,40,,XX,,2|10,20,X,,,|30,40,,XX,,2
caption              => steps.csv - QUENZAL - Orvalin
EOF_TABLE

# A name that does not exist: the dialog lets it through, opening it fails.
missing="$APP_DIR/missing.csv"
click_control "$kButton4"
answer_file_dialog Open "$missing"
expect_error_box "Cannot open file \"$(glob_quote "$(win_path "$missing")")\". ?*"
expect_controls <<'EOF_TABLE'
rows kListView1      => 4
caption              => steps.csv - QUENZAL - Orvalin
enabled kButtonPlay  => 1
EOF_TABLE
expect_ini_line "$settings" "LastUsedFile=$(win_path "$steps")"

# Cancel in the dialog loads nothing.
click_control "$kButton4"
drv wait-window Open 10000 press Cancel wait-window-gone Open 20000 >/dev/null || fail "Cancel did not close the Open dialog"
expect_controls <<'EOF_TABLE'
rows kListView1      => 4
caption              => steps.csv - QUENZAL - Orvalin
EOF_TABLE

# An empty file after Clear: no rows, yet it counts as loaded.
click_control "$kButtonClear"
drv wait-caption "QUENZAL - Orvalin" 20000 >/dev/null || e2e_mismatch "Clear did not reset the caption"
click_control "$kButton4"
answer_file_dialog Open "$APP_DIR/empty.csv"
drv wait-caption "empty.csv - QUENZAL - Orvalin" 20000 >/dev/null ||
  e2e_mismatch "the caption does not name empty.csv after loading it"
expect_controls <<'EOF_TABLE'
rows kListView1      => 0
enabled kButtonPlay  => 1
enabled kLabel5      => 1
EOF_TABLE
expect_ini_line "$settings" "LastUsedFile=$(win_path "$APP_DIR/empty.csv")"

orv_stop
