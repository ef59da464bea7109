#!/usr/bin/env bash
# The whole program (on simulated devices) in a headless sway with XWayland
# and a bar: the popup is a layer surface at the bottom-right corner of the
# usable area with the desktop showing through its cut-away corners, the
# focused window keeps the focus, a full-screen window (Wayland-native or
# X11) keeps popups away until it leaves full screen, and the tray item is
# registered with swaybar's watcher.
# Usage: sway_test.sh BUILD_DIR TEST_WINDOW
set -euo pipefail
build=$1
test_window=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/session.sh"
source "$here/program_driver.sh"

wl_session_begin
desktop=336699
cat > "$WL_TMP/sway.config" <<CONFIG
output HEADLESS-1 resolution 1920x1080 position 0 0 bg #$desktop solid_color
xwayland enable
default_border none
bar {
  position bottom
  status_command echo corvane
}
CONFIG
chmod 644 "$WL_TMP/sway.config"

WL_ENV=(WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1)
wl_start sway -c "$WL_TMP/sway.config"
wl_wait_for "sway's socket" 15 compgen -G "$WL_RUNTIME/wayland-*.lock"
wl_wait_for "sway's IPC socket" 15 compgen -G "$WL_RUNTIME/sway-ipc.*.sock"
socket=$(basename "$(compgen -G "$WL_RUNTIME/wayland-*.lock")" .lock)
WL_ENV=(WAYLAND_DISPLAY="$socket" SWAYSOCK="$(compgen -G "$WL_RUNTIME/sway-ipc.*.sock")")
swaymsg() { wl_as_user swaymsg "$@"; }
# XWayland's display, as sway hands it to what it starts.
swaymsg exec "printenv DISPLAY > $WL_TMP/display" >/dev/null
wl_wait_for "XWayland's display name" 10 test -s "$WL_TMP/display"
WL_ENV+=(DISPLAY="$(cat "$WL_TMP/display")")

focused_name() { swaymsg -t get_tree -r | jq -r '.. | objects | select(.focused? == true) | .name'; }
is_focused() { [[ "$(focused_name)" == "$1" ]]; }

# A Wayland-native window has the focus when the program starts.
wl_start env QT_QPA_PLATFORM=wayland "$test_window" corvane-wl-game
wl_wait_for "the Wayland test window's focus" 15 is_focused corvane-wl-game

# No platform named: the program picks one by itself.
program_start "$build"
program_expect_popup 0
is_focused corvane-wl-game || wl_fail "the popup took the focus (now on '$(focused_name)')"
wl_as_user grim "$WL_TMP/popup.png"
[[ -z "${CORVANE_KEEP_SCREENSHOT:-}" ]] || cp "$WL_TMP/popup.png" "$CORVANE_KEEP_SCREENSHOT"

# The usable area: the output less the bar's exclusive zone.
read -r ux uy uw uh < <(swaymsg -t get_workspaces -r | jq -r '.[0].rect | "\(.x) \(.y) \(.width) \(.height)"')
((uh < 1080)) || wl_fail "the bar takes no room (usable height $uh)"
right=$((ux + uw - 1))   # one pixel in from the usable area's right edge
bottom=$((uy + uh - 1))  # and from its bottom edge
left=$((right - 247))
top=$((bottom - 136))
edge=464e5e              # the background picture's opaque border
behind=20a040            # the tiled test window fills the usable area
shot=$WL_TMP/popup.png
wl_expect_pixel "$shot" $((left + 123)) $((top + 68)) "!$behind" "the popup's middle"
wl_expect_pixel "$shot" "$left" "$top" "$behind" "the popup's cut-away top-left corner"
wl_expect_pixel "$shot" $((right - 1)) $((bottom - 1)) "$behind" "the popup's cut-away bottom-right corner"
wl_expect_pixel "$shot" "$left" $((top + 68)) "$edge" "the popup's left edge"
wl_expect_pixel "$shot" $((left - 1)) $((top + 68)) "$behind" "left of the popup"
wl_expect_pixel "$shot" $((right - 1)) $((top + 68)) "$edge" "the popup's right edge"
wl_expect_pixel "$shot" "$right" $((top + 68)) "$behind" "the one-pixel margin on the right"
wl_expect_pixel "$shot" $((left + 123)) $((bottom - 1)) "$edge" "the popup's bottom edge"
wl_expect_pixel "$shot" $((left + 123)) "$bottom" "$behind" "the one-pixel margin below"

# A Wayland-native window in full screen keeps popups away; leaving full
# screen lets the next one through.
swaymsg '[title="corvane-wl-game"] fullscreen enable' >/dev/null
program_wait_full_screen 1
program_expect_no_popup 1
swaymsg '[title="corvane-wl-game"] fullscreen disable' >/dev/null
program_wait_full_screen 0
program_expect_popup 2

# The same for an X11 window under XWayland.
wl_start env QT_QPA_PLATFORM=xcb "$test_window" corvane-x11-game
wl_wait_for "the X11 test window's focus" 15 is_focused corvane-x11-game
swaymsg '[title="corvane-x11-game"] fullscreen enable' >/dev/null
program_wait_full_screen 1
program_expect_no_popup 3
swaymsg '[title="corvane-x11-game"] fullscreen disable' >/dev/null
program_wait_full_screen 0
program_expect_popup 4
is_focused corvane-x11-game || wl_fail "the popup took the focus from the X11 window"

echo "sway: popup placed and cut, focus kept, full-screen windows respected"
