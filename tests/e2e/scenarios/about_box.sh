#!/usr/bin/env bash
# "About..." opens the about box over its letter rain with the product and version; with Stay on
# Top on, settings.ini reads StayOnTop=OFF while the box is open and ON again after. "License..."
# opens license.txt in Notepad, or shows "File not found!" once the file is gone. Double-clicking
# the icon slides the content panel away and reveals the picture; Esc closes the box. Pictures
# of the box are kept at 96 and 144 DPI.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale
e2e_begin about_box

# The prefix is shared: whatever DPI this scenario sets, the next one finds 96 again.
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
about_box_end() {
  local status=$?
  set_dpi 96
  (exit "$status")
  e2e_end
}
trap about_box_end EXIT

cp "$(dirname "$ORV_EXE")/license.txt" "$APP_DIR/license.txt"
ini="$APP_DIR/settings.ini"
caption="About Orvalin"

# open_about: About... from the Help menu; waits for the box and its first rain.
open_about() {
  drv command "$kCmdAbout" >/dev/null
  drv wait-window "$caption" 20000 >/dev/null || fail "About... opened no box"
}

# box_shot NAME: the about box alone.
box_shot() {
  local l t r b
  read -r l t r b <<<"$(drv wait-window "$caption" 1000 dialog-rect)"
  sleep 0.5  # a few rain ticks on the screen
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$ORV_E2E_ARTEFACTS/$1.png" ||
    fail "screenshot $1 failed"
  e2e_log "screenshot: $ORV_E2E_ARTEFACTS/$1.png"
}

# ok_x: the horizontal centre of the box's OK button on the screen.
ok_x() { drv wait-window "$caption" 1000 dlg-center OK | cut -d' ' -f1; }
box_right() { drv wait-window "$caption" 1000 dialog-rect | cut -d' ' -f3; }
panel_gone() { (($(ok_x) > $(box_right))); }

# choose_licence: "Info", then its last item, "License...", from the keyboard.
choose_licence() {
  local xy
  xy=$(drv wait-window "$caption" 1000 wait-active 20000 dlg-center Info) || fail "no Info button"
  # shellcheck disable=SC2086  # "x y"
  pointer_to $xy
  xdotool click --delay 0 1
  sleep 0.5
  xdotool key Up
  xdotool key Return
}

for dpi in 96 144; do
  set_dpi "$dpi"
  orv_start
  if ((dpi == 96)); then
    drv command "$kCmdStayOnTop" >/dev/null
    wait_until 20 file_has_line "$ini" "StayOnTop=ON" || fail "Stay on Top was not stored as ON"
  fi

  open_about
  drv_read wait-window "$caption" 1000 dialog-text dialog-buttons
  expect_eq "texts of the about box at $dpi DPI" "Orvalin 3.2\\nwww.quenzal.example" "${R[0]}"
  expect_eq "buttons of the about box" "OK|Info" "${R[1]}"
  if ((dpi == 96)); then
    expect_ini_line "$ini" "StayOnTop=OFF"
  fi
  box_shot "about_box-rain-$dpi"

  # The icon sits left of the product label, level with its top line.
  drv wait-window "$caption" 1000 wait-active 20000 >/dev/null || fail "the about box is not active"
  read -r ox oy <<<"$(drv wait-window "$caption" 1000 dlg-center OK)"
  # OK's centre (49 + 61, 226 + 16) lies 84 units right of the icon's (10 + 16, 123 + 16) and 103 below.
  ix=$((ox - 84 * dpi / 96))
  iy=$((oy - 103 * dpi / 96))
  pointer_to "$ix" "$iy"
  xdotool click --repeat 2 --delay 80 1
  wait_until 30 panel_gone || e2e_mismatch "double-clicking the icon at $dpi DPI did not slide the panel away"
  box_shot "about_box-picture-$dpi"

  # Esc closes the box (the focus is on OK).
  xdotool key Escape
  drv wait-window-gone "$caption" 20000 >/dev/null || e2e_mismatch "Esc did not close the about box"
  if ((dpi == 96)); then
    wait_until 20 file_has_line "$ini" "StayOnTop=ON" || e2e_mismatch "StayOnTop is not ON again after the box"
  fi
  orv_stop
done
set_dpi 96

# The licence: Notepad with license.txt, then the error box once the file is gone.
orv_start
open_about
choose_licence
notepad_runs() { pgrep -f -i 'notepad\.exe' >/dev/null; }
wait_until 30 notepad_runs || e2e_mismatch "License... started no Notepad"
pkill_notepad=$(pgrep -f -i 'notepad\.exe' || true)
for pid in $pkill_notepad; do kill "$pid" 2>/dev/null || true; done

rm -f "$APP_DIR/license.txt"
choose_licence
if drv_read_ok wait-window License 20000 dialog-text; then
  expect_eq "text of the licence error" "File not found!" "${R[0]}"
  shot about_box-no-licence
  drv wait-window License 1000 press OK wait-window-gone License 20000 >/dev/null || fail "the error box did not close"
else
  e2e_mismatch "no 'License' box without license.txt"
fi
drv wait-window "$caption" 1000 press OK wait-window-gone "$caption" 20000 >/dev/null ||
  e2e_mismatch "OK did not close the about box"
orv_stop
