#!/usr/bin/env bash
# Time-based recording takes a row every 100 ms: the pointer's position and an "X" for each
# button held at that moment, whatever window is under the pointer.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_target.sh
source "$(dirname "$0")/../lib_target.sh"
e2e_begin record_time_based

now_ms() { date +%s%3N; }

target_start
orv_start
expect_controls <<'EOF_TABLE'
checked kRadioButton1 => 1
EOF_TABLE

# --- holding still: one identical row every 100 ms ----------------------------------------

read -r rec_x rec_y <<<"$(drv center "$kButtonRecord")"
before_start=$(now_ms)
click_control "$kButtonRecord"
wait_until 10 drv_is Stop text "$kButtonRecord" || fail "the Record button did not start recording"
started=$(now_ms)
expect_controls <<'EOF_TABLE'
text kButtonRecord => Stop
status 2           => STOP: Ctrl + Alt + R
status 3           => Recording...
enabled kButtonPlay => 0
EOF_TABLE
sleep_left=$((1000 - ($(now_ms) - started)))
((sleep_left <= 0)) || sleep "$((sleep_left / 1000)).$(printf '%03d' $((sleep_left % 1000)))"
# Stopped with the hotkey, so that the stopping click is not sampled.
held_min=$(($(now_ms) - started))
xdotool key ctrl+alt+r
wait_until 10 drv_is Record text "$kButtonRecord" || e2e_mismatch "the record hotkey did not stop recording"
held_max=$(($(now_ms) - before_start))
orv_settle
mapfile -t rows < <(step_rows)
# Recording ran at least from when Stop was seen until the hotkey went out, at most from before
# the click until Record was seen again: no more rows than one per 100 ms of the longest, and on
# a busy machine a late sample stands for all it missed, so at least half of the shortest.
e2e_log "${#rows[@]} rows in $held_min..$held_max ms of recording"
expect_between "rows for $held_min..$held_max ms of holding still" $((held_min / 200 - 1)) \
  $((held_max / 100 + 1)) "${#rows[@]}"
distinct=$(printf '%s\n' "${rows[@]}" | sort -u | tr '\n' ' ')
expect_eq "the rows of holding still over the Record button" "$rec_x,$rec_y,,,, " "$distinct"
drv_read status 2 status 3 enabled "$kButtonPlay"
expect_eq "status panels 2 and 3 after recording" "|" "${R[0]}|${R[1]}"
expect_eq "Play enabled after recording" 1 "${R[2]}"

# --- buttons held over the click target ----------------------------------------------------

click_control "$kButtonClear"
wait_until 10 drv_is 0 rows "$kListView1" || e2e_mismatch "Clear left rows in the list"
hold_x=$((TARGET_X + 400)) hold_y=$((TARGET_Y + 60))
mid_x=$((TARGET_X + 800)) mid_y=$((TARGET_Y + 90))
click_control "$kButtonRecord"
wait_until 10 drv_is Stop text "$kButtonRecord" || fail "the Record button did not start recording"
# Held for 0.6 s each; how long they were really held is at most the time from before the
# presses to after the releases.
xdotool mousemove --sync "$hold_x" "$hold_y"
t0=$(now_ms)
xdotool mousedown 1 mousedown 3
sleep 0.6
xdotool mouseup 3 mouseup 1
both_max=$(($(now_ms) - t0))
sleep 0.3
xdotool mousemove --sync "$mid_x" "$mid_y"
t0=$(now_ms)
xdotool mousedown 2
sleep 0.6
xdotool mouseup 2
middle_max=$(($(now_ms) - t0))
sleep 0.3
target_wait_events 6 10 || e2e_mismatch "the target did not get the held buttons"
xdotool key ctrl+alt+r
wait_until 10 drv_is Record text "$kButtonRecord" || e2e_mismatch "the record hotkey did not stop recording"
orv_settle
shot record_time_based-held
mapfile -t rows < <(step_rows)
both=0 middle=0 other_held=()
for row in "${rows[@]}"; do
  case $row in
    "$hold_x,$hold_y,X,X,,") both=$((both + 1)) ;;
    "$mid_x,$mid_y,,,X,") middle=$((middle + 1)) ;;
    *X*) other_held+=("$row") ;;
  esac
done
# 600 ms held: five or six samples, one less if the pointer event trails a tick; more when the
# releases went out late, fewer when a busy machine made samples late (one stands for all).
expect_between "rows with left and right held at $hold_x,$hold_y ($both_max ms at most)" 2 \
  $((both_max / 100 + 1)) "$both"
expect_between "rows with the middle button held at $mid_x,$mid_y ($middle_max ms at most)" 2 \
  $((middle_max / 100 + 1)) "$middle"
# Pressing or letting go of two buttons takes a moment; a sample may fall in between, but
# never a held button anywhere else.
for row in "${other_held[@]}"; do
  [[ $row == "$hold_x,$hold_y,"* ]] || e2e_mismatch "a held button recorded away from where it was held: $row"
done
((${#other_held[@]} <= 2)) || e2e_mismatch "too many rows with only one of the two buttons: ${other_held[*]}"
# The clicks reached the window under the pointer as well: recording does not swallow them.
expect_target_events "what the held buttons did to the window under them" <<EOF_EVENTS
LDOWN $hold_x $hold_y
RDOWN $hold_x $hold_y
RUP $hold_x $hold_y
LUP $hold_x $hold_y
MDOWN $mid_x $mid_y
MUP $mid_x $mid_y
EOF_EVENTS

orv_stop
