#!/usr/bin/env bash
# The whole program (on simulated devices) in a headless GNOME Shell whose
# monitor has a fractional scale (mutter's 'scale-monitor-framebuffer'):
# mutter enlarges XWayland's windows by the scale itself, so the popup, an
# X11 window there, is laid out at 96 dpi in XWayland's pixels and comes out
# the size of its 96-dpi layout times the scale, not that size enlarged
# twice.
# Usage: gnome_shell_scale_test.sh BUILD_DIR TEST_WINDOW SCALE
set -euo pipefail
build=$1
test_window=$2
scale=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wayland/session.sh"
source "$here/../support/wayland/program_driver.sh"

wl_enter_private_system "$@"
wl_session_begin
wl_start_system_bus
wl_as_user gsettings set org.gnome.mutter experimental-features "['scale-monitor-framebuffer']"
wl_start_gnome_shell
wl_as_user /usr/bin/python3 "$here/../support/wayland/mutter_monitor_scale.py" "$scale"
# XWayland's screen takes the monitor's size in the desktop's units.
read -r screen_width screen_height < <(awk -v s="$scale" 'BEGIN { printf "%d %d\n", 1920 / s, 1080 / s }')
screen_is_scaled() {
  wl_as_user xdpyinfo | grep -q "dimensions: *${screen_width}x$screen_height pixels"
}
wl_wait_for "XWayland's screen of ${screen_width}x$screen_height" 30 screen_is_scaled

wl_start env QT_QPA_PLATFORM=xcb "$test_window" corvane-x11-game
program_start "$build"
program_expect_popup 0
program_read_popup_window
expected="$((screen_width - 247 - 1)) $((screen_height - 136 - 1)) 247 136"
[[ "$POPUP_GEOMETRY" == "$expected" ]] ||
  wl_fail "at scale $scale the popup's window (x y width height) is $POPUP_GEOMETRY, not $expected"
echo "GNOME Shell at scale $scale: the popup is its 96-dpi layout in XWayland's units"
