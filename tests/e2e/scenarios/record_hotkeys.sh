#!/usr/bin/env bash
# The system-wide hotkeys, pressed while another program has the focus: Ctrl+Alt+R starts and
# stops recording, Ctrl+Alt+P plays and stops; the play hotkey does nothing while no steps are
# loaded; a second press within 250 ms of an accepted one is ignored; the letters come from
# settings.ini.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_target.sh
source "$(dirname "$0")/../lib_target.sh"
e2e_begin record_hotkeys

target_start
focus_x=$((TARGET_X + 40)) focus_y=$((TARGET_Y + 30))
focus_target() { xdotool mousemove --sync "$focus_x" "$focus_y" click --delay 0 1; }

# --- the default letters; nothing loaded -----------------------------------------------------

settings="$APP_DIR/settings.ini"
# Loop 2 without a Replay Delay: a run of the empty list would leave the field at 1.
printf '\xEF\xBB\xBF[Settings]\r\nLoop=2\r\nReplayDelay=0\r\n' >"$settings"
orv_start
focus_target

xdotool key ctrl+alt+p
sleep 0.5
expect_controls <<'EOF_TABLE'
enabled kLabel5       => 0
text kButtonPlay      => Play
text kSpinEdit1       => 2
text kButtonRecord    => Record
EOF_TABLE

xdotool key ctrl+alt+r
wait_until 2 drv_is Stop text "$kButtonRecord" || e2e_mismatch "Ctrl+Alt+R did not start recording"
expect_controls <<'EOF_TABLE'
status 2              => STOP: Ctrl + Alt + R
status 3              => Recording...
EOF_TABLE
sleep 0.6
xdotool key ctrl+alt+r
wait_until 2 drv_is Record text "$kButtonRecord" || e2e_mismatch "Ctrl+Alt+R did not stop recording"
drv_read status 2 status 3
expect_eq "status panels 2 and 3 after recording" "|" "${R[0]}|${R[1]}"
((($(step_count)) > 0)) || e2e_mismatch "recording by hotkey left no rows"

# Pressed twice 150 ms apart, the hotkey acts once: the second press falls in the 250 ms lock.
# Every time, not only the first; the pauses between tries vary so that they do not keep step
# with anything in the program.
twice=0
for pause in 0.35 0.6 0.45 0.8 0.5 0.7; do
  before=$(drv text "$kButtonRecord")
  xdotool key ctrl+alt+r
  sleep 0.15
  xdotool key ctrl+alt+r
  sleep "$pause"
  [[ $(drv text "$kButtonRecord") != "$before" ]] || twice=$((twice + 1))
done
expect_eq "tries of two presses 150 ms apart where the second press was not ignored (of 6)" 0 "$twice"
if [[ $(drv text "$kButtonRecord") == Stop ]]; then
  sleep 0.3
  xdotool key ctrl+alt+r
  wait_until 2 drv_is Record text "$kButtonRecord" || e2e_mismatch "Ctrl+Alt+R did not stop recording"
fi
shot record_hotkeys-default-letters
orv_stop

# --- letters from settings.ini; a file to play ------------------------------------------------

p1_x=$((TARGET_X + 300)) p1_y=$((TARGET_Y + 60))
p2_x=$((TARGET_X + 900)) p2_y=$((TARGET_Y + 90))
macro="$APP_DIR/paused.csv"
write_macro "$macro" "$p1_x,$p1_y,X,,," "-,-,-,-,-,3" "$p2_x,$p2_y,X,,,"
printf '\xEF\xBB\xBF[Settings]\r\nHotkeyCharRecord=Q\r\nAutomaticallyLoad=ON\r\nLastUsedFile=%s\r\n' \
  "$(win_path "$macro")" >"$settings"
orv_start
wait_until 10 drv_is 1 enabled "$kButtonPlay" || fail "the macro named in settings.ini was not loaded"
expect_controls <<'EOF_TABLE'
text kLabel1          => Hotkey: Ctrl + Alt + Q
text kLabel5          => Hotkey: Ctrl + Alt + P
enabled kLabel5       => 1
EOF_TABLE
clicks_before=$(target_event_count)
focus_target

xdotool key ctrl+alt+p
target_wait_events $((clicks_before + 4)) 3 || e2e_mismatch "Ctrl+Alt+P did not play the loaded steps"
expect_controls <<'EOF_TABLE'
text kButtonPlay      => Stop
status 2              => STOP: Ctrl + Alt + P
status 3              => Playing...
EOF_TABLE
# Stopped during the 3 s pause, well after the 250 ms lock: the click after it must never come.
sleep 0.4
xdotool key ctrl+alt+p
wait_until 2 drv_is Play text "$kButtonPlay" || e2e_mismatch "Ctrl+Alt+P did not stop playing"
sleep 3.5
expect_target_events "clicks of a run stopped by hotkey during its pause" "$clicks_before" <<EOF_EVENTS
LDOWN $focus_x $focus_y
LUP $focus_x $focus_y
LDOWN $p1_x $p1_y
LUP $p1_x $p1_y
EOF_EVENTS

# R is no longer the record hotkey; Q is.
xdotool key ctrl+alt+r
sleep 0.5
expect_controls <<'EOF_TABLE'
text kButtonRecord    => Record
EOF_TABLE
xdotool key ctrl+alt+q
wait_until 2 drv_is Stop text "$kButtonRecord" || e2e_mismatch "Ctrl+Alt+Q did not start recording"
expect_controls <<'EOF_TABLE'
status 2              => STOP: Ctrl + Alt + Q
EOF_TABLE
shot record_hotkeys-q-recording
sleep 0.6
xdotool key ctrl+alt+q
wait_until 2 drv_is Record text "$kButtonRecord" || e2e_mismatch "Ctrl+Alt+Q did not stop recording"

orv_stop
