#!/usr/bin/env bash
# First start from a folder the user may write to: the program keeps its settings beside
# itself, and the main window shows the defaults.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin first_start_portable

orv_start

expect_file_bytes "$APP_DIR/settings.ini" '\xEF\xBB\xBF[Settings]\r\nReplayDelay=1000\r\n\r\n'
# The writability probe cleans up after itself.
expect_no_file "$APP_DIR/chk.tmp"

expect_controls <<'EOF_TABLE'
caption                  => QUENZAL - Orvalin
text kLabel1             => Hotkey: Ctrl + Alt + R
text kLabel5             => Hotkey: Ctrl + Alt + P
enabled kLabel5          => 0
text kButtonRecord       => Record
enabled kButtonRecord    => 1
text kButtonPlay         => Play
enabled kButtonPlay      => 0
checked kRadioButton1    => 1
checked kRadioButton2    => 0
updown kSpinEdit1UpDown  => 1
text kSpinEdit1          => 1
updown kSpinEdit2UpDown  => 100
text kSpinEdit2          => 100
updown kSpinEdit3UpDown  => 1000
text kSpinEdit3          => 1000
checked kCheckBoxInfinite => 0
status 0                 => X: [0-9]*
status 1                 => Y: [0-9]*
acceptfiles              => 1
topmost                  => 0
EOF_TABLE

shot_main main_window
orv_stop
