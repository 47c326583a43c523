#!/usr/bin/env bash
# Settings stored by an earlier run (with a comment, a number in hex and a key the program does
# not know) are applied at start, and the file is rewritten in the program's own form.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin stored_settings_applied

settings="$APP_DIR/settings.ini"
printf '\xEF\xBB\xBF[Settings]\r\n;comment\r\nRecord=EventBased\r\nLoop=7\r\nStepDelay=0x20\r\nReplayDelay=250\r\nInfinite=ON\r\nLockMouse=OFF\r\nHotkeyBeep=OFF\r\nStayOnTop=ON\r\nRestoreMousePosition=AfterEachLoop\r\nAutomaticallyClose=ON\r\nFoo=1\r\n\r\n' >"$settings"

orv_start

# The playback fields are all disabled until steps are loaded, so their values tell what was
# applied, not their enabled state.
expect_controls <<'EOF_TABLE'
checked kRadioButton1     => 0
checked kRadioButton2     => 1
updown kSpinEdit1UpDown   => 7
text kSpinEdit1           => 7
updown kSpinEdit2UpDown   => 32
text kSpinEdit2           => 32
updown kSpinEdit3UpDown   => 250
text kSpinEdit3           => 250
checked kCheckBoxInfinite => 1
topmost                   => 1
EOF_TABLE

expect_no_ini_line "$settings" ';comment'
for line in Foo=1 StepDelay=32 Loop=7 ReplayDelay=250 Record=EventBased Infinite=ON LockMouse=OFF \
  HotkeyBeep=OFF StayOnTop=ON RestoreMousePosition=AfterEachLoop AutomaticallyClose=ON; do
  expect_ini_line "$settings" "$line"
done
expect_no_ini_line "$settings" 'StepDelay=0x20'

orv_stop
