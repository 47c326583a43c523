#!/usr/bin/env bash
# "Restore Mouse Position After Each Step" puts the cursor back right after each click row; the
# clicks must still land on their rows' points, not where the cursor went back to. The pointer
# rests on the click target, so a click sent to the restored point would be logged there.
# Each row is a different point far from the others, so that no two clicks make a double click
# by chance. The mouse lock is off: a locked cursor cannot be moved away while a row clicks,
# which would hide a click sent without its point. Where the cursor ends is not judged:
# Wine: the X pointer warp of a SetCursorPos comes back as a motion event that can move the
# cursor again after the restore.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_target.sh
source "$(dirname "$0")/../lib_target.sh"
e2e_begin play_restore_each_step

target_start
rest_x=$((TARGET_X + TARGET_W - 40)) rest_y=$((TARGET_Y + TARGET_H / 2))
rows=() expected=""
for i in $(seq 0 23); do
  x=$((TARGET_X + 20 + i * 45)) y=$((TARGET_Y + 20 + (i % 4) * 35))
  case $((i % 8)) in
    3) rows+=("$x,$y,,X,,") expected+="RDOWN $x $y"$'\n'"RUP $x $y"$'\n' ;;
    5) rows+=("$x,$y,XX,,,") expected+="LDOWN $x $y"$'\n'"LUP $x $y"$'\n'"LDBL $x $y"$'\n'"LUP $x $y"$'\n' ;;
    *) rows+=("$x,$y,X,,,") expected+="LDOWN $x $y"$'\n'"LUP $x $y"$'\n' ;;
  esac
done
want=$(grep -c . <<<"$expected")

macro="$APP_DIR/restore.csv"
write_macro "$macro" "${rows[@]}"
printf '\xEF\xBB\xBF[Settings]\r\nAutomaticallyLoad=ON\r\nLastUsedFile=%s\r\nStepDelay=20\r\nLockMouse=OFF\r\nRestoreMousePosition=AfterEachStep\r\n' \
  "$(win_path "$macro")" >"$APP_DIR/settings.ini"

orv_start
wait_until 20 drv_is 1 enabled "$kButtonPlay" ||
  fail "the macro named in settings.ini was not loaded (Play stays disabled)"
expect_controls <<EOF_TABLE
rows kListView1       => ${#rows[@]}
EOF_TABLE

pointer_to "$rest_x" "$rest_y"
drv click "$kButtonPlay" >/dev/null  # posted to the button: the pointer stays where it rests
# The run takes about half a second, less than one look from the driver may take under load:
# judge it by the clicks that arrive, not by catching the button reading "Stop".
target_wait_events "$want" 10 || e2e_mismatch "only $(target_event_count) of $want button messages arrived"
wait_until 20 drv_is Play text "$kButtonPlay" || e2e_mismatch "Play did not return after the last row"
shot play_restore_each_step-after

expect_target_events "the clicks played with the cursor put back after each row" <<<"$expected"

orv_stop
