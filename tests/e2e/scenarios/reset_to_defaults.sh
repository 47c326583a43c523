#!/usr/bin/env bash
# Options > Reset to Defaults asks first; "No" changes nothing, "Yes" deletes the settings and
# starts the program afresh.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin reset_to_defaults

settings="$APP_DIR/settings.ini"
printf '\xEF\xBB\xBF[Settings]\r\nLoop=9\r\n\r\n' >"$settings"
orv_start
expect_controls <<'EOF_TABLE'
updown kSpinEdit1UpDown  => 9
EOF_TABLE
cp "$settings" "$ORV_E2E_STATE/work/reset_to_defaults.before.ini"
old_pid=$(drv pid)

# The question, and "No".
drv_read command "$kCmdResetToDefaults" wait-window Confirmation 20000 dialog-class dialog-text dialog-buttons
expect_eq "class of the question box" '#32770' "${R[0]}"
expect_eq "question" 'Restart Application?' "${R[1]}"
expect_eq "answers offered" 'Yes|No' "${R[2]}"
shot reset_to_defaults-question
drv wait-window Confirmation 1000 press No wait-window-gone Confirmation 20000
cmp -s "$ORV_E2E_STATE/work/reset_to_defaults.before.ini" "$settings" ||
  e2e_mismatch "settings.ini changed although the answer was No"
expect_controls <<EOF_TABLE
pid                      => $old_pid
windows                  => 1
updown kSpinEdit1UpDown  => 9
EOF_TABLE

# Again, and "Yes": the old window goes, a new instance comes.
drv_read command "$kCmdResetToDefaults" wait-window Confirmation 20000 press Yes \
  wait-gone 15000 find 30000 wait-shown 10000 pid
new_pid=${R[0]}
[[ $new_pid != "$old_pid" ]] || e2e_mismatch "the program answered from the same process ($old_pid) after the restart"
wait_until 20 test -f "$settings" || true
expect_file_bytes "$settings" '\xEF\xBB\xBF[Settings]\r\nReplayDelay=1000\r\n\r\n'
expect_controls <<'EOF_TABLE'
caption                  => QUENZAL - Orvalin
windows                  => 1
updown kSpinEdit1UpDown  => 1
text kSpinEdit1          => 1
EOF_TABLE
# The old process must really have ended, not just closed its window.
wait_until 10 e2e_app_ended || e2e_mismatch "the first instance (Linux pid $e2e_app_pid) still runs after the restart"

orv_stop
