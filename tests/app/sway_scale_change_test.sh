#!/usr/bin/env bash
# The whole program (on simulated devices) in a headless sway whose output
# changes its scale while the program runs: the popup, laid out at start-up
# for the first scale, keeps its size in the desktop's own units and its
# corner at the new scale (the compositor enlarges its picture), and the
# program's connection to the compositor lives on.
# Usage: sway_scale_change_test.sh BUILD_DIR TEST_WINDOW FIRST_SCALE NEW_SCALE
set -euo pipefail
build=$1
test_window=$2
first=$3
new=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wayland/session.sh"
source "$here/../support/wayland/program_driver.sh"

wl_session_begin
wl_start_sway "position 0 0 scale $first bg #336699 solid_color" "default_border none"

wl_start env QT_QPA_PLATFORM=wayland "$test_window" corvane-wl-game
wl_wait_for "the Wayland test window's focus" 30 sway_is_focused corvane-wl-game
program_start "$build"
program_pid=$WL_LAST_PID
program_expect_popup 0

swaymsg output HEADLESS-1 scale "$new" >/dev/null
output_scale_is() { [[ "$(swaymsg -t get_outputs -r | jq -r '.[0].scale')" == "$1" ]]; }
wl_wait_for "the output's scale $new" 30 output_scale_is "$new"
# The usable area once the bar has been laid out again at the new scale.
usable_area() { swaymsg -t get_workspaces -r | jq -r '.[0].rect | "\(.x) \(.y) \(.width) \(.height)"'; }
bar_placed() { read -r _ _ _ h < <(usable_area) && ((h < 1080 / new_whole)); }
new_whole=${new%.*}
wl_wait_for "the bar at the new scale" 30 bar_placed
read -r ux uy uw uh < <(usable_area)

program_expect_popup 1
kill -0 "$program_pid" 2>/dev/null || wl_fail "the program ended after the scale changed"

# The popup: its 96-dpi layout (247x136) in the desktop's units, drawn at
# the first scale, shown at the new one: about 247*NEW by 136*NEW device
# pixels, one logical pixel in from the usable area's right and bottom
# edges. Checked a few pixels in from each edge, which the enlargement of
# the picture and its rounding may move.
read -r left top right bottom < <(awk -v s="$new" -v ux="$ux" -v uy="$uy" -v uw="$uw" -v uh="$uh" '
  BEGIN {
    right = (ux + uw - 1) * s; bottom = (uy + uh - 1) * s
    printf "%d %d %d %d\n", right - 247 * s, bottom - 136 * s, right, bottom
  }')
behind=20a040            # the tiled test window fills the usable area
shot=$WL_TMP/popup.png
middle_y=$(((top + bottom) / 2))
inside_left=$((left + 6))
popup_on_screen() {
  wl_as_user grim "$shot" && [[ "$(wl_pixel "$shot" $((right - 20)) "$middle_y")" != "$behind" ]]
}
wl_wait_for "the popup on screen" 30 popup_on_screen
[[ -z "${CORVANE_KEEP_SCREENSHOT:-}" ]] || cp "$shot" "$CORVANE_KEEP_SCREENSHOT"
wl_expect_pixel "$shot" "$inside_left" "$middle_y" "!$behind" "the popup's left part at scale $new"
wl_expect_pixel "$shot" $((left - 6)) "$middle_y" "$behind" "left of the popup at scale $new"
wl_expect_pixel "$shot" $(((left + right) / 2)) $((top + 6)) "!$behind" "the popup's top part at scale $new"
wl_expect_pixel "$shot" $(((left + right) / 2)) $((top - 6)) "$behind" "above the popup at scale $new"
! grep -qi "protocol error\|wayland.*error" "$WL_TMP/program.err" ||
  wl_fail "the program's Wayland connection failed: $(grep -i error "$WL_TMP/program.err" | head -n 3)"
echo "sway: after the scale went from $first to $new the popup keeps its size and corner"
