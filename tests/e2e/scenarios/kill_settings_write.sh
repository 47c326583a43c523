#!/usr/bin/env bash
# The program killed outright while it rewrites settings.ini, with settings switched over as
# fast as the window takes them: after every kill the file holds exactly one of the contents the
# program can have written (never a mix, a cut or nothing), and no file of the write is left in
# the folder after it. ORV_KILL_ROUNDS kills (default 8); the next round starts the program
# again on what the kill left.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_kill.sh
source "$(dirname "$0")/../lib_kill.sh"
e2e_begin kill_settings_write

rounds=${ORV_KILL_ROUNDS:-8}
settings="$APP_DIR/settings.ini"
# Three menu switches, each one rewrite of the file; a large key the program does not use is
# written back with each, so that a write takes long enough to be hit. (Not "Minimize to System
# Tray": with it on, a window that gets minimized leaves the screen, and the switching with it.)
switches=("$kCmdHotkeyBeep" "$kCmdLockMouse" "$kCmdAutomaticallyClose")
filler=$(head -c 300000 /dev/zero | tr '\0' 'k')

# Every content the program may write: the eight combinations of the three switches, in the
# order of the seeded file.
candidates_dir="$ORV_E2E_STATE/work/kill_settings_write.candidates"
rm -rf "$candidates_dir"
mkdir -p "$candidates_dir"
candidates=()
for bits in $(seq 0 7); do
  on_off() { if (((bits >> $1) & 1)); then echo ON; else echo OFF; fi; }
  printf '\xEF\xBB\xBF[Settings]\r\nReplayDelay=1000\r\nHotkeyBeep=%s\r\nLockMouse=%s\r\nAutomaticallyClose=%s\r\nFiller=%s\r\n\r\n' \
    "$(on_off 0)" "$(on_off 1)" "$(on_off 2)" "$filler" >"$candidates_dir/$bits.ini"
  candidates+=("$candidates_dir/$bits.ini")
done
cp "${candidates[3]}" "$settings"

# True once settings.ini differs from what it held before the switching ($before).
file_changed() { [[ $(sha256sum <"$settings") != "$before" ]]; }

kills=0 damaged=0 left_after_kill=0 left_after_start=0
for round in $(seq "$rounds"); do
  orv_start
  # What a kill left is gone once the program has started.
  extras=$(folder_extras "$APP_DIR" orvalin.exe settings.ini)
  if [[ -n $extras ]]; then
    left_after_start=$((left_after_start + 1))
    e2e_mismatch "round $round: after the start the folder still holds: $(tr '\n' ' ' <<<"$extras")"
  fi
  before=$(sha256sum <"$settings")

  drv send-commands 1000000 "${switches[@]}" -- >/dev/null 2>"$ORV_E2E_STATE/work/kill_settings_write.sender" &
  sender=$!
  # Kill only once the switching runs: the file has changed at least once.
  wait_until 30 file_changed ||
    fail "round $round: settings.ini did not change within 30 s of switching settings; the driver: $(cat "$ORV_E2E_STATE/work/kill_settings_write.sender")"
  orv_kill "$(random_ms 0 400)"
  kills=$((kills + 1))
  wait "$sender" 2>/dev/null || true

  if ! bytes_is_one_of "$settings" "${candidates[@]}" >/dev/null; then
    damaged=$((damaged + 1))
    cp "$settings" "$ORV_E2E_STATE/work/kill_settings_write.damaged.$round" 2>/dev/null || true
    e2e_mismatch "round $round: after the kill settings.ini is none of the contents written ($(stat -c %s "$settings" 2>/dev/null || echo no file) bytes; kept as kill_settings_write.damaged.$round)"
    cp "${candidates[3]}" "$settings"  # so that each kill is judged on its own
  fi
  # The temporary file exists only marked for deletion: whatever moment the kill hit, the
  # system removed it with the process.
  extras=$(folder_extras "$APP_DIR" orvalin.exe settings.ini)
  if [[ -n $extras ]]; then
    left_after_kill=$((left_after_kill + 1))
    e2e_mismatch "round $round: the kill left $(cd "$APP_DIR" && stat -c '%n (%s bytes)' $extras | tr '\n' ' ')"
    (cd "$APP_DIR" && rm -f $extras)  # so that each kill is judged on its own
  fi
done

# The last kill's remains are cleared by the next start too.
orv_start
extras=$(folder_extras "$APP_DIR" orvalin.exe settings.ini)
[[ -z $extras ]] || e2e_mismatch "after the last start the folder still holds: $(tr '\n' ' ' <<<"$extras")"
bytes_is_one_of "$settings" "${candidates[@]}" >/dev/null || e2e_mismatch "settings.ini is damaged after the last start"
orv_stop
e2e_log "kills: $kills, files damaged: $damaged, kills that left a file of the write: $left_after_kill, starts that left one: $left_after_start"
