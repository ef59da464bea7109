#!/usr/bin/env bash
# The whole program (on simulated devices) in a headless sway: when one
# popup is shown while the other is still on screen, the screen shows the
# one shown last. Both sit in the same corner, so the picture in the corner
# must be that of the newest popup: LT then RT shows RT's picture, and LT
# again shows LT's.
# Usage: sway_stacking_test.sh BUILD_DIR TEST_WINDOW
set -euo pipefail
build=$1
test_window=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wayland/session.sh"
source "$here/../support/wayland/program_driver.sh"

wl_session_begin
wl_start_sway "position 0 0 scale 1 bg #336699 solid_color" "default_border none"

wl_start env QT_QPA_PLATFORM=wayland "$test_window" corvane-wl-game
wl_wait_for "the Wayland test window's focus" 30 sway_is_focused corvane-wl-game
program_start "$build"

# The popups' corner: 247x136 one pixel in from the usable area's
# bottom-right corner (the bar takes the bottom of the output). Compared is
# its inside, 10 pixels in from the outline: the smooth edges of a popup on
# top of the other blend with that popup, not with the window behind.
read -r ux uy uw uh < <(swaymsg -t get_workspaces -r | jq -r '.[0].rect | "\(.x) \(.y) \(.width) \(.height)"')
corner="227x116+$((ux + uw - 1 - 247 + 10))+$((uy + uh - 1 - 136 + 10))"
behind=20a040
shot=$WL_TMP/screen.png

# crop NAME: the corner of a new screenshot, in $WL_TMP/NAME.png.
crop() {
  wl_as_user grim "$shot" && convert "$shot" -crop "$corner" +repage "$WL_TMP/$1.png"
}
same_picture() {
  [[ "$(compare -metric AE "$WL_TMP/$1.png" "$WL_TMP/$2.png" null: 2>&1 || true)" == 0 ]]
}
shown_count() { program_count "^popup $1 show"; }

# show KIND POPUP: one event that shows POPUP; waits for its show line.
show() {
  local before
  before=$(shown_count "$2")
  program_send "$1 keyboard1 1"
  wl_wait_for "the $2 popup's show" 30 program_has_more "^popup $2 show" "$before"
}
# Each popup shown hides once, 2 s after its last show: $expected_hides
# counts the hides the shows so far call for.
expected_hides=0
hides_reached() { (($(program_count '^popup .* hide') >= expected_hides)); }
wait_all_hidden() { wl_wait_for "the popups' hiding" 30 hides_reached; }

# The pictures of each popup alone on screen.
reference() {  # KIND POPUP NAME
  show "$1" "$2"
  expected_hides=$((expected_hides + 1))
  corner_is_popup() { crop "$1" && [[ "$(wl_pixel "$WL_TMP/$1.png" 113 58)" != "$behind" ]]; }
  wl_wait_for "the $2 popup on screen" 30 corner_is_popup "$3"
  sleep 0.5
  crop "$3"
  wait_all_hidden
}
reference lt LTKeyHint lt_alone
reference rt RTModeHint rt_alone
! same_picture lt_alone rt_alone || wl_fail "the two popups look alike: the test cannot tell them apart"

# sequence EXPECTED KIND POPUP...: shows the popups in turn while the
# earlier ones are still on screen; the corner must then show EXPECTED's
# picture. A round in which a popup hid before the screen showed it is
# repeated: on a busy machine 2 s can pass between two shows.
sequence() {
  local expected=$1 attempt hides
  shift
  for attempt in 1 2 3 4 5; do
    hides=$(program_count '^popup .* hide')
    local kinds=("$@") i
    for ((i = 0; i < ${#kinds[@]}; i += 2)); do
      show "${kinds[i]}" "${kinds[i + 1]}"
    done
    expected_hides=$((expected_hides + 2))
    while (($(program_count '^popup .* hide') == hides)); do
      crop now
      if (($(program_count '^popup .* hide') == hides)) && same_picture now "$expected"; then
        wait_all_hidden
        return 0
      fi
      sleep 0.2
    done
    cp "$WL_TMP/now.png" "$WL_TMP/last_seen.png"
    wait_all_hidden
  done
  local seen=another
  same_picture last_seen lt_alone && seen="the LT popup's"
  same_picture last_seen rt_alone && seen="the RT popup's"
  wl_fail "after showing $* the corner kept $seen picture, not $expected"
}
sequence rt_alone lt LTKeyHint rt RTModeHint
sequence lt_alone rt RTModeHint lt LTKeyHint
sequence lt_alone lt LTKeyHint rt RTModeHint lt LTKeyHint

echo "sway: the popup shown last is the one on screen"
