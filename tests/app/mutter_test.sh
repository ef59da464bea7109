#!/usr/bin/env bash
# The whole program (on simulated devices) in a headless mutter (GNOME's
# compositor, no layer surfaces): it runs on XWayland, where mutter places
# the popup at the bottom-right corner as asked, as a window with an alpha
# channel for its outline; the focused window keeps the
# focus; an X11 window in full screen keeps popups away until it leaves full
# screen. mutter offers no screenshots here, so the popup's place is read
# from its window geometry.
# With a fourth argument the program is started with QT_QPA_PLATFORM set to
# it, as a desktop-wide setting would have it.
# Usage: mutter_test.sh BUILD_DIR TEST_WINDOW TRAY_WATCHER [QT_PLATFORM]
set -euo pipefail
build=$1
test_window=$2
tray_watcher=$3
platform=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wayland/session.sh"
source "$here/../support/wayland/program_driver.sh"

wl_session_begin
wl_start_mutter

active_name() { wl_as_user xdotool getactivewindow getwindowname 2>/dev/null; }
is_active() { [[ "$(active_name)" == "$1" ]]; }

wl_start env QT_QPA_PLATFORM=xcb "$test_window" corvane-x11-game
wl_wait_for "the X11 test window's focus" 30 is_active corvane-x11-game
# The desktop's tray host does not run here: a watcher of the test's own.
program_start_tray_watcher "$tray_watcher"

program_start "$build" ${platform:+QT_QPA_PLATFORM=$platform}
program_expect_popup 0
is_active corvane-x11-game || wl_fail "the popup took the focus (now on '$(active_name)')"

# The popup is the program's one visible window; at 96 dpi on a screen
# without panels its top-left corner is at (1920 - 247 - 1, 1080 - 136 - 1).
program_read_popup_window
[[ "$POPUP_GEOMETRY" == "1672 943 247 136" ]] ||
  wl_fail "the popup's window (x y width height) is $POPUP_GEOMETRY, not 1672 943 247 136"
# mutter blends X11 windows: the outline is the picture's own transparency,
# in a window with an alpha channel.
[[ "$POPUP_DEPTH" == 32 ]] || wl_fail "the popup's window has depth $POPUP_DEPTH, not 32 (ARGB)"

# An X11 window in full screen keeps popups away; leaving full screen lets
# the next one through.
wl_as_user wmctrl -r corvane-x11-game -b add,fullscreen
program_wait_full_screen 1
program_expect_no_popup 1
wl_as_user wmctrl -r corvane-x11-game -b remove,fullscreen
program_wait_full_screen 0
program_expect_popup 2
is_active corvane-x11-game || wl_fail "the popup took the focus from the X11 window"

program_check_tray

echo "mutter: popup placed through XWayland, focus kept, full-screen X11 window respected, tray item registered"
