#!/usr/bin/env bash
# Idle CPU under Wine: orvalin.exe waits with the cursor still, and the CPU time it, wineserver and
# the X server spend is measured while the main window is shown, minimized to the taskbar and
# hidden in the notification area. A tray program must cost next to nothing while it waits.
#
#   bash bench/idle_bench.sh [SECONDS_PER_PHASE] [RUNS]   (default 10 3)
#
# Needs build/win (bash tools/build.sh win). Prints min / median / max over the runs, in percent of
# one core; not part of the test run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win="$root/build/win"
seconds=${1:-10}
runs=${2:-3}
work=$(mktemp -d /tmp/orv-idlebench.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
drv_exe=$(find "$win" -name orvdrv.exe | head -1)
[[ -f $win/orvalin.exe && -n $drv_exe ]] || { echo "build the cross configuration first" >&2; exit 1; }
# Command ids from the header the program is built with.
eval "$(sed -nE 's/^[[:space:]]*(kCmd[A-Za-z0-9]+)[[:space:]]*=[[:space:]]*([0-9]+),.*/\1=\2/p' \
  "$root/app/control_ids.h")"

for n in $(seq 60 90); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; [[ -n ${ORV_BENCH_KEEP:-} ]] || rm -rf "$work"' EXIT
wineboot -i >/dev/null 2>&1 || true
wineserver -w
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1
wineserver -w

drv() { wine "$drv_exe" "$@" 2>/dev/null; }

# CPU time of every thread of a process so far, in nanoseconds (schedstat: time on a CPU).
cpu_ns() {
  local total=0 t v
  for t in /proc/"$1"/task/*/schedstat; do
    read -r v _ <"$t" 2>/dev/null || continue
    total=$((total + v))
  done
  echo "$total"
}

# The wineserver of this prefix (other prefixes on the machine have their own).
our_wineserver() {
  local p
  for p in $(pgrep -x "wineserver(64)?"); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
  done
}

# measure PHASE: CPU percent of one core of orvalin.exe, wineserver and Xvfb over $seconds.
measure() {
  local server a0 s0 x0 a1 s1 x1 start end
  server=$(our_wineserver)
  sleep 2  # what the change of phase set off settles first
  start=$(date +%s%N)
  a0=$(cpu_ns "$app"); s0=$(cpu_ns "$server"); x0=$(cpu_ns "$xvfb")
  sleep "$seconds"
  a1=$(cpu_ns "$app"); s1=$(cpu_ns "$server"); x1=$(cpu_ns "$xvfb")
  end=$(date +%s%N)
  awk -v p="$1" -v a=$((a1 - a0)) -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v t=$((end - start)) \
    'BEGIN { printf "%s %.3f %.3f %.3f\n", p, 100 * a / t, 100 * s / t, 100 * x / t }' >>"$work/results"
}

: >"$work/results"
for run in $(seq "$runs"); do
  dir="$work/run$run"
  mkdir -p "$dir"
  cp "$win/orvalin.exe" "$dir/"
  xdotool mousemove 1000 700  # away from the window, and still from here on
  (cd "$dir" && exec wine "$dir/orvalin.exe") >/dev/null 2>&1 &
  app=$!
  drv --wait 60000 wait-shown 60000 >/dev/null
  measure shown
  drv syscommand minimize >/dev/null
  measure minimized
  drv syscommand restore command "$kCmdMinimizeToSystemTray" syscommand minimize >/dev/null
  measure tray
  wineserver -k 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  wineserver -w 2>/dev/null || true
done

echo "idle CPU under Wine, % of one core, cursor still, ${seconds} s per phase, min / median / max of $runs runs"
printf '%-10s %-26s %-26s %-26s\n' phase orvalin.exe wineserver Xvfb
for phase in shown minimized tray; do
  line="$phase"
  for col in 2 3 4; do
    line+=" $(awk -v p="$phase" -v c="$col" '$1 == p { print $c }' "$work/results" | sort -n |
      awk '{ v[NR] = $1 } END { printf "%.2f/%.2f/%.2f", v[1], v[int((NR + 1) / 2)], v[NR] }')"
  done
  printf '%-10s %-26s %-26s %-26s\n' $line
done
echo "aim: orvalin.exe under 1 % of one core in every phase"
