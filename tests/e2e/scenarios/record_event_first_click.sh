#!/usr/bin/env bash
# Event-based recording captures from its first moment: a click made as soon as the Record
# button reads "Stop" becomes a row, on the first recording since start and on a later one.
# Recording is started and stopped with the hotkey, which adds no mouse row of its own.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_target.sh
source "$(dirname "$0")/../lib_target.sh"
e2e_begin record_event_first_click

target_start
orv_start
click_control "$kRadioButton2"
expect_controls <<'EOF_TABLE'
checked kRadioButton2 => 1
EOF_TABLE

# click_rows: the rows holding a left click, whatever position rows Wine adds around them.
click_rows() { step_rows | grep -c ',X,,,$' || true; }
has_click_rows() { (($(click_rows) >= $1)); }

events=0
for run in first later; do
  # A point of its own for each run.
  if [[ $run == first ]]; then px=$((TARGET_X + 300)); else px=$((TARGET_X + 600)); fi
  py=$((TARGET_Y + 60))
  pointer_to "$px" "$py"
  before=$(click_rows)
  xdotool key ctrl+alt+r
  wait_until 20 drv_is Stop text "$kButtonRecord" || fail "the record hotkey did not start the $run recording"
  xdotool click --delay 0 1
  events=$((events + 2))
  target_wait_events "$events" 5 || fail "the click of the $run recording did not reach the target"
  wait_until 20 has_click_rows $((before + 1)) ||
    e2e_mismatch "the click right after the start of the $run recording gave no row (rows: $(step_rows | tr '\n' ' '))"
  xdotool key ctrl+alt+r
  wait_until 20 drv_is Record text "$kButtonRecord" || fail "the record hotkey did not stop the $run recording"
  expect_eq "the click row of the $run recording" "$px,$py,X,,," "$(step_rows | grep ',X,,,$' | tail -n 1)"
done
shot record_event_first_click-after

orv_stop
