#!/usr/bin/env bash
# Playing a macro file over a window that logs what it receives: every click row arrives at its
# screen position with the right buttons, "XX" as a double click, a pause row holds the run for
# its seconds, and a row that is not a position is skipped without stopping the run.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_target.sh
source "$(dirname "$0")/../lib_target.sh"
e2e_begin play_clicks

target_start
# Points far enough apart that no two clicks in a row make a double click by chance.
x1=$((TARGET_X + 100)) y1=$((TARGET_Y + 40))
x2=$((TARGET_X + 300)) y2=$((TARGET_Y + 70))
x3=$((TARGET_X + 500)) y3=$((TARGET_Y + 40))
x4=$((TARGET_X + 700)) y4=$((TARGET_Y + 70))
x5=$((TARGET_X + 900)) y5=$((TARGET_Y + 40))
x6=$((TARGET_X + 1100)) y6=$((TARGET_Y + 70))
x7=$((TARGET_X + 200)) y7=$((TARGET_Y + 100))

macro="$APP_DIR/clicks.csv"
write_macro "$macro" \
  "$x1,$y1,X,,," \
  "$x2,$y2,XX,,," \
  "$x3,$y3,,X,," \
  "$x4,$y4,,,X," \
  "-,-,-,-,-,1.5" \
  "$x5,$y5,X,,," \
  "left,$y5,X,,," \
  "$x6,$y6,,XX,," \
  "$x7,$y7,X,X,X,"

printf '\xEF\xBB\xBF[Settings]\r\nAutomaticallyLoad=ON\r\nLastUsedFile=%s\r\nStepDelay=100\r\n' \
  "$(win_path "$macro")" >"$APP_DIR/settings.ini"

orv_start
wait_until 10 drv_is 1 enabled "$kButtonPlay" ||
  fail "the macro named in settings.ini was not loaded (Play stays disabled)"
expect_controls <<'EOF_TABLE'
rows kListView1       => 9
cell kListView1 1 2   => XX
cell kListView1 4 5   => 1.5
caption               => clicks.csv - *
EOF_TABLE

click_control "$kButtonPlay"
# The first four rows take well under a second; the pause after them holds the run 1.5 s.
target_wait_events 10 20 || fail "the first four click rows did not arrive within 20 s"
# The run state, read with the clock of the message times: judged if the read came before the
# last row was played (a busy machine can be later than that).
drv_read text "$kButtonPlay" status 2 status 3 tick
while_playing=("${R[@]}")
target_wait_events 22 20 || e2e_mismatch "only $(target_event_count) of 22 button messages arrived"
if (($(target_event_count) >= 22)) && ((while_playing[3] < $(target_event_ms 17))); then
  expect_eq "Play button while playing" Stop "${while_playing[0]}"
  expect_eq "status panel 2 while playing" "STOP: Ctrl + Alt + P" "${while_playing[1]}"
  expect_eq "status panel 3 while playing" "Playing..." "${while_playing[2]}"
else
  e2e_log "the run state was read after the last row was played; not judged"
fi
wait_until 10 drv_is Play text "$kButtonPlay" || e2e_mismatch "Play did not return after the last row"
shot play_clicks-after

expect_target_events "the played clicks" <<EOF_EVENTS
LDOWN $x1 $y1
LUP $x1 $y1
LDOWN $x2 $y2
LUP $x2 $y2
LDBL $x2 $y2
LUP $x2 $y2
RDOWN $x3 $y3
RUP $x3 $y3
MDOWN $x4 $y4
MUP $x4 $y4
LDOWN $x5 $y5
LUP $x5 $y5
RDOWN $x6 $y6
RUP $x6 $y6
RDBL $x6 $y6
RUP $x6 $y6
LDOWN $x7 $y7
LUP $x7 $y7
RDOWN $x7 $y7
RUP $x7 $y7
MDOWN $x7 $y7
MUP $x7 $y7
EOF_EVENTS

# Rows follow each other one Step Delay (100 ms) apart; the pause row adds its 1.5 s, and the
# row after a pause comes one full Step Delay after the pause has run out. The skipped row
# still takes its step. Judged by when the player made each click (the message times): the
# pause can never be shorter, whereas a busy machine may delay any tick and a late step may be
# followed closely by the next, on schedule; the upper bounds leave a second for that. The
# speed of playback is measured in bench/.
if (($(target_event_count) >= 22)); then
  expect_between "ms from the right click to the middle click (one step)" 1 1100 \
    $(($(target_event_ms 9) - $(target_event_ms 7)))
  expect_between "ms from the middle click to the left click after the 1.5 s pause" 1598 2700 \
    $(($(target_event_ms 11) - $(target_event_ms 9)))
  expect_between "ms from the left click over the bad row to the right double click (two steps)" 1 1200 \
    $(($(target_event_ms 13) - $(target_event_ms 11)))
fi
drv_read status 2 status 3 enabled "$kButtonRecord"
expect_eq "status panel 2 after the run" "" "${R[0]}"
expect_eq "status panel 3 after the run" "" "${R[1]}"
expect_eq "Record enabled after the run" 1 "${R[2]}"

orv_stop
