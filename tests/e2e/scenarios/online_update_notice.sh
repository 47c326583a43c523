#!/usr/bin/env bash
# A newer version on the server, asked over https: the update notice opens at the top right of
# the screen and names the version; under the pointer its link lights up, and a click opens the
# download address through the shell (a logging stand-in for the browser) and closes the notice.
# The server logged one https request with the program's fields and no plain-http retry.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_online.sh
source "$(dirname "$0")/../lib_online.sh"
export LC_ALL=C.UTF-8  # English locale
online_begin online_update_notice

url="https://www.quenzal.example/download/Orvalin-9.9-setup.exe"
server_offer 9.9 "$url"
server_start both
orv_start

drv wait-class TNewVer 90000 >/dev/null || fail "no update notice appeared (requests: $(server_requests | tr '\n' '|'))"
read -r l t r b <<<"$(drv wait-class TNewVer 1000 dialog-rect)"
# At the top right, 5 pixels from the edges of the 1280-wide screen; 320 x 68.
expect_eq "the notice's rectangle" "955 5 1275 73" "$l $t $r $b"
# The link fills the lower part of the notice, right of the icon.
pointer_to $((l + 180)) $((t + 44))
sleep 0.5  # the link's colour follows the pointer at the next 100 ms tick; only for the picture
import -window root -crop "$((r - l + 20))x$((b - t + 20))+$((l - 10))+0" +repage \
  "$ORV_E2E_ARTEFACTS/online_update_notice.png" || fail "screenshot failed"
e2e_log "screenshot: $ORV_E2E_ARTEFACTS/online_update_notice.png"
xdotool click --delay 0 1

wait_until 30 grep -q . "$OPENED_LOG" || fail "the link opened nothing"
expect_eq "what the shell was asked to open" "$url" "$(opened_addresses)"
# Closed: hidden, not destroyed.
wait_until 20 notice_hidden || e2e_mismatch "the notice is still shown after its link was clicked"

expect_eq "the server's requests" "https POST /php/check2.php 200" "$(server_requests)"
expect_match "the logged check" \
  "QUENZAL - Orvalin|$ORV_APP_VERSION|*Windows*|????????-????-????-????-????????????|1|127.0.0.1" \
  "$(server_sql "SELECT appname || '|' || version || '|' || os || '|' || guid || '|' || howmany || '|' || remote FROM checks")"

orv_stop
