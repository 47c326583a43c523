#!/usr/bin/env bash
# "Stay on Top" is lifted while a modal window of the main window is open: with Insert Wait's
# prompt open settings.ini reads StayOnTop=OFF and the window is not topmost; once the prompt has
# closed both are on again.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale
e2e_begin shell_stay_on_top_modal

settings="$APP_DIR/settings.ini"
orv_start

drv command "$kCmdStayOnTop" >/dev/null
wait_until 20 file_has_line "$settings" StayOnTop=ON || fail "Stay on Top was not stored"
wait_until 20 drv_is 1 topmost || e2e_mismatch "Stay on Top did not make the window topmost"

click_control "$kButton6"
drv wait-window "Insert Wait" 20000 >/dev/null || fail "no Insert Wait box"
expect_ini_line "$settings" StayOnTop=OFF
expect_controls <<'EOF_TABLE'
topmost => 0
EOF_TABLE
shot shell_stay_on_top_modal-prompt

xy=$(drv wait-window "Insert Wait" 1000 dlg-center Cancel)
# shellcheck disable=SC2086  # "x y"
pointer_to $xy
xdotool click --delay 0 1
drv wait-window-gone "Insert Wait" 20000 >/dev/null || fail "Cancel did not close the Insert Wait box"
wait_until 20 file_has_line "$settings" StayOnTop=ON ||
  e2e_mismatch "StayOnTop=ON did not come back after the prompt; settings.ini: $(ini_lines "$settings" | tr '\n' '|')"
wait_until 20 drv_is 1 topmost || e2e_mismatch "the window is not topmost again after the prompt"

orv_stop
