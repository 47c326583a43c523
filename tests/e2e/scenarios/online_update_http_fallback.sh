#!/usr/bin/env bash
# Nothing answers https (port 443 refuses), the same server answers plain http: the check falls
# back to http and a newer version there still opens the update notice.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_online.sh
source "$(dirname "$0")/../lib_online.sh"
export LC_ALL=C.UTF-8  # English locale
online_begin online_update_http_fallback

server_offer 9.9 "http://www.quenzal.example/download/"
server_start http
curl -s --max-time 5 -o /dev/null https://localhost/ && fail "something answers https on this machine"
orv_start
drv wait-class TNewVer 90000 >/dev/null || fail "no update notice appeared (requests: $(server_requests | tr '\n' '|'))"
expect_eq "the server's requests" "http POST /php/check2.php 200" "$(server_requests)"
expect_eq "logged checks" "1" "$(server_sql "SELECT count(*) FROM checks")"
orv_stop
