#!/usr/bin/env bash
# The server offers the version the program is: the check asks over https, the program takes
# the verdict, and no update notice exists at all.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_online.sh
source "$(dirname "$0")/../lib_online.sh"
export LC_ALL=C.UTF-8  # English locale
online_begin online_update_same_version

server_offer "$ORV_APP_VERSION" "https://www.quenzal.example/download/"
server_start both
orv_start
orv_await_check
# The main window makes the notice in the same step that takes the verdict.
expect_eq "update notices (all, shown)" "0 0" "$(drv count-class TNewVer)"
expect_eq "the server's requests" "https POST /php/check2.php 200" "$(server_requests)"
expect_eq "the logged check's version" "$ORV_APP_VERSION" "$(server_sql "SELECT version FROM checks")"
orv_stop
