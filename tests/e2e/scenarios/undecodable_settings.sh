#!/usr/bin/env bash
# A settings.ini that is not valid UTF-8 is thrown away at start, without a word, and replaced
# by the defaults.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin undecodable_settings

printf '[Settings]\r\nLoop=\xff\xfe5\r\n' >"$APP_DIR/settings.ini"

orv_start

expect_file_bytes "$APP_DIR/settings.ini" '\xEF\xBB\xBF[Settings]\r\nReplayDelay=1000\r\n\r\n'
expect_controls <<'EOF_TABLE'
updown kSpinEdit1UpDown  => 1
text kSpinEdit1          => 1
windows                  => 1
EOF_TABLE

orv_stop
