#!/usr/bin/env bash
# The whole program (on simulated devices) in a headless GNOME Shell with
# the AppIndicator extension (GNOME's tray) and, unless the third argument
# is "without-extension", the program's own extension:
# - the popup comes through XWayland at the bottom-right corner and takes
#   no focus;
# - a Wayland-native window in full screen keeps popups away while the
#   extension runs (without it the program says once in its debug log that
#   it needs it, and only X11 windows count);
# - an X11 window in full screen keeps popups away;
# - the tray item is registered with the AppIndicator extension, its menu
#   works over DBusMenu, and its Close ends the program.
# Usage: gnome_shell_test.sh BUILD_DIR TEST_WINDOW [without-extension]
set -euo pipefail
build=$1
test_window=$2
variant=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wayland/session.sh"
source "$here/../support/wayland/program_driver.sh"

wl_enter_private_system "$@"
wl_session_begin
wl_start_system_bus

uuid=fullscreen-report@notification.corvane.io
extensions=(ubuntu-appindicators@ubuntu.com)
if [[ $variant != without-extension ]]; then
  # As the package installs it, but for the session's user only.
  mine=$WL_TMP/.local/share/gnome-shell/extensions/$uuid
  mkdir -p "$mine"
  cp "$here/../../platform/linux/gnome-shell-extension/"{metadata.json,extension.js} "$mine/"
  [[ -z "${WL_USER:-}" ]] || chown -R "$WL_USER": "$WL_TMP/.local"
  extensions+=("$uuid")
fi
wl_start_gnome_shell "${extensions[@]}"

bus_has() {
  wl_as_user gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.NameHasOwner "$1" | grep -q true
}
[[ $variant == without-extension ]] ||
  wl_wait_for "the extension's bus name" 60 bus_has io.corvane.Notification.FullScreenReport
wl_wait_for "the AppIndicator extension's watcher" 60 bus_has org.kde.StatusNotifierWatcher

active_name() { wl_as_user xdotool getactivewindow getwindowname 2>/dev/null; }
is_active() { [[ "$(active_name)" == "$1" ]]; }
wl_start env QT_QPA_PLATFORM=xcb "$test_window" corvane-x11-game
wl_wait_for "the X11 test window's focus" 30 is_active corvane-x11-game

program_start "$build" QT_LOGGING_RULES=corvane.session.debug=true
program_pid=$WL_LAST_PID
program_expect_popup 0
is_active corvane-x11-game || wl_fail "the popup took the focus (now on '$(active_name)')"

# The popup: at 96 dpi, its top-left corner at (1920 - 247 - 1, 1080 - 136
# - 1): GNOME Shell's panel is at the top.
program_read_popup_window
[[ "$POPUP_GEOMETRY" == "1672 943 247 136" ]] ||
  wl_fail "the popup's window (x y width height) is $POPUP_GEOMETRY, not 1672 943 247 136"

# A Wayland-native window in full screen (foot runs a long sleep in it).
wl_start env LANG=C.UTF-8 foot -F sleep 600
foot_pid=$WL_LAST_PID
if [[ $variant == without-extension ]]; then
  # Only the X11 side watches: the program does not see it, and said so.
  sleep 2
  program_expect_popup 1
  hint="the GNOME Shell extension: gnome-extensions enable $uuid"
  (($(grep -c "$hint" "$WL_TMP/program.err" || true) == 1)) ||
    wl_fail "the program did not say once that it needs the extension"
else
  program_wait_full_screen 1
  program_expect_no_popup 1
fi
kill "$foot_pid"
[[ $variant == without-extension ]] || program_wait_full_screen 0
program_expect_popup 2

# An X11 window in full screen.
wl_wait_for "the X11 test window's focus" 30 is_active corvane-x11-game
wl_as_user wmctrl -r corvane-x11-game -b add,fullscreen
program_wait_full_screen 1
program_expect_no_popup 3
wl_as_user wmctrl -r corvane-x11-game -b remove,fullscreen
program_wait_full_screen 0
program_expect_popup 4

# The tray through the AppIndicator extension; its Close ends the program.
program_check_tray
program_close_from_tray
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
wl_wait_for "the program's end after Close" 30 program_ended
echo "GNOME Shell ${variant:-with the extension}: popup placed, focus kept, full-screen windows respected, tray works"
