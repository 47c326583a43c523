#!/usr/bin/env bash
# A real click on a recording mode writes it to settings.ini at once.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin settings_write_through

settings="$APP_DIR/settings.ini"
orv_start

click_control "$kRadioButton2"
wait_until 20 file_has_line "$settings" Record=EventBased ||
  e2e_mismatch "settings.ini lacks Record=EventBased 20 s after clicking Event-Based Recording; it holds: $(ini_lines "$settings" | tr '\n' '|')"
expect_ini_line "$settings" ReplayDelay=1000
expect_controls <<'EOF_TABLE'
checked kRadioButton1    => 0
checked kRadioButton2    => 1
EOF_TABLE

click_control "$kRadioButton1"
wait_until 20 file_has_line "$settings" Record=TimeBased ||
  e2e_mismatch "settings.ini lacks Record=TimeBased 20 s after clicking Time-Based Recording; it holds: $(ini_lines "$settings" | tr '\n' '|')"
expect_no_ini_line "$settings" Record=EventBased
expect_controls <<'EOF_TABLE'
checked kRadioButton1    => 1
checked kRadioButton2    => 0
EOF_TABLE

orv_stop
