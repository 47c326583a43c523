#!/usr/bin/env bash
# The recording renews its mouse hook by putting the new one in before taking the old one out.
# While both are in, each mouse event must still reach the recording once, not once per hook:
# hookpair.exe drives the program's own hook layer through the three stages and counts.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin record_hook_renewal

: "${HOOKPAIR_EXE:=$(dirname "$ORV_EXE")/tests/e2e/hookpair.exe}"
[[ -f $HOOKPAIR_EXE ]] || fail "hookpair.exe not found at $HOOKPAIR_EXE"

status=0
counts=$(wine "$HOOKPAIR_EXE" 2>>"$E2E_LOG" 9>&- | tr -d '\r') || status=$?
expect_eq "moves seen per stage (exit status $status)" \
  "one hook: 5
two hooks: 5
newer hook only: 5" "$counts"

