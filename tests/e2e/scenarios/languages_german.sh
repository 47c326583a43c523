#!/usr/bin/env bash
# The interface language follows the display language: started with a German one, the two
# translated boxes of the main window (the Insert Wait error and the Reset to Defaults question)
# and the hotkey dialog are German while the main window stays English; without the Languages
# folder they are English; a language file that is not UTF-8 is reported and start-up
# completes, in English.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin languages_german

# insert_wait_error ANSWER-CAPTION: Insert Wait answered "abc"; prints the error box's caption
# and text as "caption|text" once the box is there, and closes it.
insert_wait_refused() {
  local caption=$1
  click_control "$kButton6"
  type_into "Insert Wait" abc
  xdotool key Return
  if drv_read_ok wait-window "$caption" 20000 dialog-text dialog-buttons; then
    printf '%s|%s\n' "${R[0]}" "${R[1]}"
    [[ -z ${2:-} ]] || shot "$2"
    drv wait-window "$caption" 1000 press OK wait-window-gone "$caption" 20000 >/dev/null ||
      fail "the error box \"$caption\" did not close"
  else
    printf 'no box captioned %s\n' "$caption"
  fi
  drv wait-window-gone "Insert Wait" 20000 >/dev/null || fail "the Insert Wait box stayed"
}

# German, with the shipped Languages folder.
e2e_copy_languages
orv_start_lang de_DE.UTF-8
expect_controls <<'EOF_TABLE'
caption         => QUENZAL - Orvalin
text kButton6   => Insert Wait
text kLabel1    => Hotkey: Ctrl + Alt + R
EOF_TABLE
expect_eq "Insert Wait error in German" "Ungültige Zahl!|OK" "$(insert_wait_refused FEHLER languages_german-insert-wait)"

drv_read command "$kCmdResetToDefaults" wait-window "Bestätigung" 20000 dialog-text dialog-buttons
expect_eq "Reset to Defaults question in German" "Anwendung neu starten?" "${R[0]}"
expect_eq "its answers" "Ja|Nein" "${R[1]}"
shot languages_german-reset
drv wait-window "Bestätigung" 1000 press Nein wait-window-gone "Bestätigung" 20000 >/dev/null ||
  fail "the question did not go after Nein"

# The hotkey dialog behind the record pencil, German too.
hotkey_caption="Tastenkombination ändern"
click_control "$kButton3"
if drv_read_ok wait-window "$hotkey_caption" 20000 dialog-text dialog-buttons; then
  expect_eq "hotkey dialog label in German" "Tastenkombination:" "${R[0]}"
  expect_eq "hotkey dialog buttons in German" "OK|Abbrechen" "${R[1]}"
  shot languages_german-hotkey
  drv wait-window "$hotkey_caption" 1000 press Abbrechen wait-window-gone "$hotkey_caption" 20000 >/dev/null ||
    fail "the hotkey dialog did not close on Abbrechen"
else
  e2e_mismatch "no hotkey dialog captioned $hotkey_caption"
fi
orv_stop

# The same display language without the Languages folder: English.
rm -rf "$APP_DIR/Languages"
orv_start_lang de_DE.UTF-8
expect_eq "Insert Wait error without languages" "Invalid number!|OK" "$(insert_wait_refused ERROR)"
orv_stop

# A German file that is not UTF-8 (Windows-1252 bytes): reported before the window shows; once
# the report is closed the program starts, in English.
e2e_copy_languages
printf '{ERROR}FEHLER\r\n{Invalid number!}Ung\xfcltige Zahl!\r\n' >"$APP_DIR/Languages/German.lang.txt"
orv_launch_lang de_DE.UTF-8
if drv_read_ok --wait 30000 wait-window Orvalin 30000 dialog-text; then
  expect_match "report of the language file" '*German.lang.txt*not valid UTF-8*English*' "${R[0]}"
  shot languages_german-invalid-file
  drv wait-window Orvalin 1000 press OK wait-window-gone Orvalin 20000 >/dev/null || fail "the report did not close"
else
  e2e_mismatch "no report of the invalid language file"
fi
drv --wait 30000 wait-shown 20000 >/dev/null || fail "no main window after the report"
expect_eq "Insert Wait error after an invalid file" "Invalid number!|OK" "$(insert_wait_refused ERROR)"
orv_stop
