#!/usr/bin/env bash
# With "Automatically Load Last Used File" on, the file settings.ini names is loaded at start,
# and played too with "Automatically Play"; otherwise, or when that file is gone, the list
# stays empty and nothing is reported.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin macro_automatic_load

settings="$APP_DIR/settings.ini"
macro="$APP_DIR/last.csv"
printf '100,100,,,,\r\n300,250,,,,\r\n' >"$macro"
last=$(win_path "$macro")
gone=$(win_path "$APP_DIR/gone.csv")

# case | settings lines, split by ";" | rows after start | Play button's text once started
while IFS='|' read -r -u 3 name lines rows play; do
  [[ -n $name ]] || continue
  e2e_log "case: $name"
  # Slow steps without mouse lock, so that a playback is seen and harmless: a run outlasts the
  # checks made while it goes, even on a busy machine.
  IFS=';' read -r -a stored <<<"$lines"
  printf '%s\r\n' '[Settings]' StepDelay=5000 LockMouse=OFF "${stored[@]}" >"$settings"
  orv_start
  # The load runs half a second after the start, in one tick: due after this sleep, handled
  # once a command posted after it is (the second one: the tick lets messages through once).
  sleep 0.7
  orv_settle
  orv_settle
  if [[ $rows != 0 ]]; then
    drv wait-rows "$kListView1" "$rows" 20000 >/dev/null || e2e_mismatch "$name: the last used file was not loaded"
  fi
  if [[ $play == Stop ]]; then
    # Read in the same driver call that sees the run going.
    if drv_read_ok wait-text "$kButtonPlay" Stop 20000 status 3; then
      expect_eq "$name: status panel 3 while playing" "Playing..." "${R[0]}"
    else
      e2e_mismatch "$name: playback did not start"
    fi
  else
    expect_eq "$name: Play button" Play "$(drv text "$kButtonPlay")"
  fi
  if [[ $rows != 0 ]]; then
    expect_controls <<'EOF_TABLE'
table kListView1     => 100,100,,,,|300,250,,,,
caption              => last.csv - QUENZAL - Orvalin
EOF_TABLE
  else
    expect_controls <<'EOF_TABLE'
rows kListView1      => 0
caption              => QUENZAL - Orvalin
enabled kButtonPlay  => 0
EOF_TABLE
  fi
  if drv_read_ok wait-window Orvalin 100 dialog-text; then
    e2e_mismatch "$name: an error box came up: ${R[0]}"
  fi
  orv_stop
done 3<<EOF_CASES
load on|AutomaticallyLoad=ON;LastUsedFile=$last|2|Play
load and play on|AutomaticallyLoad=ON;AutomaticallyPlay=ON;LastUsedFile=$last|2|Stop
load off|AutomaticallyLoad=OFF;AutomaticallyPlay=ON;LastUsedFile=$last|0|Play
file gone|AutomaticallyLoad=ON;AutomaticallyPlay=ON;LastUsedFile=$gone|0|Play
EOF_CASES
