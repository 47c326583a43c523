# shellcheck shell=bash
# The click target for playback and recording scenarios: clicklog.exe, a window that logs every
# mouse button message it receives, plus macro files and the pointer. Source it after lib.sh
# and after e2e_begin.
#
#   target_start [X Y W H]        opens the target window; sets TARGET_LOG and the client area
#                                 in screen coordinates: TARGET_X TARGET_Y TARGET_W TARGET_H
#   target_events                 the logged button messages so far, one per line:
#                                 "<ms> <NAME> <client x> <client y> <screen x> <screen y>
#                                 <message time>"
#   target_keys [FROM]            the logged key events (from line FROM of the log on), with
#                                 TARGET_KEYS=1 set before target_start:
#                                 "<ms> KEYDOWN|KEYUP <virtual-key code> <event time>"
#   target_log_lines              how many lines the log has, a mark for target_keys FROM
#   send_hotkeys XDOTOOL-ARGS...  types Ctrl+Alt combinations into the target in one xdotool
#                                 call; returns once all of them reached the system
#   target_event_count            how many there are; target_has_events N: at least N
#   target_wait_events N [SECS]   waits until N button messages are logged
#   target_event_ms N             the message time (ms) of the Nth message, from 1: when the
#                                 input was made (GetTickCount's clock, as drv tick)
#   expect_target_events WHAT [SKIP]  compares the logged messages after the first SKIP, as
#                                 "NAME screen-x screen-y", with the lines of stdin
#   write_macro FILE ROW...       a macro file of these rows, CR LF after each
#   pointer_xy                    where the pointer is now, "x y"
#   drv_is EXPECTED QUERY...      the driver's answer is EXPECTED (for wait_until)
#   step_rows | step_count        the step list's rows, cells joined by ","; their number
#   win_path PATH                 the Windows name of a Unix path (drive Z: is the root)
#   expect_between WHAT LOW HIGH ACTUAL   an integer in a range

: "${CLICKLOG_EXE:=$(dirname "$ORV_EXE")/tests/e2e/clicklog.exe}"

TARGET_LOG=""
TARGET_KEYS=${TARGET_KEYS:-0}
TARGET_X=0
TARGET_Y=0
TARGET_W=0
TARGET_H=0

win_path() { printf 'Z:%s\n' "${1//\//\\}"; }

# The main window opens in the middle of the 1280x800 desktop (254..1026 x 177..623); the
# default place of the target is the free strip below it, so that neither window covers the
# other whichever of them is active.
target_start() {
  local x=${1:-0} y=${2:-630} w=${3:-1280} h=${4:-170} ready _
  [[ -f $CLICKLOG_EXE ]] || fail "clicklog.exe not found at $CLICKLOG_EXE"
  TARGET_LOG="$ORV_E2E_STATE/work/$e2e_scenario.clicks.log"
  rm -f "$TARGET_LOG"
  local keys=()
  ((TARGET_KEYS)) && keys=(keys)
  wine "$CLICKLOG_EXE" "$(win_path "$TARGET_LOG")" "$x" "$y" "$w" "$h" "${keys[@]}" >>"$E2E_LOG" 2>&1 9>&- &
  wait_until 60 target_ready || fail "the click target wrote no READY line within 60 s"
  ready=$(target_lines | head -n1)
  read -r _ _ TARGET_X TARGET_Y TARGET_W TARGET_H <<<"$ready"
  ((TARGET_W > 100 && TARGET_H > 50)) || fail "the click target's client area is too small: $ready"
  # The window is shown once it is created; give the desktop a moment to map it.
  wait_until 10 target_mapped || fail "the click target window is not on the screen"
  e2e_log "click target: client area ${TARGET_W}x$TARGET_H at $TARGET_X,$TARGET_Y"
}

# The log's lines without the CR that the C runtime under Windows writes.
target_lines() { tr -d '\r' <"$TARGET_LOG"; }

target_ready() { [[ -s $TARGET_LOG ]] && target_lines | head -n1 | grep -q ' READY .*[0-9]$'; }

target_mapped() { xdotool search --onlyvisible --name '^Orvalin Click Target$' >/dev/null 2>&1; }

target_events() { target_lines | tail -n +2 | awk '$2 !~ /^KEY/'; }

target_log_lines() { target_lines | wc -l; }

target_keys() { target_lines | tail -n +"${1:-1}" | awk '$2 ~ /^KEY/'; }

# target_keys_up VK: how many times the target saw this key let go (162: the left Ctrl, which
# xdotool presses).
target_keys_up() { target_keys | awk -v vk="$1" '$2 == "KEYUP" && $3 == vk' | wc -l; }

target_has_keys_up() { (($(target_keys_up "$1") >= $2)); }

# send_hotkeys XDOTOOL-ARGS...: one xdotool call of Ctrl+Alt combinations (e.g. key ctrl+alt+r
# sleep 0.1 key ctrl+alt+r), with TARGET_KEYS=1. Returns once the target's key hook has seen the
# last Ctrl of it let go: the system handles key events in order, so by then each hotkey among
# them has been posted to the program that registered it (orv_settle then waits until that
# program has handled it).
send_hotkeys() {
  local before presses
  ((TARGET_KEYS)) || fail "send_hotkeys needs TARGET_KEYS=1 before target_start"
  before=$(target_keys_up 162)
  presses=$(grep -o 'ctrl+' <<<"$*" | wc -l)
  xdotool "$@"
  wait_until 20 target_has_keys_up 162 $((before + presses)) ||
    fail "the click target's key hook did not see the keys of 'xdotool $*'"
}

target_event_count() { target_events | wc -l; }

target_has_events() { (($(target_event_count) >= $1)); }

target_wait_events() {
  wait_until "${2:-10}" target_has_events "$1"
}

# expect_target_events WHAT [SKIP]: compares the messages logged so far, leaving out the first
# SKIP, with the expected ones on stdin ("NAME screen-x screen-y" a line).
expect_target_events() {
  local what=$1 skip=${2:-0} expected actual
  expected=$(grep -v '^[[:space:]]*$' || true)
  actual=$(target_events | tail -n +$((skip + 1)) | awk '{print $2, $5, $6}')
  [[ $actual == "$expected" ]] ||
    e2e_mismatch "$what: the click target logged
    ${actual//$'\n'/$'\n'    }
  expected
    ${expected//$'\n'/$'\n'    }"
}

# The message time (ms) of the Nth button message (from 1): when the input was made, so that a
# target slow to handle it does not shift it.
target_event_ms() { target_events | awk -v n="$1" 'NR == n {printf "%d\n", $7}'; }

# drv_is EXPECTED QUERY...: the driver answers exactly EXPECTED; for wait_until, e.g.
# wait_until 5 drv_is Play text "$kButtonPlay".
drv_is() {
  local expected=$1
  shift
  [[ $(drv "$@" 2>/dev/null) == "$expected" ]]
}

# The step list, a row a line, cells joined by ",": what a macro file of it would hold.
step_rows() {
  local table
  table=$(drv table "$kListView1") || fail "cannot read the step list"
  [[ -z $table ]] || tr '|' '\n' <<<"$table"
}

step_count() { drv rows "$kListView1"; }

write_macro() {
  local file=$1 row
  shift
  : >"$file"
  for row in "$@"; do printf '%s\r\n' "$row" >>"$file"; done
}

pointer_xy() { xdotool getmouselocation | sed -E 's/^x:([0-9-]+) y:([0-9-]+).*/\1 \2/'; }

# expect_between WHAT LOW HIGH ACTUAL
expect_between() {
  (($4 >= $2 && $4 <= $3)) || e2e_mismatch "$1: expected $2..$3, got $4"
}
