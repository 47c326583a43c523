#!/usr/bin/env bash
# A program folder the program cannot write to: settings go to the per-user data folder,
# %APPDATA%\QUENZAL\Orvalin, and nothing is written beside the executable.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin readonly_program_folder

default_settings='\xEF\xBB\xBF[Settings]\r\nReplayDelay=1000\r\n\r\n'

# 1. The portable-use probe creates chk.tmp only when no such file exists, so a file of that
#    name left by someone else makes the folder count as read-only. This works for any user,
#    root included.
printf 'left here by someone else' >"$APP_DIR/chk.tmp"
orv_start
expect_file_bytes "$(appdata_settings)" "$default_settings"
expect_no_file "$APP_DIR/settings.ini"
expect_file_bytes "$APP_DIR/chk.tmp" 'left here by someone else'
expect_controls <<'EOF_TABLE'
caption                  => QUENZAL - Orvalin
updown kSpinEdit3UpDown  => 1000
EOF_TABLE
orv_stop

# 2. A folder the file system refuses to write to.
rm -rf "$APPDATA_DIR/QUENZAL"
APP_DIR="$APP_DIR/locked"
mkdir -p "$APP_DIR"
cp "$ORV_EXE" "$APP_DIR/orvalin.exe"
if lock_folder "$APP_DIR"; then
  e2e_log "program folder locked: $APP_DIR"
  orv_start
  expect_file_bytes "$(appdata_settings)" "$default_settings"
  expect_no_file "$APP_DIR/settings.ini"
  expect_no_file "$APP_DIR/chk.tmp"
  orv_stop
  unlock_folder "$APP_DIR"
else
  e2e_log "SKIPPED the locked-folder half: no way to make a folder read-only for $(id -un) here"
fi
