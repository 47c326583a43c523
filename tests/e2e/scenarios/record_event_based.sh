#!/usr/bin/env bash
# Event-based recording: each button press gives one click row at the press point, any other
# mouse event (a move, a wheel turn) a position row, a release nothing. Stopping with the hotkey
# adds no row; stopping with the Record button records that click. The clicks still reach the
# window under the pointer.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_target.sh
source "$(dirname "$0")/../lib_target.sh"
e2e_begin record_event_based

target_start
orv_start
click_control "$kRadioButton2"
wait_until 20 drv_is 1 checked "$kRadioButton2" || true
expect_controls <<'EOF_TABLE'
checked kRadioButton2 => 1
EOF_TABLE

read -r rec_x rec_y <<<"$(drv center "$kButtonRecord")"
click_control "$kButtonRecord"
wait_until 10 drv_is Stop text "$kButtonRecord" || fail "the Record button did not start recording"

# Moving the pointer is recorded too: only position rows, all at the end point.
px=$((TARGET_X + 500)) py=$((TARGET_Y + 70))
xdotool mousemove --sync "$px" "$py"
wait_until 10 drv_is_not 0 rows "$kListView1" || true
orv_settle
mapfile -t rows < <(step_rows)
((${#rows[@]} >= 1)) || e2e_mismatch "moving the pointer while recording gave no row"
for row in "${rows[@]}"; do expect_eq "a row of moving the pointer" "$px,$py,,,," "$row"; done

# One event at the same point each: xdotool button, button messages the target gets from it,
# the cells the new row must have. A click reaches the target only after the program's hook
# has seen both its press and its release, so once the target has it every row the click
# gives is in; a wheel turn gives the target nothing, and its one hook call appends all the
# rows it gives at once. Then orv_settle lets the list show them.
events=0
while read -r button messages cells what; do
  before=$(step_count)
  xdotool click --delay 0 "$button"
  if ((messages)); then
    events=$((events + messages))
    target_wait_events "$events" 10 || e2e_mismatch "the target did not get $what"
  else
    wait_until 10 drv_is_not "$before" rows "$kListView1" || true
  fi
  orv_settle
  mapfile -t rows < <(step_rows)
  expect_eq "rows after $what" $((before + 1)) "${#rows[@]}"
  expect_eq "the row of $what" "$px,$py,$cells," "${rows[${#rows[@]} - 1]:-<no row>}"
done <<'EOF_CASES'
1 2 X,, a left click
3 2 ,X, a right click
2 2 ,,X a middle click
4 0 ,, a wheel turn up
5 0 ,, a wheel turn down
EOF_CASES

before=$(step_count)
xdotool key ctrl+alt+r
wait_until 10 drv_is Record text "$kButtonRecord" || e2e_mismatch "the record hotkey did not stop recording"
orv_settle
expect_eq "rows after stopping with the hotkey" "$before" "$(step_count)"
shot record_event_based-hotkey-stop

expect_target_events "the clicks that reached the window while recording" <<EOF_EVENTS
LDOWN $px $py
LUP $px $py
RDOWN $px $py
RUP $px $py
MDOWN $px $py
MUP $px $py
EOF_EVENTS

# Again, stopped with the Record button: moving there and its click are the new rows.
xdotool key ctrl+alt+r
wait_until 10 drv_is Stop text "$kButtonRecord" || fail "the record hotkey did not start recording again"
click_control "$kButtonRecord"
wait_until 10 drv_is Record text "$kButtonRecord" || e2e_mismatch "the Record button did not stop recording"
orv_settle
mapfile -t rows < <(step_rows | tail -n +$((before + 1)))
clicks=0
for row in "${rows[@]}"; do
  case $row in
    "$rec_x,$rec_y,X,,,") clicks=$((clicks + 1)) ;;
    # Wine may report the pointer once more when the button lets it go.
    "$rec_x,$rec_y,,,,") ;;
    *) e2e_mismatch "a row of stopping with the Record button that is neither a move to it nor its click: $row" ;;
  esac
done
expect_eq "click rows of stopping with the Record button (rows: ${rows[*]})" 1 "$clicks"
shot record_event_based-button-stop

orv_stop
