#!/usr/bin/env bash
# No server at all (nothing listens on 443 or 80): Send gives the failure box, and after OK the
# dialog is still open with the typed message, the chosen panel and the address as they were;
# Esc in the address field closes it.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_online.sh
source "$(dirname "$0")/../lib_online.sh"
export LC_ALL=C.UTF-8  # English locale
online_begin online_feedback_server_down

curl -s --max-time 5 -o /dev/null http://localhost/ && fail "something answers http on this machine"
orv_start
feedback_open
feedback_choose complaint
feedback_type 303 "It crashed twice" "It crashed twice"
feedback_type 305 "tester@example.com" "tester@example.com"
feedback_send

drv wait-window Failure 30000 >/dev/null || fail "no Failure box"
drv_read wait-window Failure 1000 dialog-text
expect_match "the Failure box" \
  '*Something went wrong. Your feedback could not be delivered.*Please try again later.*' "${R[0]}"
shot online_feedback_server_down-failure
drv wait-window Failure 1000 press OK wait-window-gone Failure 5000 >/dev/null || fail "the Failure box did not close"

drv_read wait-window "$FEEDBACK_CAPTION" 5000 dlg-text 303 dlg-text 305
expect_eq "the message after the failure" "It crashed twice" "${R[0]}"
expect_eq "the address after the failure" "tester@example.com" "${R[1]}"
feedback_shot online_feedback_server_down-dialog
# Esc in the address field closes the dialog.
read -r x y <<<"$(drv wait-window "$FEEDBACK_CAPTION" 1000 dlg-center 305)"
pointer_to "$x" "$y"
xdotool click --delay 0 1 key Escape
drv wait-window-gone "$FEEDBACK_CAPTION" 10000 >/dev/null || e2e_mismatch "Esc did not close the dialog"
orv_stop
