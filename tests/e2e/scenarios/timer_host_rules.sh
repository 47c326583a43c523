#!/usr/bin/env bash
# The timer rules the program relies on, checked by timercheck.exe on the real timer host: ticks
# during a message box, no re-entry of a handler, no burst after a stall, no lost tick after a tick
# held in the queue, a new interval restarts the count, re-enabling or the same interval changes
# nothing, interval 0 never ticks.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
: "${TIMERCHECK_EXE:=$(dirname "$ORV_EXE")/tests/e2e/timercheck.exe}"
e2e_begin timer_host_rules

[[ -f $TIMERCHECK_EXE ]] || fail "timercheck.exe not found at $TIMERCHECK_EXE"
status=0
out=$(wine "$TIMERCHECK_EXE" 2>>"$E2E_LOG" 9>&-) || status=$?
out=$(tr -d '\r' <<<"$out")
printf '%s\n' "$out" >&2
# Seven rules, each passed; a crash or a hang cut short shows as missing lines.
expect_eq "rules timercheck passed" 7 "$(grep -c '^PASS ' <<<"$out" || true)"
expect_eq "timercheck's exit status" 0 "$status"
