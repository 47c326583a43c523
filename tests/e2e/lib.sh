# Shared toolkit of the end-to-end scenarios: a private X display, the Wine prefix, starting and
# stopping orvalin.exe, the outside driver, screenshots and assertions. Source it, then call
# e2e_begin <scenario-name>.
#
# Inputs (ctest passes them; by hand they default to the cross build dir build/win):
#   ORV_EXE            orvalin.exe to test
#   ORVDRV_EXE         the driver, orvdrv.exe
#   ORV_E2E_STATE      scratch space: the Wine prefix, per-scenario program folders, logs
#   ORV_E2E_ARTEFACTS  screenshots for people to look at
#
# Every scenario runs on an Xvfb display of its own, even when $DISPLAY works: the screen is
# exactly as large as Wine's virtual desktop (1280x800), so xdotool coordinates equal Windows
# screen coordinates, and no synthetic click can land on a developer's desktop.
#
# The Wine prefix is made once per suite run (the e2e_prepare_wine_prefix test) and reused by
# every scenario; a scenario run on its own makes it if it is missing.

set -euo pipefail

e2e_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
e2e_repo_dir=$(cd "$e2e_lib_dir/../.." && pwd)

: "${ORV_EXE:=$e2e_repo_dir/build/win/orvalin.exe}"
: "${ORVDRV_EXE:=$(dirname "$ORV_EXE")/tests/e2e/orvdrv.exe}"
: "${ORV_E2E_STATE:=$(dirname "$ORV_EXE")/e2e}"
: "${ORV_E2E_ARTEFACTS:=$(dirname "$ORV_EXE")/e2e-artefacts}"

export WINEPREFIX="$ORV_E2E_STATE/wineprefix"
export WINEDEBUG=-all
# Keep a fresh prefix from offering to download Mono and Gecko: no traffic leaves this machine.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset WINESERVER_PERSISTENT 2>/dev/null || true

# The control and command ids, straight from the header the program is built with:
# kLabel1=1001, kCmdExit=2004, ...
eval "$(sed -nE 's/^[[:space:]]*(k[A-Za-z0-9]+)[[:space:]]*=[[:space:]]*([0-9]+),.*/\1=\2/p' \
  "$e2e_repo_dir/app/control_ids.h")"

e2e_scenario=""
e2e_failures=0
e2e_xvfb_pid=""
e2e_app_pid=""
e2e_locked_dirs=()
APP_DIR=""
APPDATA_DIR=""

# --- messages ------------------------------------------------------------------------------

e2e_log() { printf '[%s] %s\n' "${e2e_scenario:-e2e}" "$*" >&2; }

# Stops the scenario at once.
fail() {
  printf '[%s] FAIL: %s\n' "${e2e_scenario:-e2e}" "$*" >&2
  e2e_shot_failure
  exit 1
}

# Records a failed expectation and lets the scenario go on, so that one run shows every
# difference; the scenario still ends with a failure.
e2e_mismatch() {
  printf '[%s] FAIL: %s\n' "${e2e_scenario:-e2e}" "$*" >&2
  e2e_failures=$((e2e_failures + 1))
  e2e_shot_failure
}

# The screen as it was at the first failure, while the windows involved are still there.
e2e_failure_shot_taken=""
e2e_shot_failure() {
  [[ -z $e2e_failure_shot_taken && -n ${DISPLAY:-} && -n $e2e_scenario ]] || return 0
  e2e_failure_shot_taken=1
  import -window root "$ORV_E2E_ARTEFACTS/$e2e_scenario-at-failure.png" 2>/dev/null &&
    e2e_log "screen at the first failure: $ORV_E2E_ARTEFACTS/$e2e_scenario-at-failure.png"
}

# --- the display ---------------------------------------------------------------------------

e2e_start_display() {
  local fdfile="$ORV_E2E_STATE/xvfb-display.$$" stale
  mkdir -p "$ORV_E2E_STATE"
  # A scenario killed outright (ctest's timeout) leaves its display behind; end it.
  if [[ -f $ORV_E2E_STATE/xvfb.pid ]]; then
    stale=$(cat "$ORV_E2E_STATE/xvfb.pid")
    [[ $(cat "/proc/$stale/comm" 2>/dev/null) == Xvfb ]] && kill "$stale" 2>/dev/null
    rm -f "$ORV_E2E_STATE/xvfb.pid"
  fi
  : >"$fdfile"
  # -displayfd: Xvfb picks a free display number itself and writes it once it accepts clients.
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 9>&- &
  e2e_xvfb_pid=$!
  local _
  for _ in $(seq 100); do
    [[ -s $fdfile ]] && break
    kill -0 "$e2e_xvfb_pid" 2>/dev/null || fail "Xvfb did not start"
    sleep 0.05
  done
  [[ -s $fdfile ]] || fail "Xvfb did not report a display within 5 s"
  DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
  export DISPLAY
  rm -f "$fdfile"
  echo "$e2e_xvfb_pid" >"$ORV_E2E_STATE/xvfb.pid"
}

e2e_stop_display() {
  if [[ -n $e2e_xvfb_pid ]]; then
    kill "$e2e_xvfb_pid" 2>/dev/null || true
    wait "$e2e_xvfb_pid" 2>/dev/null || true
    rm -f "$ORV_E2E_STATE/xvfb.pid"
    e2e_xvfb_pid=""
  fi
}

# --- the Wine prefix -----------------------------------------------------------------------

e2e_prefix_ready() { [[ -f $WINEPREFIX/.orvalin-e2e-ready ]]; }

# Makes a new prefix: about 10 s. Needs a display (wineboot opens windows).
e2e_prefix_create() {
  e2e_log "creating Wine prefix $WINEPREFIX"
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 9>&- || fail "wineboot -i failed for $WINEPREFIX"
  wineserver -w
  # Wine ships no Windows fonts; without these, symbol glyphs (split-button arrows) render as
  # letters.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  # The virtual desktop gives windows frames, a taskbar and a tray, and keeps hooks working
  # without a window manager.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 9>&- ||
    fail "cannot set the virtual desktop in the registry"
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1 9>&- ||
    fail "cannot set the virtual desktop size in the registry"
  # Where %APPDATA% lives on the Linux side (users/root/AppData/Roaming when run as root).
  local appdata
  appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null 9>&- | tr -d '\r')
  [[ $appdata == *:\\* ]] || fail "cannot read %APPDATA% in the new prefix (got '$appdata')"
  appdata=$(winepath -u "$appdata" 2>/dev/null 9>&- | tr -d '\r')
  readlink -f "$appdata" >"$WINEPREFIX/.orvalin-e2e-appdata"
  wineserver -w
  touch "$WINEPREFIX/.orvalin-e2e-ready"
}

# Takes the prefix for this process until it ends: one wineserver serves the whole prefix, so
# scenarios started side by side (two ctest runs, or one by hand) must take turns. Long-lived
# children (Xvfb, the wineserver that any wine command may start) get fd 9 closed, or they
# would hold the lock after the scenario.
e2e_prefix_lock() {
  mkdir -p "$ORV_E2E_STATE"
  exec 9>"$ORV_E2E_STATE/prefix.lock"
  flock 9
}

e2e_prefix_ensure() {
  e2e_prefix_ready || e2e_prefix_create
  APPDATA_DIR=$(cat "$WINEPREFIX/.orvalin-e2e-appdata")
  [[ -n $APPDATA_DIR ]] || fail "the prefix does not know its %APPDATA% folder"
}

# Ends every Windows process of this prefix (and nothing outside it).
e2e_kill_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# --- a scenario's life ---------------------------------------------------------------------

# e2e_begin NAME: display, prefix, a fresh program folder holding a copy of orvalin.exe, no
# per-user data left from earlier scenarios.
e2e_begin() {
  e2e_scenario=$1
  [[ -f $ORV_EXE ]] || fail "orvalin.exe not found at $ORV_EXE (build the cross configuration first)"
  [[ -f $ORVDRV_EXE ]] || fail "orvdrv.exe not found at $ORVDRV_EXE"
  trap e2e_end EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  e2e_prefix_lock
  mkdir -p "$ORV_E2E_ARTEFACTS"
  rm -f "$ORV_E2E_ARTEFACTS/$e2e_scenario"*.png
  e2e_start_display
  e2e_prefix_ensure
  e2e_kill_wine
  rm -rf "$APPDATA_DIR/QUENZAL"
  # Left in place afterwards for a look; the next run of the scenario starts it afresh.
  APP_DIR="$ORV_E2E_STATE/work/$e2e_scenario"
  rm -rf "$APP_DIR"
  mkdir -p "$APP_DIR"
  cp "$ORV_EXE" "$APP_DIR/orvalin.exe"
  E2E_LOG="$ORV_E2E_STATE/work/$e2e_scenario.log"
  : >"$E2E_LOG"
  e2e_log "display $DISPLAY, program folder $APP_DIR"
}

e2e_end() {
  local status=$?
  trap - EXIT
  set +e
  ((status == 0)) || e2e_shot_failure
  e2e_kill_wine
  [[ -n $e2e_app_pid ]] && wait "$e2e_app_pid" 2>/dev/null
  local dir
  for dir in "${e2e_locked_dirs[@]}"; do
    chattr -i "$dir" 2>/dev/null
    chmod u+w "$dir" 2>/dev/null
  done
  rm -rf "$APPDATA_DIR/QUENZAL" 2>/dev/null
  e2e_stop_display
  if ((status == 0 && e2e_failures > 0)); then
    e2e_log "$e2e_failures expectation(s) failed"
    status=1
  fi
  ((status == 0)) && e2e_log "passed"
  exit "$status"
}

# --- the program ---------------------------------------------------------------------------

# orv_start [ARGS...]: starts $APP_DIR/orvalin.exe (working folder: its own) and waits until its
# main window is shown, which the program does once its start-up has run.
orv_start() {
  (cd "$APP_DIR" && exec wine "$APP_DIR/orvalin.exe" "$@") >>"$E2E_LOG" 2>&1 9>&- &
  e2e_app_pid=$!
  drv --wait 30000 wait-shown 10000 >/dev/null || fail "orvalin.exe showed no main window (log: $E2E_LOG)"
}

# Ends the program the way a user does, File > Exit; kills it when it does not go.
orv_stop() {
  if [[ $(drv exists) == 1 ]]; then
    if ! drv command "$kCmdExit" wait-gone 10000 >/dev/null; then
      e2e_mismatch "the program did not end within 10 s of File > Exit; killing it"
      e2e_kill_wine
    fi
  fi
  if [[ -n $e2e_app_pid ]]; then
    # The window can be gone before the process has ended.
    wait_until 10 e2e_app_ended || e2e_mismatch "orvalin.exe still runs 10 s after its window went"
    wait "$e2e_app_pid" 2>/dev/null || true
    e2e_app_pid=""
  fi
}

# An ended child stays a zombie until it is waited for, and kill -0 still reaches a zombie.
e2e_app_ended() {
  local state
  state=$(sed -E 's/.*\) (.).*/\1/' "/proc/$e2e_app_pid/stat" 2>/dev/null) || return 0
  [[ $state == Z ]]
}

# drv ARGS...: runs the driver (see the top of driver/orvdrv.cpp for its commands) and prints
# its answer lines. When it fails, its message goes to stderr and its exit status is answered
# (which ends the scenario under set -e unless the caller tests it).
drv() {
  local out err status=0
  err=$(mktemp)
  # The "." keeps trailing empty answer lines, which $(...) would drop.
  out=$(wine "$ORVDRV_EXE" "$@" 2>"$err" 9>&- && printf .) || status=$?
  # On a busy machine wine now and then ends the driver with status 1 and not a word; the driver
  # explains every failure of its own on stderr, so that is no answer of its: start it once more.
  if ((status == 1)) && [[ ! -s $err ]]; then
    printf '[%s] the driver ended silently; starting it again: orvdrv %s\n' "${e2e_scenario:-e2e}" "$*" >&2
    status=0
    out=$(wine "$ORVDRV_EXE" "$@" 2>"$err" 9>&- && printf .) || status=$?
  fi
  if ((status != 0)); then
    printf '[%s] driver failed (exit %d): orvdrv %s\n%s\n' "${e2e_scenario:-e2e}" "$status" "$*" \
      "$(grep -v '^$' "$err")" >&2
    rm -f "$err"
    return "$status"
  fi
  rm -f "$err"
  printf '%s' "${out%.}"
}

# drv_read ARGS...: like drv, with the answer lines in the array R (an empty answer is an
# empty element).
drv_read() {
  local out
  out=$(drv "$@" && printf .) || fail "driver failed: orvdrv $*"
  R=()
  out=${out%.}
  [[ -z $out ]] || mapfile -t R < <(printf '%s' "$out")
}

# drv_is EXPECTED ARGS...: true when the driver's one answer line to ARGS is EXPECTED (for
# wait_until).
drv_is() {
  local expected=$1 out
  shift
  out=$(drv "$@" 2>/dev/null) && [[ $out == "$expected" ]]
}

# drv_is_not VALUE ARGS...: true when the driver answers ARGS with one line other than VALUE.
drv_is_not() {
  local value=$1 out
  shift
  out=$(drv "$@" 2>/dev/null) && [[ $out != "$value" ]]
}

# expect_controls < TABLE: one driver call for many queries, each line "QUERY => EXPECTED".
# A QUERY is a driver query whose words may name ids of control_ids.h (text kLabel1); EXPECTED
# is a shell pattern (X: [0-9]*).
expect_controls() {
  local line word i queries=() expected=() args=()
  while IFS= read -r line; do
    [[ $line == *" => "* ]] || continue
    queries+=("$(sed -E 's/[[:space:]]+$//' <<<"${line%% => *}")")
    expected+=("${line#* => }")
  done
  for i in "${!queries[@]}"; do
    for word in ${queries[i]}; do
      if [[ $word == k[A-Z]* ]]; then
        [[ -n ${!word:-} ]] || fail "no id $word in control_ids.h"
        args+=("${!word}")
      else
        args+=("$word")
      fi
    done
  done
  drv_read "${args[@]}"
  for i in "${!queries[@]}"; do
    expect_match "${queries[i]}" "${expected[i]}" "${R[i]-<no answer>}"
  done
}

# shot NAME: the whole screen (the virtual desktop) into the artefacts folder.
shot() {
  import -window root "$ORV_E2E_ARTEFACTS/$1.png" || fail "screenshot $1 failed"
  e2e_log "screenshot: $ORV_E2E_ARTEFACTS/$1.png"
}

# shot_main NAME: the main window alone.
shot_main() {
  local rect l t r b
  rect=$(drv window-rect) || fail "no main window to take a picture of"
  read -r l t r b <<<"$rect"
  ((l >= 0)) || l=0
  ((t >= 0)) || t=0
  # Painting follows the answered messages; let it finish.
  sleep 0.5
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$ORV_E2E_ARTEFACTS/$1.png" ||
    fail "screenshot $1 failed"
  e2e_log "screenshot: $ORV_E2E_ARTEFACTS/$1.png"
}

# pointer_to X Y: moves the pointer there and waits until it is there. (`xdotool mousemove
# --sync` alone waits for motion, which never comes when the pointer is there already.)
pointer_to() {
  local here
  here=$(xdotool getmouselocation)
  [[ $here == "x:$1 y:$2 "* ]] || xdotool mousemove --sync "$1" "$2"
}

# click_control ID: a real left click in the middle of a main-window control.
click_control() {
  local xy
  xy=$(drv center "$1") || fail "no screen position for control $1"
  # shellcheck disable=SC2086  # "x y"
  pointer_to $xy
  xdotool click --delay 0 1
}

# --- the step list and macro files ----------------------------------------------------------

# win_path UNIX-PATH: the name a Windows program in the prefix uses for the file (drive Z: is
# the Unix root).
win_path() { printf 'Z:%s\n' "${1//\//\\}"; }

# glob_quote TEXT: TEXT as a shell pattern that matches only itself (for expect_match).
glob_quote() { printf '%s\n' "$1" | sed 's/[][\\*?]/\\&/g'; }

# click_row ROW [CLICKS]: real left click(s) on a row of the step list (rows from 0).
click_row() {
  local xy
  xy=$(drv row-center "$kListView1" "$1") || fail "no screen position for step row $1"
  # shellcheck disable=SC2086  # "x y"
  pointer_to $xy
  xdotool click --repeat "${2:-1}" --delay 80 1
}

# drag_row FROM TO: presses on row FROM, moves in small steps onto row TO and lets go there.
drag_row() {
  local from to
  from=$(drv row-center "$kListView1" "$1") || fail "no screen position for step row $1"
  to=$(drv row-center "$kListView1" "$2") || fail "no screen position for step row $2"
  # shellcheck disable=SC2086  # "x y"
  drag_to $from $to
}

# drag_to X0 Y0 X1 Y1: a real left-button drag between two screen points, in ten steps (Wine
# merges motion that comes in a burst).
drag_to() {
  local i
  pointer_to "$1" "$2"
  xdotool mousedown 1
  for i in $(seq 10); do
    pointer_to $(($1 + ($3 - $1) * i / 10)) $(($2 + ($4 - $2) * i / 10))
    sleep 0.03
  done
  sleep 0.1
  xdotool mouseup 1
}

# type_into CAPTION TEXT: waits for a window with this caption to take the keyboard, then types
# TEXT into the control that has the focus.
type_into() {
  drv wait-window "$1" 10000 wait-active 5000 >/dev/null || fail "no active window captioned \"$1\""
  xdotool type --delay 15 -- "$2"
}

# answer_file_dialog CAPTION UNIX-PATH: answers the open ("Open") or save ("Save As") dialog as
# a user does: types the full name into its File name field and presses Enter.
answer_file_dialog() {
  local name
  name=$(win_path "$2")
  type_into "$1" "$name"
  # 1148: the dialog's File name box. The typed keys reach it a while after xdotool returns.
  if ! wait_until 20 drv_is "$name" wait-window "$1" 1000 dlg-text 1148; then
    drv_read wait-window "$1" 1000 dlg-text 1148
    fail "typed '$name' into the \"$1\" dialog; its File name box holds '${R[0]}'"
  fi
  xdotool key Return
}

# answer_overwrite_question ANSWER: the save dialog's question whether to replace an existing
# file (Wine captions it "Error"), answered Yes or No.
answer_overwrite_question() {
  drv_read wait-window Error 5000 dialog-text
  expect_match "the save dialog's question" '*already exists*replace*' "${R[0]}"
  drv wait-window Error 1000 press "$1" wait-window-gone Error 5000 >/dev/null ||
    fail "the replace question did not go after $1"
}

# expect_error_box TEXT-PATTERN: the program's error box (captioned "Orvalin") is shown with
# this text; OK closes it.
expect_error_box() {
  if ! drv_read_ok wait-window Orvalin 5000 dialog-text; then
    e2e_mismatch "no error box captioned Orvalin appeared (expected a text like '$1')"
    return
  fi
  expect_match "text of the error box" "$1" "${R[0]}"
  drv wait-window Orvalin 1000 press OK wait-window-gone Orvalin 5000 >/dev/null || fail "the error box did not close"
}

# drv_read_ok ARGS...: drv_read that answers 1 instead of ending the scenario when the driver
# fails.
drv_read_ok() {
  local out
  R=()
  out=$(drv "$@" 2>/dev/null && printf .) || return 1
  out=${out%.}
  [[ -z $out ]] || mapfile -t R < <(printf '%s' "$out")
}

# Unix path of the per-user settings file: %APPDATA%\QUENZAL\Orvalin\settings.ini.
appdata_settings() { printf '%s\n' "$APPDATA_DIR/QUENZAL/Orvalin/settings.ini"; }

# lock_folder DIR: makes DIR unwritable for the program, also for root (chmod alone does not
# stop root; the immutable attribute does). Answers 1 when no way works here.
lock_folder() {
  local dir=$1
  chmod a-w "$dir"
  e2e_locked_dirs+=("$dir")
  if touch "$dir/.probe" 2>/dev/null; then
    rm -f "$dir/.probe"
    chattr +i "$dir" 2>/dev/null || true
    if touch "$dir/.probe" 2>/dev/null; then
      rm -f "$dir/.probe"
      unlock_folder "$dir"
      return 1
    fi
  fi
}

unlock_folder() {
  chattr -i "$1" 2>/dev/null || true
  chmod u+w "$1"
}

# orv_settle [SETTINGS-FILE]: returns once the program has handled every message posted to it
# before the call: hotkeys, timer ticks, its own deferred updates (such as the step list showing
# rows its mouse hook appended). It posts Hotkey Beep, which the program writes to its settings
# file at once, and waits for the new value there: posted messages are handled in order. Input
# (keys, clicks) is not a posted message and may still wait. Side effect: Hotkey Beep is
# switched over each time. The file defaults to the one the program uses (the program folder's
# settings.ini when there is one, else the per-user one).
orv_settle() {
  local file=${1:-} want=OFF
  if [[ -z $file ]]; then
    file="$APP_DIR/settings.ini"
    [[ -f $file ]] || file=$(appdata_settings)
  fi
  file_has_line "$file" HotkeyBeep=OFF && want=ON
  drv command "$kCmdHotkeyBeep" >/dev/null || fail "cannot post Hotkey Beep to the program"
  wait_until 30 file_has_line "$file" "HotkeyBeep=$want" ||
    fail "the program did not handle a posted command within 30 s (no HotkeyBeep=$want in $file)"
}

# --- waiting and expectations --------------------------------------------------------------

# wait_until SECONDS COMMAND...: polls COMMAND every 0.1 s; answers 1 when time runs out.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

expect_eq() {  # expect_eq WHAT EXPECTED ACTUAL
  [[ $2 == "$3" ]] || e2e_mismatch "$1: expected '$2', got '$3'"
}

expect_match() {  # expect_match WHAT GLOB ACTUAL
  # shellcheck disable=SC2053  # the pattern is meant to match
  [[ $3 == $2 ]] || e2e_mismatch "$1: expected a text like '$2', got '$3'"
}

expect_file() { [[ -f $1 ]] || e2e_mismatch "expected the file $1"; }

expect_no_file() { [[ ! -e $1 ]] || e2e_mismatch "expected no file $1"; }

# expect_file_bytes FILE PRINTF-FORMAT: the file holds exactly these bytes.
expect_file_bytes() {
  local file=$1 expected
  if [[ ! -f $file ]]; then
    e2e_mismatch "expected the file $file"
    return
  fi
  expected=$(mktemp)
  # shellcheck disable=SC2059  # the format is the expected content
  printf "$2" >"$expected"
  if ! cmp -s "$expected" "$file"; then
    e2e_mismatch "$file differs from the expected bytes
  expected: $(od -An -c -v "$expected" | tr -s ' \n' ' ')
  actual:   $(od -An -c -v "$file" | tr -s ' \n' ' ')"
  fi
  rm -f "$expected"
}

# file_is_bytes FILE PRINTF-FORMAT: true when the file holds exactly these bytes (for
# wait_until; expect_file_bytes reports the difference).
file_is_bytes() {
  # shellcheck disable=SC2059  # the format is the expected content
  [[ -f $1 ]] && cmp -s <(printf "$2") "$1"
}

# The lines of an INI file without BOM and line-end CRs, for comparing contents.
ini_lines() {
  if [[ -f $1 ]]; then sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//' "$1"; else echo "<no file>"; fi
}

# expect_ini_line FILE LINE: an exact line (e.g. "Record=EventBased") of the file.
expect_ini_line() {
  if [[ ! -f $1 ]]; then
    e2e_mismatch "expected the file $1 (looking for '$2')"
  elif ! ini_lines "$1" | grep -qxF -- "$2"; then
    e2e_mismatch "$1 lacks the line '$2'; it holds: $(ini_lines "$1" | tr '\n' '|')"
  fi
}

expect_no_ini_line() {
  if [[ -f $1 ]] && ini_lines "$1" | grep -qxF -- "$2"; then
    e2e_mismatch "$1 should not hold the line '$2'"
  fi
}

# True when FILE exists and has exactly LINE.
file_has_line() { [[ -f $1 ]] && ini_lines "$1" | grep -qxF -- "$2"; }

# --- the interface language ------------------------------------------------------------------

# e2e_copy_languages: puts the built Languages folder (mapping and language files) beside the
# program's copy; without it every dialog is English whatever the display language.
e2e_copy_languages() {
  local built
  built="$(dirname "$ORV_EXE")/Languages"
  [[ -f $built/LanguageCodes.csv ]] || fail "no Languages folder beside $ORV_EXE (build the cross configuration)"
  rm -rf "$APP_DIR/Languages"
  cp -r "$built" "$APP_DIR/Languages"
}

# Wine takes the display language from the locale of the process, which the C library must
# know: a locale this machine lacks (say de_DE.UTF-8) is compiled once into the state folder.
# Answers the folder to give as LOCPATH, or nothing when the system has the locale.
e2e_locale_path() {
  local lang=$1 dir="$ORV_E2E_STATE/locales"
  [[ $(LC_ALL=$lang locale charmap 2>/dev/null) == "${lang#*.}" ]] && return 0
  if [[ ! -d $dir/$lang ]]; then
    mkdir -p "$dir"
    localedef -i "${lang%%.*}" -f "${lang#*.}" "$dir/$lang" >/dev/null 2>&1 || [[ -d $dir/$lang ]] ||
      fail "cannot compile the locale $lang (needs Debian's locales package)"
  fi
  printf '%s\n' "$dir"
}

# orv_launch_lang LANG [ARGS...]: starts the program with the display language and locale LANG
# (e.g. de_DE.UTF-8) and returns at once, for a start-up that shows a box before its window.
orv_launch_lang() {
  local lang=$1 locpath
  shift
  locpath=$(e2e_locale_path "$lang")
  (cd "$APP_DIR" && exec env ${locpath:+LOCPATH="$locpath"} LANG="$lang" LC_ALL="$lang" \
    wine "$APP_DIR/orvalin.exe" "$@") \
    >>"$E2E_LOG" 2>&1 9>&- &
  e2e_app_pid=$!
}

# orv_start_lang LANG [ARGS...]: orv_start with the display language LANG.
orv_start_lang() {
  orv_launch_lang "$@"
  drv --wait 30000 wait-shown 10000 >/dev/null || fail "orvalin.exe showed no main window (log: $E2E_LOG)"
}

# --- files held by another program (hostile-file scenarios) ----------------------------------

# hold_file_until_error_box WINDOWS-PATH: a driver in the background opens the file without
# sharing, as another program that has it open does, and holds it until an error box (captioned
# "Orvalin") comes up, which it reads and answers OK. Returns once the file is held; then
# expect_held_box checks what the box said.
held_out=""
held_pid=""
hold_file_until_error_box() {
  held_out="$ORV_E2E_STATE/work/$e2e_scenario.held"
  : >"$held_out"
  wine "$ORVDRV_EXE" lock-file "$1" wait-window Orvalin 60000 dialog-text press OK \
    wait-window-gone Orvalin 10000 >"$held_out" 2>&1 9>&- &
  held_pid=$!
  wait_until 30 grep -qx 1 "$held_out" || fail "the driver did not take hold of $1: $(cat "$held_out")"
}

expect_held_box() {  # expect_held_box WHAT TEXT-PATTERN
  wait "$held_pid" || e2e_mismatch "$1: no error box while the file was held: $(cat "$held_out")"
  expect_match "$1: text of the error box" "$2" "$(sed -n 2p "$held_out")"
}
