#!/usr/bin/env bash
# The whole program (on simulated devices) in a headless sway with XWayland
# and a bar, at output scale 1, 2 or 1.5: the popup is a layer surface, its
# 96-dpi layout times the scale, at the bottom-right corner of the
# usable area with the window behind it showing through its cut-away corners, the
# focused window keeps the focus, a full-screen window (Wayland-native or
# X11) keeps popups away until it leaves full screen, and the tray item is
# registered with swaybar's watcher.
# With a fourth argument the program is started on that Qt platform, as a
# session without XWayland (or a user's QT_QPA_PLATFORM) would have it.
# Usage: sway_test.sh BUILD_DIR TEST_WINDOW [OUTPUT_SCALE [QT_PLATFORM]]
set -euo pipefail
build=$1
test_window=$2
scale=${3:-1}
platform=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wayland/session.sh"
source "$here/../support/wayland/program_driver.sh"

wl_session_begin
desktop=336699
wl_start_sway "position 0 0 scale $scale bg #$desktop solid_color" "default_border none"

# A Wayland-native window has the focus when the program starts.
wl_start env QT_QPA_PLATFORM=wayland "$test_window" corvane-wl-game
wl_wait_for "the Wayland test window's focus" 30 sway_is_focused corvane-wl-game

# No platform named (unless the fourth argument names one): the program
# picks one by itself.
program_start "$build" ${platform:+QT_QPA_PLATFORM=$platform}
program_expect_popup 0
sway_is_focused corvane-wl-game || wl_fail "the popup took the focus (now on '$(sway_focused_name)')"

# The usable area (in the output's logical units): the output less the
# bar's exclusive zone. The screenshot is in device pixels: the popup is its
# 96-dpi layout times the scale (its picture truncated to whole pixels), one
# logical pixel in from the usable area's right and bottom edges.
read -r ux uy uw uh < <(swaymsg -t get_workspaces -r | jq -r '.[0].rect | "\(.x) \(.y) \(.width) \(.height)"')
# left and top: the popup's first device pixels; right and bottom: the
# first wholly past it. The surface is the picture's size over the scale, in
# whole logical pixels.
read -r width height left top right bottom < <(awk -v s="$scale" -v ux="$ux" -v uy="$uy" -v uw="$uw" -v uh="$uh" '
  function up(x) { return x == int(x) ? x : int(x) + 1 }
  BEGIN {
    w = int(247 * s); h = int(136 * s)
    lw = int(w / s + 0.5); lh = int(h / s + 0.5)
    print w, h, int((ux + uw - 1 - lw) * s), int((uy + uh - 1 - lh) * s),
          up((ux + uw - 1) * s), up((uy + uh - 1) * s)
  }')
((bottom < 1079)) || wl_fail "the bar takes no room (usable height $uh)"
grep -q "^popup LTKeyHint show .* w=$width h=$height " "$PROGRAM_TRACE" ||
  wl_fail "the popup was not drawn ${width}x$height at scale $scale"
middle_x=$((left + width / 2))
middle_y=$((top + height / 2))
behind=20a040            # the tiled test window fills the usable area
shot=$WL_TMP/popup.png
# The compositor draws the committed surface in its next frame.
popup_on_screen() {
  wl_as_user grim "$shot" && [[ "$(wl_pixel "$shot" "$middle_x" "$middle_y")" != "$behind" ]]
}
wl_wait_for "the popup on screen" 30 popup_on_screen
[[ -z "${CORVANE_KEEP_SCREENSHOT:-}" ]] || cp "$shot" "$CORVANE_KEEP_SCREENSHOT"
wl_expect_pixel "$shot" "$middle_x" "$middle_y" "!$behind" "the popup's middle"
wl_expect_pixel "$shot" "$left" "$top" "$behind" "the popup's cut-away top-left corner"
wl_expect_pixel "$shot" $((right - 1)) $((bottom - 1)) "$behind" "the popup's cut-away bottom-right corner"
wl_expect_pixel "$shot" $((left - 1)) "$middle_y" "$behind" "left of the popup"
wl_expect_pixel "$shot" "$right" "$middle_y" "$behind" "the one-pixel margin on the right"
wl_expect_pixel "$shot" "$middle_x" "$bottom" "$behind" "the one-pixel margin below"
# At a whole scale the edges fall on whole pixels: the popup's outermost
# columns are its own (their colour is the border's, softened by the smooth
# enlargement of the picture).
if [[ "$scale" != *.* ]]; then
  wl_expect_pixel "$shot" "$left" "$middle_y" "!$behind" "the popup's left edge"
  wl_expect_pixel "$shot" $((right - 1)) "$middle_y" "!$behind" "the popup's right edge"
  wl_expect_pixel "$shot" "$middle_x" $((bottom - 1)) "!$behind" "the popup's bottom edge"
fi

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
wl_wait_for "the X11 test window's focus" 30 sway_is_focused corvane-x11-game
swaymsg '[title="corvane-x11-game"] fullscreen enable' >/dev/null
program_wait_full_screen 1
program_expect_no_popup 3
swaymsg '[title="corvane-x11-game"] fullscreen disable' >/dev/null
program_wait_full_screen 0
program_expect_popup 4
sway_is_focused corvane-x11-game || wl_fail "the popup took the focus from the X11 window"

# The tray, through swaybar's watcher.
program_check_tray
echo "sway: popup placed and cut, focus kept, full-screen windows respected, tray item registered"
