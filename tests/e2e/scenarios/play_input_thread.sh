#!/usr/bin/env bash
# Playing at a 1 ms Step Delay with "Lock Mouse While Playing" off, where the rows go out from
# the input thread ahead of the window's own timer: every click lands on its own point, in order,
# a double click stays one, the pause row holds the run, and the cursor comes back to where it
# was when Play was pressed only after the last click. Stopped in the middle of an endless run,
# nothing is sent after Stop, no click is left half done, and the list shows the row of the last
# click that went out.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_target.sh
source "$(dirname "$0")/../lib_target.sh"
e2e_begin play_input_thread

target_start
# 300 click points 20 px apart over the target, a row of 60 points per line: far enough apart
# that two clicks a millisecond apart never make a double click by chance.
rows=()
expected=""
for ((k = 0; k < 300; k++)); do
  x=$((TARGET_X + 20 + (k % 60) * 20)) y=$((TARGET_Y + 20 + (k / 60) * 25))
  if ((k == 150)); then
    rows+=("-,-,-,-,-,0.3")
  fi
  if ((k == 200)); then
    rows+=("$x,$y,XX,,,")
    expected+="LDOWN $x $y"$'\n'"LUP $x $y"$'\n'"LDBL $x $y"$'\n'"LUP $x $y"$'\n'
  else
    rows+=("$x,$y,X,,,")
    expected+="LDOWN $x $y"$'\n'"LUP $x $y"$'\n'
  fi
done
macro="$APP_DIR/fast.csv"
write_macro "$macro" "${rows[@]}"
messages=$((300 * 2 + 2))

printf '\xEF\xBB\xBF[Settings]\r\nAutomaticallyLoad=ON\r\nLastUsedFile=%s\r\nStepDelay=1\r\nLockMouse=OFF\r\nRestoreMousePosition=AfterCompletion\r\n' \
  "$(win_path "$macro")" >"$APP_DIR/settings.ini"

orv_start
wait_until 10 drv_is 301 rows "$kListView1" || fail "the macro named in settings.ini was not loaded"

# Where the cursor is when Play is pressed (over the status bar, clear of the target). The
# press goes through the driver, so the pointer stays there.
read -r sx sy right bottom < <(drv window-rect)
sx=$((sx + 60)) sy=$((bottom - 12))
pointer_to "$sx" "$sy"
drv click "$kButtonPlay"
target_wait_events "$messages" 60 || e2e_mismatch "only $(target_event_count) of $messages button messages arrived"
wait_until 10 drv_is Play text "$kButtonPlay" || e2e_mismatch "Play did not return after the last row"
expect_target_events "the clicks played at 1 ms" <<<"$expected"
# The pause row holds the run 0.3 s between rows 149 and 150 (message times, ms).
if (($(target_event_count) >= messages)); then
  expect_between "ms from the click before the pause to the one after it" 299 1500 \
    $(($(target_event_ms 301) - $(target_event_ms 299)))
fi
expect_eq "cursor after the run (restored where Play was pressed)" "$sx $sy" "$(pointer_xy)"

# An endless run, stopped in its middle.
drv click "$kCheckBoxInfinite"
wait_until 5 drv_is 1 checked "$kCheckBoxInfinite" || fail "Infinite did not turn on"
before=$(target_event_count)
drv click "$kButtonPlay"
wait_until 30 target_has_events $((before + 200)) || fail "the endless run sent no clicks"
drv click "$kButtonPlay"
wait_until 10 drv_is Play text "$kButtonPlay" || fail "Stop did not end the run"
# The target takes its messages in its own time: wait until none arrive for a second.
settled=-1
until ((settled == $(target_event_count))); do
  settled=$(target_event_count)
  sleep 1
done
sleep 1
expect_eq "button messages after Stop" "$settled" "$(target_event_count)"
last=$(target_events | tail -n1)
read -r _ name _ _ lx ly _ <<<"$last"
[[ $name == LUP ]] || e2e_mismatch "the run ended inside a click: the last message is $last"
# The row of the last click's point (the double-click row has the same point as its own row).
k=$(((ly - TARGET_Y - 20) / 25 * 60 + (lx - TARGET_X - 20) / 20))
row=$((k >= 150 ? k + 1 : k))
shown=$(drv selected "$kListView1")
# Stopped during the pause, the pause row is the one playing.
((row == 149 && shown == 150)) || expect_eq "row shown after Stop (the last one sent)" "$row" "$shown"
shot play_input_thread-stopped

orv_stop
