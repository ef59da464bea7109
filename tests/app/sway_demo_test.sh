#!/usr/bin/env bash
# scripts/demo.sh in a headless sway: the pictures it saves are the popups
# as the compositor placed them (taken with grim, not from the XWayland
# root, which holds no layer surface), one per popup shown.
# Usage: sway_demo_test.sh BUILD_DIR TEST_WINDOW
set -euo pipefail
build=$1
test_window=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/../support/wayland/session.sh"

wl_session_begin
wl_start_sway "position 0 0 scale 2 bg #336699 solid_color" "default_border none"
wl_start env QT_QPA_PLATFORM=wayland "$test_window" corvane-wl-game
# The window is on screen before the demo takes its first picture.
wl_wait_for "the Wayland test window's focus" 30 sway_is_focused corvane-wl-game

cat > "$WL_TMP/demo.scenario" <<'SCENARIO'
plug keyboard1 keyboard
wait 1500
lt keyboard1 1
wait 2500
rt keyboard1 2
wait 2500
close
SCENARIO
chmod 644 "$WL_TMP/demo.scenario"
wl_as_user "$root/scripts/demo.sh" "$build" "$WL_TMP/demo.scenario" >"$WL_TMP/demo.out" 2>&1 ||
  wl_fail "demo.sh failed: $(tail -n 5 "$WL_TMP/demo.out")"
WL_LOGS+=("$WL_TMP/demo.out")
shots=$(sed -n 's/^Screenshots: //p' "$WL_TMP/demo.out")
[[ -d $shots ]] || wl_fail "demo.sh named no folder of pictures"
mapfile -t pictures < <(find "$shots" -name '*.png' | sort)
((${#pictures[@]} == 2)) || wl_fail "demo.sh saved ${#pictures[@]} pictures, not 2: ${pictures[*]}"
# At scale 2 each popup is its 247x136 layout twice over (a pixel or two
# more where the compositor's enlargement blends its edge), cut from the
# corner where sway put it: its middle is the popup's dark face, not the
# test window behind it.
for picture in "${pictures[@]}"; do
  read -r width height < <(identify -format '%w %h\n' "$picture")
  ((width >= 490 && width <= 498 && height >= 268 && height <= 276)) ||
    wl_fail "$(basename "$picture") is ${width}x$height, not the popup's 494x272"
  middle=$(wl_pixel "$picture" $((width / 2)) $((height / 2)))
  [[ $middle != 20a040 && $middle != 336699 ]] ||
    wl_fail "$(basename "$picture") shows the desktop in its middle, not a popup"
done
rm -rf "$shots"
echo "sway: demo.sh saves each popup as the compositor placed it"
