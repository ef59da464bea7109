#!/usr/bin/env bash
# Pictures of the Windows build under wine for docs/: the LT-key popup in
# English and in Simplified Chinese, the RT-mode popup, and the tray menu,
# each cut from a private X session's screen around the work area's
# bottom-right corner.
#
#   scripts/windows-screenshots.sh [BUILD_DIR]   (default: build-windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-windows}" && pwd)
source "$root/scripts/wine-env.sh"
source "$root/scripts/x-session.sh"
end_private_session_on_exit
# A tray of a fixed width, so that the icon takes its click (wine-env.sh).
CORVANE_TRAY_WIDTH=40 start_private_session 1280x720 96
use_wine_prefix "$build/wine-x"
link_cjk_font
work=$(mktemp -d)

# The bottom-right 420x240 pixels of the screen, where the popups and the
# tray are.
shoot() {  # file
  import -window root -crop 420x240+860+480 +repage "$1"
}

# The simulator runs the scenario; each picture is taken while the popup
# it shows is up (popups hide 2 s after their last show).
cat >"$work/scenario" <<'SCENARIO'
plug kb1 keyboard
wait 2500
lt kb1 3
wait 1800
language ChineseS
wait 200
lt kb1 1
wait 1800
language English
rt kb1 1
wait 1800
close
SCENARIO
(cd "$build/bin" && wine corvane-simulator.exe "$work/scenario" >"$work/trace") &
simulator=$!
wait_for_line() {  # pattern
  for _ in $(seq 200); do
    grep -q "$1" "$work/trace" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "no '$1' in the simulator's trace" >&2
  return 1
}
wait_for_line 'popup LTKeyHint show.*LT 3\|popup LTKeyHint show' && sleep 0.6
shoot "$root/docs/windows-popup-lt.png"
wait_for_line 'message 1025 wParam=1' && sleep 0.6
shoot "$root/docs/windows-popup-lt-chinese.png"
wait_for_line 'popup RTModeHint show' && sleep 0.6
shoot "$root/docs/windows-popup-rt.png"
wait "$simulator"

# The tray menu: right-click the program's icon in trayer's panel. The
# simulator's wine processes (its desktop and tray among them) go first, so
# its icon and its instance are gone.
wineserver -k || true
(cd "$build/bin" && wine corvane-notification.exe) &
program=$!
icon=
for _ in $(seq 150); do
  icon=$(wine_tray_icon_window)
  [[ -n $icon ]] && break
  sleep 0.1
done
if [[ -n $icon ]]; then
  sleep 1
  xdotool mousemove --window "$icon" 10 12 sleep 0.1 mousedown 3 sleep 0.05 mouseup 3
  # Off the icon, so that its tooltip does not cover the menu.
  xdotool mousemove_relative -- -200 -100
  sleep 1
  import -window root -crop 420x240+860+480 +repage "$root/docs/windows-tray-menu.png"
  xdotool key Escape
else
  echo "the tray icon did not dock in trayer" >&2
fi
kill "$program" 2>/dev/null || true
wineserver -k || true
rm -rf "$work"
