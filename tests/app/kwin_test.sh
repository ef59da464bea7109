#!/usr/bin/env bash
# The whole program (on simulated devices) in a headless KWin with XWayland:
# the popup is a layer surface that KWin places at the bottom-right corner,
# the focused window keeps the focus, and a full-screen window (Wayland-native
# through KWin's window management, X11 through XWayland) keeps popups away
# until it leaves full screen. KWin's screenshots are reserved to its own
# clients, so places and states are read through a KWin script.
# With OUTPUT_SCALE the output is 1920x1080 logical pixels at that scale:
# the popup keeps its logical place and size, drawn at the scale's density.
# Usage: kwin_test.sh BUILD_DIR TEST_WINDOW TRAY_WATCHER [OUTPUT_SCALE]
set -euo pipefail
build=$1
test_window=$2
tray_watcher=$3
scale=${4:-1}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/wayland/session.sh"
source "$here/../support/wayland/program_driver.sh"

wl_session_begin
# The packaged binary carries a file capability that an unprivileged
# sandbox refuses to execute; a plain copy runs.
cp /usr/bin/kwin_wayland "$WL_TMP/kwin_wayland"
# KWin hands its window list only to programs whose desktop entry asks for
# it, as the installed entry does; the simulator gets one of its own.
applications=$WL_TMP/.local/share/applications
mkdir -p "$applications"
sed -e "s|^Exec=.*|Exec=$build/bin/corvane-simulator|" -e 's|^Name=.*|Name=CorvaneSimulator|' \
  "$here/../../packaging/corvane-notification.desktop" > "$applications/corvane-simulator.desktop"
chown -R "${WL_USER:-$(id -u)}": "$WL_TMP/.local"
kwin_log=$WL_TMP/kwin.log
WL_ENV=(QT_QPA_PLATFORM=offscreen)
wl_start sh -c "exec '$WL_TMP/kwin_wayland' --virtual --xwayland --width 1920 --height 1080 --scale $scale 2> '$kwin_log'"
kwin_pid=$WL_LAST_PID
wl_compositor_socket KWin
wl_wait_for "KWin's XWayland" 30 wl_xwayland_display "$kwin_pid"
WL_ENV=(WAYLAND_DISPLAY="$WL_SOCKET" DISPLAY="$(wl_xwayland_display "$kwin_pid")")

# kwin_run JS: runs a KWin script; its print() lines go to KWin's log.
script_number=0
kwin_run() {
  local file=$WL_TMP/script$((++script_number)).js id
  echo "$1" > "$file"
  chmod 644 "$file"
  id=$(wl_as_user dbus-send --session --print-reply=literal --dest=org.kde.KWin /Scripting \
         org.kde.kwin.Scripting.loadScript string:"$file" | awk '{print $NF}')
  wl_as_user dbus-send --session --print-reply --dest=org.kde.KWin "/$id" org.kde.kwin.Script.run >/dev/null 2>&1 ||
    wl_as_user dbus-send --session --print-reply --dest=org.kde.KWin "/Scripting/Script$id" org.kde.kwin.Script.run >/dev/null
}
# kwin_windows: one line per window: "resource|caption|active|fullscreen|x|y|w|h".
kwin_windows() {
  local mark="corvane-probe-$((script_number + 1))"
  kwin_run "workspace.clientList().forEach(function (c) {
    print('$mark ' + [c.resourceClass, c.caption, c.active, c.fullScreen, c.x, c.y, c.width, c.height].join('|'));
  });"
  sleep 0.3
  sed -n "s/.*$mark //p" "$kwin_log"
}
is_active() { kwin_windows | grep -q "^[^|]*|$1|true|"; }
set_full_screen() {
  kwin_run "workspace.clientList().forEach(function (c) { if (c.caption == '$1') c.fullScreen = $2; });"
}

wl_start env QT_QPA_PLATFORM=wayland "$test_window" corvane-wl-game
wl_wait_for "the Wayland test window's focus" 30 is_active corvane-wl-game
# The desktop's tray host does not run here: a watcher of the test's own.
program_start_tray_watcher "$tray_watcher"

program_start "$build"
program_expect_popup 0
popup_listed() { kwin_windows | grep -q '^corvane-simulator|'; }
wl_wait_for "the popup's surface" 30 popup_listed
windows=$(kwin_windows)
grep -q '^corvane-simulator||false|false|1672|943|247|136$' <<<"$windows" ||
  wl_fail "the popup is not an unfocused 247x136 surface at (1672,943): $windows"
grep -q '^[^|]*|corvane-wl-game|true|' <<<"$windows" || wl_fail "the popup took the focus: $windows"
read -r width height < <(awk -v s="$scale" 'BEGIN { print int(247 * s), int(136 * s) }')
grep -q "^popup LTKeyHint show .* w=$width h=$height " "$PROGRAM_TRACE" ||
  wl_fail "the popup was not drawn ${width}x$height at scale $scale"

set_full_screen corvane-wl-game true
program_wait_full_screen 1
program_expect_no_popup 1
set_full_screen corvane-wl-game false
program_wait_full_screen 0
program_expect_popup 2

wl_start env QT_QPA_PLATFORM=xcb "$test_window" corvane-x11-game
wl_wait_for "the X11 test window's focus" 30 is_active corvane-x11-game
set_full_screen corvane-x11-game true
program_wait_full_screen 1
program_expect_no_popup 3
set_full_screen corvane-x11-game false
program_wait_full_screen 0
program_expect_popup 4
is_active corvane-x11-game || wl_fail "the popup took the focus from the X11 window"

program_check_tray

echo "kwin: popup placed as a layer surface, focus kept, full-screen windows respected, tray item registered"
