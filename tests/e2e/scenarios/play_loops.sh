#!/usr/bin/env bash
# Playing in passes: Loop 3 plays the steps three times with the Replay Delay between passes and
# counts the Loop field down to 1 (on screen and in settings.ini); the pointer goes back to where
# it was when Play was pressed; Automatically Close ends the program about 3 s after the last
# pass. Then a file named on the command line plays with the window minimized, the window comes
# back when the run ends, and the pointer stays where the last step left it.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_target.sh
source "$(dirname "$0")/../lib_target.sh"
e2e_begin play_loops

target_start
x1=$((TARGET_X + 150)) y1=$((TARGET_Y + 50))
x2=$((TARGET_X + 650)) y2=$((TARGET_Y + 90))

# --- three passes, restore after completion, automatic close --------------------------------

macro="$APP_DIR/two_clicks.csv"
write_macro "$macro" "$x1,$y1,X,,," "$x2,$y2,,X,,"
settings="$APP_DIR/settings.ini"
printf '\xEF\xBB\xBF[Settings]\r\nAutomaticallyLoad=ON\r\nLastUsedFile=%s\r\nLoop=3\r\nStepDelay=100\r\nReplayDelay=1000\r\nRestoreMousePosition=AfterCompletion\r\nAutomaticallyClose=ON\r\n' \
  "$(win_path "$macro")" >"$settings"

orv_start
wait_until 10 drv_is 1 enabled "$kButtonPlay" || fail "the macro named in settings.ini was not loaded"
read -r play_x play_y <<<"$(drv center "$kButtonPlay")"
click_control "$kButtonPlay"

target_wait_events 4 20 || fail "the first pass did not arrive within 20 s"
# One step after its last row a pass is over: the field has counted down and the Replay Delay
# (1 s) runs. A busy machine may catch the wait after the second pass instead of the first, so
# the field is read together with the clock of the player's message times and compared, once
# all passes are in, with the passes played before that moment.
wait_until 20 drv_is "Waiting for Replay..." status 3 ||
  e2e_mismatch "status panel 3 does not read 'Waiting for Replay...' between passes"
drv_read tick status 3 updown "$kSpinEdit1UpDown" text "$kSpinEdit1" text "$kButtonPlay"
waiting=("${R[@]}")
stored_loop=$(ini_lines "$settings" | sed -n 's/^Loop=//p')
drv_read tick
waiting_until=${R[0]}

target_wait_events 12 20 || e2e_mismatch "three passes should give 12 button messages; got $(target_event_count)"
# The window closes itself 3 s after the run: it is read in one go as soon as Play is back.
# The status bar follows the pointer on a timer of its own.
status_shows_play() { drv_read_ok status 0 status 1 && [[ "${R[0]} ${R[1]}" == "X: $play_x Y: $play_y" ]]; }
if drv_read_ok wait-text "$kButtonPlay" Play 10000 updown "$kSpinEdit1UpDown" text "$kSpinEdit1" status 3; then
  after_run=("${R[@]}")
  pointer_after=$(pointer_xy)
  expect_eq "Loop field (up-down) after the run" 1 "${after_run[0]}"
  expect_eq "Loop field (text) after the run" 1 "${after_run[1]}"
  expect_match "status panel 3 after the run" "Automatically Closing... ([123])" "${after_run[2]}"
  expect_eq "pointer after the run (where Play was pressed)" "$play_x $play_y" "$pointer_after"
  wait_until 10 status_shows_play || [[ $(drv exists) == 0 ]] ||
    e2e_mismatch "status bar pointer position after the run: expected 'X: $play_x Y: $play_y', got '${R[*]}'"
elif [[ $(drv exists) == 0 ]]; then
  e2e_log "the window closed before it could be read after the run; its fields not judged"
else
  e2e_mismatch "Play did not return after the third pass"
fi
expect_ini_line "$settings" Loop=1

# passes_before TICK: how many passes had their last click played before TICK.
passes_before() {
  local k n=0
  for k in 4 8 12; do (($(target_event_ms "$k") < $1)) && n=$((n + 1)); done
  echo "$n"
}
if [[ ${waiting[1]} == "Waiting for Replay..." ]] && (($(target_event_count) >= 12)); then
  passes=$(passes_before "${waiting[0]}")
  e2e_log "the wait between passes was seen after $passes pass(es)"
  if ((passes == $(passes_before "$waiting_until"))); then
    expect_eq "passes played before the wait between passes was seen" 1 $((passes >= 1 && passes <= 2))
    expect_eq "Loop field (up-down) after $passes passes" $((3 - passes)) "${waiting[2]}"
    expect_eq "Loop field (text) after $passes passes" $((3 - passes)) "${waiting[3]}"
    expect_eq "Play button between passes" Stop "${waiting[4]}"
    expect_eq "Loop in settings.ini after $passes passes" $((3 - passes)) "$stored_loop"
  else
    e2e_log "a pass was played while the field was read; not judged"
  fi
fi
shot play_loops-closing

pass="LDOWN $x1 $y1
LUP $x1 $y1
RDOWN $x2 $y2
RUP $x2 $y2"
expect_target_events "three passes" <<<"$pass
$pass
$pass"
if (($(target_event_count) >= 12)); then
  # A pass ends one step after its last row; the next starts one step after the Replay Delay:
  # never sooner than 1.1 s, by the player's message times; later by up to a second on a busy
  # machine.
  expect_between "ms from the last row of pass 1 to the first of pass 2" 1098 2200 \
    $(($(target_event_ms 5) - $(target_event_ms 3)))
  expect_between "ms from the last row of pass 2 to the first of pass 3" 1098 2200 \
    $(($(target_event_ms 9) - $(target_event_ms 7)))
fi

# The close comes 3 s after the end of the last pass (which comes after its last row). Polled
# with the clock of the message times: the window went after the last tick it was seen at and
# by the first tick it was missed at. Too soon only if it was missed before 3 s, too late only
# if it was still seen long after.
seen_at="" gone_by=""
for _ in $(seq 200); do
  drv_read tick exists
  if [[ ${R[1]} == 1 ]]; then seen_at=${R[0]}; else gone_by=${R[0]}; break; fi
  sleep 0.05
done
if [[ -z $gone_by ]]; then
  e2e_mismatch "the program did not close itself"
elif (($(target_event_count) >= 12)); then
  last_row=$(target_event_ms 12)
  e2e_log "window gone between ${seen_at:+$((seen_at - last_row))} and $((gone_by - last_row)) ms after the last row was played"
  ((gone_by - last_row >= 2998)) || e2e_mismatch "the window went $((gone_by - last_row)) ms after the last row: less than 3 s"
  [[ -z $seen_at ]] || ((seen_at - last_row <= 5200)) ||
    e2e_mismatch "the window was still there $((seen_at - last_row)) ms after the last row"
fi
wait_until 10 e2e_app_ended || e2e_mismatch "the process still runs 10 s after its window went"
wait "$e2e_app_pid" 2>/dev/null || true
e2e_app_pid=""

# --- a file on the command line: minimized while it plays, back afterwards -------------------

rm -f "$settings"
events_before=$(target_event_count)
macro2="$APP_DIR/with_pause.csv"
write_macro "$macro2" "$x2,$y2,X,,," "-,-,-,-,-,4" "$x1,$y1,X,,,"
orv_start "$(win_path "$macro2")"
wait_until 20 target_has_events $((events_before + 2)) || fail "the file on the command line did not play"
drv_read iconic caption text "$kButtonPlay" status 3
expect_eq "minimized while playing" 1 "${R[0]}"
expect_eq "caption while playing" "with_pause.csv - QUENZAL - Orvalin" "${R[1]}"
expect_eq "Play button while playing" Stop "${R[2]}"
expect_eq "status panel 3 while playing" "Playing..." "${R[3]}"
shot play_loops-minimized
target_wait_events $((events_before + 4)) 20 || e2e_mismatch "the second row of the command-line file did not play"
wait_until 10 drv_is Play text "$kButtonPlay" || e2e_mismatch "Play did not return after the command-line run"
wait_until 10 drv_is 0 iconic || e2e_mismatch "the window was not brought back after the command-line run"
expect_controls <<'EOF_TABLE'
rows kListView1 => 3
exists          => 1
EOF_TABLE
expect_eq "pointer after a run without restore (the last step)" "$x1 $y1" "$(pointer_xy)"
shot play_loops-back
diff <(target_events | tail -n +$((events_before + 1)) | awk '{print $2, $5, $6}') - <<EOF_EVENTS ||
LDOWN $x2 $y2
LUP $x2 $y2
LDOWN $x1 $y1
LUP $x1 $y1
EOF_EVENTS
  e2e_mismatch "the command-line file's clicks differ (diff above: < logged, > expected)"

orv_stop
