#!/usr/bin/env bash
# Playback timing under Wine: orvalin.exe plays click rows into a logging window, and each
# row's arrival is compared with its place on the schedule (row k at k*d after the first row's
# slot). The same rows played by a plain SetTimer loop are the baseline.
#
#   bash bench/playback_bench.sh [ROWS_AT_1MS] [ROWS_AT_10MS] [ROWS_AT_100MS]   (default 10000 10000 1000)
#
# Needs build/win (bash tools/build.sh win). Prints one table; not part of the test run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win="$root/build/win"
work=$(mktemp -d /tmp/orv-playbench.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

for n in $(seq 60 90); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; [[ -n ${ORV_BENCH_KEEP:-} ]] || rm -rf "$work"' EXIT
wineboot -i >/dev/null 2>&1 || true
wineserver -w
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1

clicks=$(find "$win" -name clicklog.exe | head -1)
baseline=$(find "$win" -name settimer_player.exe | head -1)

# stats LOG STEP: median and p99 lateness against the schedule, drift at the last row, rows/s.
stats() {
  local errors summary
  errors=$(awk -v d="$2" '$2 == "LDOWN" || $2 == "LDBL" { t[n++] = $1 }
    END { if (n < 2) exit; t0 = t[0] - d
          for (k = 0; k < n; k++) printf "%.3f\n", t[k] - (t0 + (k + 1) * d) }' "$1")
  [[ -n $errors ]] || { echo "no rows"; return; }
  summary=$(awk -v d="$2" '$2 == "LDOWN" || $2 == "LDBL" { t[n++] = $1 }
    END { t0 = t[0] - d; printf "%d %.3f %.1f", n, t[n-1] - (t0 + n * d), (n - 1) * 1000 / (t[n-1] - t[0]) }' "$1")
  read -r count drift rate <<< "$summary"
  sort -n <<< "$errors" | awk -v n="$count" -v drift="$drift" -v rate="$rate" '{ s[NR] = $1 }
    END { printf "%6d rows  median %8.3f  p99 %9.3f  drift %9.3f  %7.1f rows/s", n, s[int((NR - 1) * 0.5) + 1], s[int((NR - 1) * 0.99) + 1], drift, rate }'
}

run() {  # run ROWS STEP MODE -> log path
  local rows=$1 step=$2 mode=$3
  local dir="$work/$mode-$step"
  mkdir -p "$dir"
  cp "$win/orvalin.exe" "$dir/"
  awk -v n="$rows" 'BEGIN { for (i = 0; i < n; i++) printf "%d,%d,X,,,\r\n", 300 + (i % 2) * 40, 300 }' > "$dir/m.csv"
  printf '\xEF\xBB\xBF[Settings]\r\nStepDelay=%s\r\nLockMouse=OFF\r\n' "$step" > "$dir/settings.ini"
  wine "$clicks" "$(winepath -w "$dir/clicks.log")" 100 100 600 400 >/dev/null 2>&1 &
  sleep 2
  if [[ $mode == orvalin ]]; then
    wine "$dir/orvalin.exe" "$(winepath -w "$dir/m.csv")" >/dev/null 2>&1 &
  else
    wine "$baseline" "$(winepath -w "$dir/m.csv")" "$step" >/dev/null 2>&1 &
  fi
  local want=$rows waited=0
  local got=0
  while (( got < want )); do
    got=$(grep -c -E ' (LDOWN|LDBL) ' "$dir/clicks.log" 2>/dev/null || true)
    got=${got:-0}
    (( got >= want )) && break
    sleep 1; waited=$((waited + 1))
    (( waited > rows * step / 1000 * 3 + 60 )) && break
  done
  wineserver -k 2>/dev/null || true
  sleep 1
  echo "$dir/clicks.log"
}

echo "playback timing under Wine (ms; lateness of each row against k*d)"
for run_args in "${1:-10000} 1" "${2:-10000} 10" "${3:-1000} 100"; do
  set -- $run_args
  ours=$(run "$1" "$2" orvalin)
  base=$(run "$1" "$2" settimer)
  printf 'd=%3s ms  orvalin   %s\n' "$2" "$(stats "$ours" "$2")"
  printf 'd=%3s ms  SetTimer  %s\n' "$2" "$(stats "$base" "$2")"
done
echo "aims: at 1 ms >= 950 rows/s and p99 < 2 ms; drift at the last row < 5 ms at every delay"
