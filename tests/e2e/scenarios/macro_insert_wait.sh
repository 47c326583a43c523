#!/usr/bin/env bash
# Insert Wait asks for seconds and appends a wait row, selected; a decimal comma is accepted and
# stored as a point. Anything that is not a number above 0 is refused with an error box and adds
# nothing, like Cancel. A wait row alone does not make Play usable.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale
e2e_begin macro_insert_wait

orv_start

# The box itself.
click_control "$kButton6"
drv_read wait-window "Insert Wait" 20000 wait-active 20000 dialog-text dialog-buttons dlg-text Edit
expect_eq "prompt of the Insert Wait box" "Enter wait duration (in seconds):" "${R[0]}"
expect_eq "buttons of the Insert Wait box" "OK|Cancel" "${R[1]}"
expect_eq "initial answer" "" "${R[2]}"
shot macro_insert_wait-box
xy=$(drv wait-window "Insert Wait" 1000 dlg-center Cancel)
# shellcheck disable=SC2086  # "x y"
pointer_to $xy
xdotool click --delay 0 1
drv wait-window-gone "Insert Wait" 20000 >/dev/null || fail "Cancel did not close the Insert Wait box"
expect_controls <<'EOF_TABLE'
rows kListView1 => 0
EOF_TABLE

# answer | the new last row, or "refused"
rows=()
while IFS='|' read -r -u 3 answer outcome; do
  click_control "$kButton6"
  [[ -z $answer ]] || type_into "Insert Wait" "$answer"
  drv wait-window "Insert Wait" 20000 wait-active 20000 >/dev/null || fail "no Insert Wait box for '$answer'"
  xdotool key Return
  if [[ $outcome == refused ]]; then
    if drv_read_ok wait-window ERROR 20000 dialog-text; then
      expect_eq "error for the answer '$answer'" "Invalid number!" "${R[0]}"
      [[ $answer != abc ]] || shot macro_insert_wait-refused
      drv wait-window ERROR 1000 press OK wait-window-gone ERROR 20000 >/dev/null || fail "the error box did not close"
    else
      e2e_mismatch "the answer '$answer' was not refused"
    fi
  else
    rows+=("$outcome")
  fi
  drv wait-window-gone "Insert Wait" 20000 >/dev/null || fail "the Insert Wait box stayed after '$answer'"
  expected=$(IFS='|'; echo "${rows[*]}")
  expect_eq "steps after the answer '$answer'" "$expected" "$(drv table "$kListView1")"
  if ((${#rows[@]} > 0)); then
    # Rows selected before stay selected; the new one joins them.
    expect_match "selected rows after the answer '$answer'" "*$((${#rows[@]} - 1))" "$(drv selected "$kListView1")"
  fi
done 3<<'EOF_CASES'
1,5|-,-,-,-,-,1.5
2|-,-,-,-,-,2
abc|refused
0|refused
|refused
0.25|-,-,-,-,-,0.25
EOF_CASES

expect_controls <<'EOF_TABLE'
enabled kButtonPlay  => 0
caption              => QUENZAL - Orvalin
EOF_TABLE

orv_stop
