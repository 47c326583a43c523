#!/usr/bin/env bash
# The whole job as a user does it: record clicks on another window event-based, save them to a
# file, clear the list, load the file again and play it; the window gets the same clicks at the
# same places as when they were recorded, double click included.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_target.sh
source "$(dirname "$0")/../lib_target.sh"
e2e_begin record_roundtrip

# file_dialog CAPTION PATH: types PATH into the open file dialog and confirms it.
file_dialog() {
  drv wait-window "$1" 20000 >/dev/null || fail "no '$1' dialog appeared"
  xdotool type --delay 15 "$(win_path "$2")"
  xdotool key Return
  drv wait-window-gone "$1" 20000 >/dev/null || fail "the '$1' dialog did not close"
}

target_start
orv_start
click_control "$kRadioButton2"
click_control "$kButtonRecord"
wait_until 10 drv_is Stop text "$kButtonRecord" || fail "the Record button did not start recording"
# The hook comes one second after the first start: its tick is due by then, and handled once a
# command posted after it is.
sleep 1.2
orv_settle

# What the user does: button (xdotool numbers), number of clicks, where.
actions=(
  "1 1 $((TARGET_X + 100)) $((TARGET_Y + 40))"
  "3 1 $((TARGET_X + 400)) $((TARGET_Y + 80))"
  "1 2 $((TARGET_X + 700)) $((TARGET_Y + 50))"
  "2 1 $((TARGET_X + 1000)) $((TARGET_Y + 100))"
  "1 1 $((TARGET_X + 250)) $((TARGET_Y + 110))"
)
expected_rows="" expected_events=""
for action in "${actions[@]}"; do
  read -r button clicks x y <<<"$action"
  xdotool mousemove --sync "$x" "$y"
  sleep 0.2
  xdotool click --repeat "$clicks" --delay 120 "$button"
  sleep 0.3
  case $button in
    1) cells="X,," names=(LDOWN LUP LDBL) ;;
    3) cells=",X," names=(RDOWN RUP RDBL) ;;
    2) cells=",,X" names=(MDOWN MUP MDBL) ;;
  esac
  for ((i = 0; i < clicks; i++)); do
    expected_rows+="$x,$y,$cells,"$'\n'
    down=${names[0]}
    ((i == 0)) || down=${names[2]}
    expected_events+="$down $x $y"$'\n'"${names[1]} $x $y"$'\n'
  done
done
# Each click reaches the target after the program's hook has seen it: once the target has them
# all, so has the step list.
target_wait_events "$(grep -c . <<<"$expected_events")" 10 || e2e_mismatch "the target did not get every click"
xdotool key ctrl+alt+r
wait_until 10 drv_is Record text "$kButtonRecord" || fail "the record hotkey did not stop recording"
orv_settle

mapfile -t recorded < <(step_rows)
click_rows=$(printf '%s\n' "${recorded[@]}" | grep X || true)
expect_eq "the click rows recorded" "${expected_rows%$'\n'}" "$click_rows"
for row in "${recorded[@]}"; do
  [[ $row == *X* || $row =~ ^[0-9]+,[0-9]+,,,,$ ]] || e2e_mismatch "a recorded row is neither a click nor a position: $row"
done
expect_target_events "the clicks as the window got them while recording" <<<"$expected_events"
events_recorded=$(target_event_count)

# Save, clear, load.
file="$APP_DIR/round trip.csv"
click_control "$kButton5"
file_dialog "Save As" "$file"
drv wait-caption "round trip.csv - QUENZAL - Orvalin" 20000 >/dev/null ||
  e2e_mismatch "the caption does not name the saved file: $(drv caption)"
expect_file_bytes "$file" "$(printf '%s\\r\\n' "${recorded[@]}")"

click_control "$kButtonClear"
wait_until 10 drv_is 0 rows "$kListView1" || e2e_mismatch "Clear left rows in the list"
expect_controls <<'EOF_TABLE'
caption             => QUENZAL - Orvalin
enabled kButtonPlay => 0
EOF_TABLE

click_control "$kButton4"
file_dialog "Open" "$file"
drv wait-rows "$kListView1" "${#recorded[@]}" 20000 >/dev/null ||
  e2e_mismatch "loading gave $(step_count) rows, not ${#recorded[@]}"
mapfile -t loaded < <(step_rows)
expect_eq "the rows loaded from the saved file" "$(printf '%s\n' "${recorded[@]}")" "$(printf '%s\n' "${loaded[@]}")"
shot record_roundtrip-loaded

# Play: the same clicks again, at the same places.
click_control "$kButtonPlay"
wanted=$((events_recorded * 2))
target_wait_events "$wanted" 15 || e2e_mismatch "playing gave $(($(target_event_count) - events_recorded)) of $events_recorded button messages"
wait_until 20 drv_is Play text "$kButtonPlay" || e2e_mismatch "Play did not return after the run"
expect_target_events "the clicks as the window got them from playing the loaded file" "$events_recorded" <<<"$expected_events"
shot record_roundtrip-played

orv_stop
