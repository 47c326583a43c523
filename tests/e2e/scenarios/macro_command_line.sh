#!/usr/bin/env bash
# A file named on the command line is loaded shortly after start and played with the window
# minimized; a missing one loads nothing and shows no error. A link counts by its target: a
# dangling one is a missing file, and the files after it still load.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin macro_command_line

settings="$APP_DIR/settings.ini"
macro="$APP_DIR/cmd.csv"
# Moves only, slow enough to watch: 1.5 s between steps, no mouse lock.
printf '100,100,,,,\r\n300,250,,,,\r\n' >"$macro"
printf '[Settings]\r\nStepDelay=1500\r\nLockMouse=OFF\r\n' >"$settings"

orv_start "$(win_path "$macro")"
# Read in the same driver call that sees the run start: it lasts only a few seconds.
if drv_read_ok wait-text "$kButtonPlay" Stop 20000 table "$kListView1" caption iconic status 3; then
  expect_eq "rows while playing" "100,100,,,,|300,250,,,," "${R[0]}"
  expect_eq "caption while playing" "cmd.csv - QUENZAL - Orvalin" "${R[1]}"
  expect_eq "minimized while playing" 1 "${R[2]}"
  expect_eq "status panel 3 while playing" "Playing..." "${R[3]}"
else
  e2e_mismatch "playback did not start within 20 s"
fi
shot macro_command_line-playing
expect_ini_line "$settings" "LastUsedFile=$(win_path "$macro")"
wait_until 15 drv_is Play text "$kButtonPlay" || e2e_mismatch "playback did not end within 15 s"
expect_eq "pointer after playing" "x:300 y:250" "$(xdotool getmouselocation | cut -d' ' -f1-2)"
orv_stop

orv_start "$(win_path "$APP_DIR/missing.csv")"
# The command line is read half a second after the start, in one tick: due after this sleep,
# handled once a command posted after it is.
sleep 0.7
orv_settle
orv_settle
expect_controls <<'EOF_TABLE'
rows kListView1      => 0
caption              => QUENZAL - Orvalin
enabled kButtonPlay  => 0
text kButtonPlay     => Play
iconic               => 0
EOF_TABLE
if drv_read_ok wait-window Orvalin 100 dialog-text; then
  e2e_mismatch "a missing file on the command line was reported: ${R[0]}"
fi
orv_stop

ln -s nowhere.csv "$APP_DIR/dead.csv"
orv_start dead.csv "$(win_path "$macro")"  # taken as typed: relative to the program folder
wait_until 20 drv_is Stop text "$kButtonPlay" || e2e_mismatch "playback did not start within 20 s"
expect_controls <<'EOF_TABLE'
table kListView1     => 100,100,,,,|300,250,,,,
caption              => cmd.csv - QUENZAL - Orvalin
EOF_TABLE
if drv_read_ok wait-window Orvalin 100 dialog-text; then
  e2e_mismatch "a dangling link on the command line was reported: ${R[0]}"
fi
orv_stop
