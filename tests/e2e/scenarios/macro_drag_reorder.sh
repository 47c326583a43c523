#!/usr/bin/env bash
# Dragging inside the step list with the mouse: the first selected row moves to just above the
# row it is dropped on. Dropped beside the rows or outside the list, nothing moves.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells
e2e_begin macro_drag_reorder

macro="$APP_DIR/five.csv"
printf '1,1,,,,\r\n2,2,,,,\r\n3,3,,,,\r\n4,4,,,,\r\n5,5,,,,\r\n' >"$macro"
orv_start
drv drop "$(win_path "$macro")" -- wait-rows "$kListView1" 5 20000 >/dev/null || fail "five.csv was not loaded"

# expect_order WHAT N...: the rows are "N,N,,,," in this order.
expect_order() {
  local what=$1 n rows=()
  shift
  for n in "$@"; do rows+=("$n,$n,,,,"); done
  # The drag reaches the list a while after xdotool returns.
  wait_until 20 drv_is "$(IFS='|'; echo "${rows[*]}")" table "$kListView1" || true
  expect_eq "$what" "$(IFS='|'; echo "${rows[*]}")" "$(drv table "$kListView1")"
}

drag_row 4 1
expect_order "after dragging row 4 onto row 1" 1 5 2 3 4
drag_row 0 3
expect_order "after dragging row 0 onto row 3" 5 2 1 3 4

# Onto the Load button, and onto the empty part of the list: no move.
from=$(drv row-center "$kListView1" 2)
to=$(drv center "$kButton4")
# shellcheck disable=SC2086  # "x y"
drag_to $from $to
expect_order "after dragging row 2 out of the list" 5 2 1 3 4
read -r _ _ list_right list_bottom <<<"$(drv rect "$kListView1")"
# shellcheck disable=SC2086  # "x y"
drag_to $from $((list_right - 40)) $((list_bottom - 30))
expect_order "after dragging row 2 below the rows" 5 2 1 3 4

# Rows 1 and 3 selected, row 3 dragged onto row 0: the first selected one moves.
click_row 1
xdotool keydown ctrl
click_row 3
xdotool keyup ctrl
wait_until 20 drv_is "1 3" selected "$kListView1" || true
expect_eq "selected rows" "1 3" "$(drv selected "$kListView1")"
drag_row 3 0
expect_order "after dragging with rows 1 and 3 selected" 2 5 1 3 4

orv_stop
