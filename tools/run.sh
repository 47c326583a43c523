#!/usr/bin/env bash
# Builds orvalin.exe and runs it under Wine: on the current display when there is one, otherwise
# on a virtual display, where it saves a screenshot of the program and says where.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

bash "$root/tools/deps.sh"
bash "$root/tools/build.sh" win

export WINEPREFIX="$root/build/wine-run"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

own_display=""
if [[ -z ${DISPLAY:-} ]] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 90 120); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    own_display=$!
    export DISPLAY=":$n"
    break
  done
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

if [[ ! -d $WINEPREFIX/drive_c ]]; then
  echo "Preparing a Wine prefix in $WINEPREFIX ..."
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  # Wine's virtual desktop gives windows frames, a taskbar and a tray on any X server.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1
  wineserver -w
fi

# The program keeps its settings beside itself when that folder is writable.
app_dir="$root/build/run"
mkdir -p "$app_dir"
cp "$root/build/win/orvalin.exe" "$app_dir/"

if [[ -z $own_display ]]; then
  echo "Starting orvalin.exe on display $DISPLAY (close it to finish)."
  wine "$app_dir/orvalin.exe" "$@"
  wineserver -w
else
  wine "$app_dir/orvalin.exe" "$@" &
  sleep 6
  shot="$root/build/orvalin-screenshot.png"
  import -window root "$shot"
  wineserver -k || true
  kill "$own_display" 2>/dev/null || true
  echo "No display was available: orvalin.exe ran on a virtual display."
  echo "Screenshot: $shot"
fi
