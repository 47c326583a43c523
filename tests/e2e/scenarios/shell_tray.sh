#!/usr/bin/env bash
# Minimizing with "Minimize to System Tray" off leaves the window on the taskbar and no tray icon;
# with it on the window leaves for the notification area, as an icon whose tooltip is the title.
# A real click on the icon brings the window back and takes the icon away; "Exit" of the icon's
# menu ends the program and leaves no icon behind.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale
e2e_begin shell_tray

settings="$APP_DIR/settings.ini"
title="QUENZAL - Orvalin"
has_our_icon() { [[ "|$(drv tray-tips 2>/dev/null)|" == *"|$title|"* ]]; }
has_no_icon() { [[ "|$(drv tray-tips 2>/dev/null)|" != *"|$title|"* ]]; }

orv_start

# Option off: an ordinary minimize.
drv syscommand minimize >/dev/null
wait_until 20 drv_is 1 iconic || fail "the window did not minimize"
expect_controls <<'EOF_TABLE'
shown => 1
EOF_TABLE
has_no_icon || e2e_mismatch "a tray icon appeared with the option off: $(drv tray-tips)"
drv syscommand restore >/dev/null
wait_until 20 drv_is 0 iconic || fail "the window did not come back from the taskbar"

# Option on: the tray.
drv command "$kCmdMinimizeToSystemTray" >/dev/null
wait_until 20 file_has_line "$settings" MinimizeToSystemTray=ON || fail "the option was not stored"
drv syscommand minimize >/dev/null
wait_until 20 has_our_icon || fail "no tray icon with the tooltip '$title' after minimizing; icons: '$(drv tray-tips)'"
wait_until 20 drv_is 0 shown || e2e_mismatch "the window stayed visible with its icon in the tray"
expect_controls <<'EOF_TABLE'
iconic => 1
EOF_TABLE
shot shell_tray-icon

xy=$(drv tray-center "$title")
# shellcheck disable=SC2086  # "x y"
pointer_to $xy
xdotool click --delay 0 1
wait_until 20 drv_is 1 shown || fail "a click on the tray icon did not bring the window back"
wait_until 20 drv_is 0 iconic || e2e_mismatch "the window came back minimized"
wait_until 20 has_no_icon || e2e_mismatch "the tray icon stayed after the window came back"
shot shell_tray-restored

# The icon's menu: its one item ends the program, and the icon goes with it.
drv syscommand minimize >/dev/null
wait_until 20 has_our_icon || fail "no tray icon after the second minimize"
xy=$(drv tray-center "$title")
# shellcheck disable=SC2086  # "x y"
pointer_to $xy
xdotool click --delay 0 3
xy=$(drv wait-popup 20000) || fail "a right click on the tray icon opened no menu"
shot shell_tray-menu
# shellcheck disable=SC2086  # "x y": the menu's one item
pointer_to $xy
xdotool click --delay 0 1
wait_until 20 e2e_app_ended || fail "Exit in the tray icon's menu did not end the program"
has_no_icon || e2e_mismatch "the tray icon outlived the program: $(drv tray-tips)"
