#!/usr/bin/env bash
# Playback timing under Wine: orvalin.exe, its main window shown and its list painting, plays
# click rows into click_sink.exe, a window that keeps what it receives in memory and writes it out
# at the end. The same rows played by a plain SetTimer loop (settimer_player.exe) are the
# baseline, run by turns with ours at every step delay. Once per run the same rows also go back to
# back with no timer at all ("blast", delay 0): its rate is the ceiling of the machine, what the
# system and the sink take in however fast a player sends.
#
#   bash bench/playback_bench.sh [ROWS] [RUNS] [DELAY_MS...]      (default 3000 3 1 10 100)
#   bash bench/playback_bench.sh --report RESULTS ROWS [DELAY_MS...]   the table again from the
#                                  per-run lines of a kept run (ORV_BENCH_KEEP=1 keeps its folder)
#
# Row k clicks a point of its own in the sink (a grid over the sink's client area; with more rows
# than points the grid repeats, and a row is known by its point and by coming after the one
# before). The sink lies in the strip above the main window, which opens in the middle of the
# 1280x800 desktop and is checked after each run not to reach into the grid, so no click can land
# on a window of ours, before, during or after the run.
#
# Figures per run: rows delivered against rows sent; rows/s between the first and the last
# delivered row; the lateness of each row k against the schedule start + k x delay, where start is
# the earliest schedule that no arrival precedes (min over k of arrival_k - k x delay, so no row is
# early and the best row is on time); the drift, which is the lateness of the last row. Arrival is
# when the sink's window procedure got the button-down. Each figure is printed as min/median/max
# over the runs.
#
# Needs build/win (bash tools/build.sh win). Not part of the test run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# report RESULTS: the table of min/median/max per player and delay.
report() {
  # Each figure as min/median/max of a results column over the runs of one player and delay.
  printf '\nplayback, %d click rows, min/median/max over the runs (ms unless said)\n' "$rows"
  printf '%-5s %-9s %-22s %-21s %-21s %-21s %-21s %s\n' delay player "rows delivered" rows/s "drift at last row" \
    "lateness p50" "lateness p99" "lateness max"
  local pairs=()
  for delay in "${delays[@]}"; do pairs+=("$delay orvalin" "$delay settimer"); done
  pairs+=("0 blast")
  for pair in "${pairs[@]}"; do
    read -r delay player <<<"$pair"
    {
      line=$(printf '%-5s %-9s' "$delay" "$player")
      for field in 4 7 8 9 10 11; do
        spread=$(awk -v p="$player" -v d="$delay" -v f="$field" '$1 == p && $2 == d { print $f }' "$1" |
          sort -n | awk '{ v[NR] = $1 } END { if (!NR) { print "-"; exit }
            m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%g/%g/%g", v[1], m, v[NR] }')
        case $field in
          4) line+=$(printf ' %-22s' "$spread of $rows") ;;
          *) line+=$(printf ' %-21s' "$spread") ;;
        esac
      done
      [[ $line == *[0-9]/* ]] && echo "$line"
    }
  done
}

if [[ ${1:-} == --report ]]; then
  results=$2 rows=$3
  shift 3
  delays=("$@")
  ((${#delays[@]})) || delays=(1 10 100)
  report "$results"
  exit 0
fi
win="$root/build/win"
rows=${1:-3000}
runs=${2:-3}
shift $(($# < 2 ? $# : 2))
delays=("$@")
((${#delays[@]})) || delays=(1 10 100)

find_exe() { find "$win" -name "$1" -print -quit; }
sink=$(find_exe click_sink.exe)
baseline=$(find_exe settimer_player.exe)
driver=$(find_exe orvdrv.exe)
[[ -n $sink && -n $baseline && -n $driver && -f $win/orvalin.exe ]] ||
  { echo "build/win lacks orvalin.exe or a bench program: bash tools/build.sh win" >&2; exit 1; }
kButtonPlay=$(sed -nE 's/^[[:space:]]*kButtonPlay[[:space:]]*=[[:space:]]*([0-9]+),.*/\1/p' "$root/app/control_ids.h")

work=$(mktemp -d /tmp/orv-playbench.XXXXXX)
# The program under test, fixed for the whole run even if build/win is rebuilt meanwhile.
cp "$win/orvalin.exe" "$work/orvalin.exe"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

: >"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; [[ -n ${ORV_BENCH_KEEP:-} ]] || rm -rf "$work"' EXIT
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1
wineserver -w

winpath() { printf 'Z:%s\n' "${1//\//\\}"; }
drv() { wine "$driver" "$@" 2>/dev/null | tr -d '\r'; }

# The grid of click points in the sink's client area (screen pixels): 8 px apart across, 6 down,
# 10 px inside the edges. Set by start_sink.
sink_x=0 sink_y=0 grid_cols=0 grid_rows=0

# start_sink DIR: opens the sink over the top of the desktop, above the main window.
start_sink() {
  local log="$1/clicks.log" ready _ w h
  wine "$sink" "$(winpath "$log")" 0 0 1280 172 >/dev/null 2>&1 &
  for _ in $(seq 240); do
    [[ -s $log ]] && ready=$(head -n1 "$log" | tr -d '\r') && [[ $ready == READY*[0-9] ]] && break
    sleep 0.5
  done
  [[ ${ready:-} == READY*[0-9] ]] || { echo "click_sink did not start" >&2; return 1; }
  read -r _ sink_x sink_y w h <<<"$ready"
  grid_cols=$(((w - 20) / 8 + 1))
  grid_rows=$(((h - 20) / 6 + 1))
}

# wait_for_clicks DIR: until every row has arrived, or none came for a while after the first.
wait_for_clicks() {
  local progress="$1/clicks.log.progress" count=0 last=-1 still=0 waited=0
  local quiet=$((10 + 3 * delay / 1000)) limit=$((120 + rows * delay * 3 / 1000))
  while ((waited < limit)); do
    sleep 1
    waited=$((waited + 1))
    read -r count _ <"$progress" 2>/dev/null || count=0
    ((count >= rows)) && return 0
    if ((count > 0 && count == last)); then
      still=$((still + 1))
      ((still >= quiet)) && return 0
    else
      still=0
    fi
    last=$count
  done
}

# stop_sink DIR: the sink writes its log and ends.
stop_sink() {
  local log="$1/clicks.log" _
  touch "$log.stop"
  for _ in $(seq 120); do
    tail -n1 "$log" 2>/dev/null | grep -q '^END' && return 0
    sleep 0.5
  done
  echo "click_sink wrote no log" >&2
}

# One run: play_run PLAYER DELAY RUN, then one line into $work/results:
# "player delay run delivered sent stray rows/s drift p50 p99 max".
play_run() {
  local player=$1 delay=$2 run=$3
  local dir="$work/$player-$delay-$run"
  mkdir -p "$dir"
  start_sink "$dir"
  awk -v n="$rows" -v x0="$sink_x" -v y0="$sink_y" -v cols="$grid_cols" -v grid="$grid_rows" 'BEGIN {
        for (k = 0; k < n; k++) {
          p = k % (cols * grid)
          printf "%d,%d,X,,,\r\n", x0 + 10 + (p % cols) * 8, y0 + 10 + int(p / cols) * 6
        } }' >"$dir/m.csv"
  local note=""
  if [[ $player == orvalin ]]; then
    cp "$work/orvalin.exe" "$dir/"
    # Loaded at start and played with the Play button's own path: the window stays shown.
    printf '\xEF\xBB\xBF[Settings]\r\nStepDelay=%s\r\nAutomaticallyLoad=ON\r\nAutomaticallyPlay=ON\r\nLastUsedFile=%s\r\n' \
      "$delay" "$(winpath "$dir/m.csv")" >"$dir/settings.ini"
    (cd "$dir" && exec wine "$dir/orvalin.exe") >/dev/null 2>&1 &
  else
    wine "$baseline" "$(winpath "$dir/m.csv")" "$delay" >/dev/null 2>&1 &
  fi
  wait_for_clicks "$dir"
  if [[ $player == orvalin ]]; then
    # The end of the run as the window shows it, and where the window is then.
    local state
    for _ in $(seq 20); do
      mapfile -t state < <(drv text "$kButtonPlay" iconic window-rect)
      [[ ${state[0]:-} == Play ]] && break
      sleep 0.5
    done
    [[ ${state[0]:-} == Play ]] || note+=" still-playing"
    [[ ${state[1]:-} == 0 ]] || note+=" minimized"
    local left top right bottom
    read -r left top right bottom <<<"${state[2]:-0 0 0 0}"
    local grid_right=$((sink_x + 10 + (grid_cols - 1) * 8)) grid_bottom=$((sink_y + 10 + (grid_rows - 1) * 6))
    if ((left <= grid_right && right > sink_x + 10 && top <= grid_bottom && bottom > sink_y + 10)); then
      note+=" main-window-over-click-points($left,$top,$right,$bottom)"
    fi
  fi
  stop_sink "$dir"
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [[ -z $note ]] || echo "  note: $player d=$delay run $run:$note" >&2

  tr -d '\r' <"$dir/clicks.log" |
    awk -v d="$delay" -v x0="$sink_x" -v y0="$sink_y" -v cols="$grid_cols" -v grid="$grid_rows" \
      -v out="$dir/lateness" -v head="$player $delay $run" -v sent="$rows" '
      $2 == "LDOWN" {
        cx = $5 - x0 - 10; cy = $6 - y0 - 10
        if (cx < 0 || cy < 0 || cx % 8 || cy % 6 || cx / 8 >= cols || cy / 6 >= grid) { stray++; next }
        p = cy / 6 * cols + cx / 8; cap = cols * grid
        # The first row after the last one known that clicks this point.
        k = last + 1 + ((p - (last + 1) % cap) % cap + cap) % cap
        if (k >= sent) { stray++; next }
        at[n] = $1; row[n] = k; n++; last = k
      }
      BEGIN { last = -1; n = 0 }  # n numeric from the start: at[""] is not at[0]
      END {
        if (n == 0) { printf "%s 0 %d %d 0 0 0 0 0\n", head, sent, stray; exit }
        start = at[0] - row[0] * d
        for (i = 1; i < n; i++) if (at[i] - row[i] * d < start) start = at[i] - row[i] * d
        for (i = 0; i < n; i++) printf "%.3f\n", at[i] - row[i] * d - start > out
        rate = n > 1 ? (n - 1) * 1000 / (at[n - 1] - at[0]) : 0
        printf "%s %d %d %d %.1f %.3f", head, n, sent, stray, rate, at[n - 1] - row[n - 1] * d - start
      }' >"$dir/summary"
  if [[ -s $dir/lateness ]]; then
    sort -n "$dir/lateness" | awk '{ s[NR] = $1 } END {
        r50 = int(NR * 0.50); if (r50 < NR * 0.50) r50++; if (r50 < 1) r50 = 1
        r99 = int(NR * 0.99); if (r99 < NR * 0.99) r99++; if (r99 < 1) r99 = 1
        printf " %.3f %.3f %.3f\n", s[r50], s[r99], s[NR] }' >>"$dir/summary"
  fi
  cat "$dir/summary" >>"$work/results"
  sed 's/^/  /' "$dir/summary" >&2
}

: >"$work/results"
echo "playback under Wine: $rows click rows, $runs runs, the main window shown (per-run lines on stderr)" >&2
# Run by run over all delays, so that a machine that gets busy halfway marks every delay alike.
for run in $(seq "$runs"); do
  for delay in "${delays[@]}"; do
    echo "  load average before orvalin d=$delay run $run: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
    play_run orvalin "$delay" "$run"
    play_run settimer "$delay" "$run"
  done
  # The ceiling: the same rows sent back to back, with no schedule (delay 0).
  play_run blast 0 "$run"
done

report "$work/results"
echo "aims: at 1 ms >= 990 rows/s, every row delivered, p99 < 2 ms, drift < 5 ms; at 10 and 100 ms p99 < 1 ms, drift < 2 ms"
echo "blast: the rows sent back to back with no timer; its rows/s is the most this machine delivers into the sink"
