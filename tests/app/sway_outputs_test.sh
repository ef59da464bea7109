#!/usr/bin/env bash
# The whole program (on simulated devices) in a headless sway that gains an
# output while the program runs: the popup goes to the output the user
# works on (sway's focused output, where it puts a layer surface that names
# none), and the new output does not end the program's connection. (Sway's
# headless outputs cannot be disabled, so none is taken away here.)
# Usage: sway_outputs_test.sh BUILD_DIR TEST_WINDOW
set -euo pipefail
build=$1
test_window=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wayland/session.sh"
source "$here/../support/wayland/program_driver.sh"

wl_session_begin
wl_start_sway "position 0 0 scale 1 bg #336699 solid_color" "default_border none
output HEADLESS-2 resolution 1920x1080 position 1920 0 scale 1 bg #336699 solid_color"

wl_start env QT_QPA_PLATFORM=wayland "$test_window" corvane-wl-game
wl_wait_for "the Wayland test window's focus" 30 sway_is_focused corvane-wl-game
program_start "$build"
program_pid=$WL_LAST_PID
program_expect_popup 0

# popup_on OUTPUT: OUTPUT's screenshot shows a popup in its usable area's
# bottom-right corner (247x136, one pixel in from the edges).
popup_on() {
  local area shot=$WL_TMP/$1.png
  area=$(swaymsg -t get_workspaces -r |
    jq -r --arg o "$1" '.[] | select(.output == $o and .visible) | .rect | "\(.x) \(.y) \(.width) \(.height)"')
  read -r ux uy uw uh <<<"$area"
  local ox
  ox=$(swaymsg -t get_outputs -r | jq -r --arg o "$1" '.[] | select(.name == $o) | .rect.x')
  wl_as_user grim -o "$1" "$shot" &&
    [[ "$(wl_pixel "$shot" $((ux - ox + uw - 1 - 124)) $((uy + uh - 1 - 68)))" != "$(background_of "$1")" ]]
}
# What lies behind the corner: the test window on the first output, the
# empty desktop on a second one.
background_of() { [[ $1 == HEADLESS-1 ]] && echo 20a040 || echo 336699; }
popup_hidden() { grep '^popup LTKeyHint' "$PROGRAM_TRACE" | tail -n 1 | grep -q ' hide$'; }
wait_hidden() { wl_wait_for "the popup's hiding" 30 popup_hidden; }
alive() { kill -0 "$program_pid" 2>/dev/null || wl_fail "the program ended $1"; }
# expect_popup_on OUTPUT INDEX WHEN
expect_popup_on() {
  program_expect_popup "$2"
  alive "$3"
  wl_wait_for "the popup on $1 $3" 30 popup_on "$1"
}

# A second output, and the focus on it: the popup follows the focus.
swaymsg create_output >/dev/null
output_count_is() { (($(swaymsg -t get_outputs -r | jq 'map(select(.active)) | length') == $1)); }
wl_wait_for "the second output" 30 output_count_is 2
expect_popup_on HEADLESS-1 1 "after an output was added"
swaymsg focus output HEADLESS-2 >/dev/null
wait_hidden
expect_popup_on HEADLESS-2 2 "after the focus went to the second output"

echo "sway: the popup follows the focused output, also one added while the program runs"
