#!/usr/bin/env bash
# The program killed outright while it saves a large macro (200,000 rows) over an existing
# file: after every kill the file holds exactly its old bytes or exactly the new ones, and no
# file of the save is left in the folder.
# ORV_KILL_ROUNDS kills (default 3); each round starts the program again and loads the rows
# anew.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_kill.sh
source "$(dirname "$0")/../lib_kill.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin kill_macro_save

rounds=${ORV_KILL_ROUNDS:-3}
rows=200000
work="$ORV_E2E_STATE/work/kill_macro_save.files"
rm -rf "$work"
mkdir -p "$work"
# The rows the program saves (loaded from rows.csv, written exactly so back) and the different
# bytes the target holds before each save.
awk -v n=$rows 'BEGIN { for (i = 0; i < n; i++) printf "%d,%d,X,,,%d\r\n", i % 1280, i % 800, i }' >"$APP_DIR/rows.csv"
awk -v n=$rows 'BEGIN { for (i = 0; i < n; i++) printf "-,-,-,-,-,%d.5\r\n", i }' >"$work/old.csv"
cp "$APP_DIR/rows.csv" "$work/new.csv"
target="$APP_DIR/t.csv"

# load_rows: a fresh start with rows.csv in the step list (and named in settings.ini).
load_rows() {
  orv_start
  drv drop "$(win_path "$APP_DIR/rows.csv")" -- wait-rows "$kListView1" "$rows" 120000 >/dev/null ||
    fail "rows.csv was not loaded"
  wait_until 20 file_has_line "$APP_DIR/settings.ini" "LastUsedFile=$(win_path "$APP_DIR/rows.csv")" ||
    fail "settings.ini does not name rows.csv after loading it"
}

# save_over_target: Save, the name of t.csv, and Yes to replacing it, pressed by the driver in
# the background (its process: $presser), so that the save's start can be watched for at once.
save_over_target() {
  drv click "$kButton5" >/dev/null
  answer_file_dialog "Save As" "$target"
  drv_read wait-window Error 5000 dialog-text
  expect_match "the save dialog's question" '*already exists*replace*' "${R[0]}"
  drv wait-window Error 1000 press Yes >/dev/null 2>&1 &
  presser=$!
}

expected_files=(orvalin.exe settings.ini rows.csv t.csv)

# How long one whole save takes here, from the first sign of it (its temporary file) until that
# file is gone again: the kills fall within that time after the same sign, or a little later.
load_rows
cp "$APP_DIR/settings.ini" "$work/settings.before"
cp "$work/old.csv" "$target"
save_over_target
save_us=$(name_lifetime_us "$target.orvtmp" 120) || fail "the save did not begin and end within 120 s"
wait "$presser" 2>/dev/null || true
wait_until 20 cmp -s "$target" "$work/new.csv" || fail "the save did not write t.csv"
wait_until 20 drv_is "t.csv - QUENZAL - Orvalin" caption || fail "no caption from the save"
# The save names t.csv in settings.ini last: a kill leaves that file as before or as after.
wait_until 20 file_has_line "$APP_DIR/settings.ini" "LastUsedFile=$(win_path "$target")" ||
  fail "settings.ini does not name t.csv after the save"
cp "$APP_DIR/settings.ini" "$work/settings.after"
e2e_log "one save of $rows rows: about $((save_us / 1000)) ms (measured from outside)"
orv_stop

kills=0 damaged=0 kept_old=0 took_new=0 left_after_kill=0
for round in $(seq "$rounds"); do
  load_rows
  [[ ! -e $APP_DIR/settings.ini.orvtmp ]] || e2e_mismatch "round $round: the start left settings.ini.orvtmp"
  # The kill watches for this name to appear: one the last kill left would set it off early.
  rm -f "$target.orvtmp"
  cp "$work/old.csv" "$target"
  save_over_target
  # Up to twice the time seen from outside: the last steps of the save are hit too.
  orv_kill_after_name "$target.orvtmp" "$(random_us 0 $((save_us * 2)))" 30
  wait "$presser" 2>/dev/null || true
  kills=$((kills + 1))
  if which=$(bytes_is_one_of "$target" "$work/old.csv" "$work/new.csv"); then
    # Old bytes mean the kill came before the save ended.
    if [[ $which == */old.csv ]]; then kept_old=$((kept_old + 1)); else took_new=$((took_new + 1)); fi
  else
    damaged=$((damaged + 1))
    cp "$target" "$work/damaged.$round" 2>/dev/null || true
    e2e_mismatch "round $round: after the kill t.csv is neither the old nor the new bytes ($(stat -c %s "$target" 2>/dev/null || echo no file) bytes)"
  fi
  if ! bytes_is_one_of "$APP_DIR/settings.ini" "$work/settings.before" "$work/settings.after" >/dev/null; then
    damaged=$((damaged + 1))
    e2e_mismatch "round $round: after the kill settings.ini is neither as before the save nor as after it"
    cp "$work/settings.before" "$APP_DIR/settings.ini"
  fi
  # The temporary file exists only marked for deletion: whatever moment the kill hit, the
  # system removed it with the process.
  extras=$(folder_extras "$APP_DIR" "${expected_files[@]}")
  if [[ -n $extras ]]; then
    left_after_kill=$((left_after_kill + 1))
    e2e_mismatch "round $round: the kill left $(cd "$APP_DIR" && stat -c '%n (%s bytes)' $extras | tr '\n' ' ')"
    (cd "$APP_DIR" && rm -f $extras)  # so that each kill is judged on its own
  fi
done

# One whole save more after the kills.
load_rows
cp "$work/old.csv" "$target"
save_over_target
name_lifetime_us "$target.orvtmp" 120 >/dev/null || true
wait "$presser" 2>/dev/null || true
wait_until 20 cmp -s "$target" "$work/new.csv" || e2e_mismatch "the last save did not write t.csv"
orv_stop
extras=$(folder_extras "$APP_DIR" "${expected_files[@]}")
[[ -z $extras ]] || e2e_mismatch "after the last save the folder still holds: $(tr '\n' ' ' <<<"$extras")"
e2e_log "kills: $kills, files damaged: $damaged (killed mid-save, old bytes kept: $kept_old; after it, new bytes whole: $took_new), kills that left a file of the write: $left_after_kill"
