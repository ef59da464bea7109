#!/usr/bin/env bash
# The whole program (on simulated devices) in a headless mutter, or GNOME
# Shell on it, on XWayland: when one popup is shown while the other is
# still on screen, the one shown last is above the other in the X server's
# stacking order (mutter stacks XWayland's override-redirect windows in that
# order).
# Usage: mutter_stacking_test.sh BUILD_DIR TEST_WINDOW [gnome-shell]
set -euo pipefail
build=$1
test_window=$2
shell=${3:-mutter}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wayland/session.sh"
source "$here/../support/wayland/program_driver.sh"

[[ $shell != gnome-shell ]] || wl_enter_private_system "$@"
wl_session_begin
if [[ $shell == gnome-shell ]]; then
  wl_start_system_bus
  wl_start_gnome_shell
else
  wl_start_mutter
fi

wl_start env QT_QPA_PLATFORM=xcb "$test_window" corvane-x11-game
program_start "$build"

visible_popups() { wl_as_user xdotool search --onlyvisible --classname corvane-simulator 2>/dev/null || true; }
# top_popup: the popup (LTKeyHint or RTModeHint) whose window is the
# topmost visible one of the program's, by the root window's children
# listed bottom to top.
top_popup() {
  local visible id top=""
  visible=$(visible_popups)
  for id in $(wl_as_user xwininfo -root -children | awk '/^ +0x/ { print $1 }'); do
    grep -qx "$((id))" <<<"$visible" && top=$((id))
  done
  [[ "$top" == "$lt_window" ]] && echo LTKeyHint
  [[ "$top" == "$rt_window" ]] && echo RTModeHint
  true
}
show() {  # KIND POPUP
  local before
  before=$(program_count "^popup $2 show")
  program_send "$1 keyboard1 1"
  wl_wait_for "the $2 popup's show" 30 program_has_more "^popup $2 show" "$before"
}
# sequence EXPECTED_TOP KIND POPUP...: shows the popups in turn while the
# earlier ones are still shown; EXPECTED_TOP must come on top. A round in
# which a popup hid first is repeated: on a busy machine 2 s can pass
# between two shows.
sequence() {
  local expected=$1 attempt hides seen=""
  shift
  for attempt in 1 2 3 4 5; do
    hides=$(program_count '^popup .* hide')
    local kinds=("$@") i
    for ((i = 0; i < ${#kinds[@]}; i += 2)); do show "${kinds[i]}" "${kinds[i + 1]}"; done
    while (($(program_count '^popup .* hide') == hides)); do
      seen=$(top_popup)
      if [[ "$seen" == "$expected" ]] && (($(program_count '^popup .* hide') == hides)); then
        seen=ok
        break
      fi
      sleep 0.1
    done
    all_hidden() { (($(program_count '^popup .* hide') >= hides + 2)); }
    wl_wait_for "the popups' hiding" 30 all_hidden
    [[ "$seen" != ok ]] || return 0
  done
  wl_fail "after showing $* the top popup is '$seen', not $expected"
}
# Each popup's window (made at start-up and kept), shown alone.
window_of() {  # KIND POPUP
  local hides
  hides=$(program_count '^popup .* hide')
  show "$1" "$2"
  one_visible() { [[ $(visible_popups | wc -l) == 1 ]]; }
  wl_wait_for "the $2 popup's window" 30 one_visible
  visible_popups
  hidden() { (($(program_count '^popup .* hide') > hides)); }
  wl_wait_for "the $2 popup's hiding" 30 hidden
}
lt_window=$(window_of lt LTKeyHint)
rt_window=$(window_of rt RTModeHint)
[[ -n "$lt_window" && "$lt_window" != "$rt_window" ]] || wl_fail "the popups' windows: '$lt_window' '$rt_window'"

sequence RTModeHint lt LTKeyHint rt RTModeHint
sequence LTKeyHint rt RTModeHint lt LTKeyHint
sequence LTKeyHint lt LTKeyHint rt RTModeHint lt LTKeyHint
echo "$shell: the popup shown last is on top"
