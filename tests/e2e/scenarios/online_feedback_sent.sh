#!/usr/bin/env bash
# A message typed into the feedback dialog (praise chosen, two lines, an e-mail address) and
# sent: the program answers "Your feedback is received." once the server has stored it, the
# dialog closes, and the database holds one row with the program's name and version, the
# composed message (the panel's line first) and the address. It went over https.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_online.sh
source "$(dirname "$0")/../lib_online.sh"
export LC_ALL=C.UTF-8  # English locale
online_begin online_feedback_sent

server_start both
orv_start
feedback_open
feedback_choose praise
feedback_type 303 $'Records my clicks well\nsecond line' 'Records my clicks well\r\nsecond line'
feedback_type 305 "tester@example.com" "tester@example.com"
feedback_shot online_feedback_sent-dialog
feedback_send

drv wait-window Success 30000 >/dev/null || fail "no Success box (requests: $(server_requests | tr '\n' '|'))"
drv_read wait-window Success 1000 dialog-text
expect_match "the Success box" '*Your feedback is received.*Thank you!*' "${R[0]}"
shot online_feedback_sent-success
drv wait-window Success 1000 press OK wait-window-gone Success 5000 >/dev/null || fail "the Success box did not close"
drv wait-window-gone "$FEEDBACK_CAPTION" 10000 >/dev/null || e2e_mismatch "the dialog stayed open after Success"

expect_eq "the server's feedback requests" "https POST /php/feedback.php 200" \
  "$(server_requests | grep feedback)"
expect_eq "the stored message" \
  "QUENZAL - Orvalin|$ORV_APP_VERSION|I like it!<CR>Records my clicks well<CR><LF>second line|tester@example.com|127.0.0.1" \
  "$(server_sql "SELECT appname || '|' || version || '|' ||
                        replace(replace(message, char(13), '<CR>'), char(10), '<LF>') || '|' ||
                        ifnull(email, '-') || '|' || remote FROM feedback")"
expect_match "the row's time (UTC)" "20??-??-??T??:??:??Z" "$(server_sql "SELECT received FROM feedback")"
orv_stop
