# Sourced by the compositor tests after session.sh: the simulator (the whole
# program on simulated devices) in the session, fed scenario lines through a
# FIFO, its trace lines in $PROGRAM_TRACE.

# program_start BUILD_DIR [ENV=VALUE...]: starts the simulator with a
# keyboard plugged in.
program_start() {
  local build=$1
  shift
  PROGRAM_TRACE=$WL_TMP/trace
  mkfifo -m 644 "$WL_TMP/scenario"
  : > "$PROGRAM_TRACE"
  chmod 666 "$PROGRAM_TRACE"
  wl_start env "$@" sh -c "exec '$build/bin/corvane-simulator' < '$WL_TMP/scenario' >> '$PROGRAM_TRACE' 2> '$WL_TMP/program.err'"
  WL_LOGS+=("$PROGRAM_TRACE" "$WL_TMP/program.err")
  exec 3> "$WL_TMP/scenario"
  program_send "plug keyboard1 keyboard"
  wl_wait_for "the keyboard's notification mode" 30 grep -q '^feature keyboard1' "$PROGRAM_TRACE"
}

program_send() { echo "$1" >&3; }

program_count() { grep -c -- "$1" "$PROGRAM_TRACE" || true; }

program_has_more() { (($(program_count "$1") > $2)); }

# program_notify TEXT_INDEX: one LT-key event; waits until the main window
# has handled it (and a popup, if any, is placed and drawn).
program_notify() {
  local handled
  handled=$(program_count "^message 1025 wParam=$1 ")
  program_send "lt keyboard1 $1"
  wl_wait_for "the LT-key event" 30 program_has_more "^message 1025 wParam=$1 " "$handled"
  sleep 0.3
}

# program_expect_popup TEXT_INDEX / program_expect_no_popup TEXT_INDEX.
program_expect_popup() {
  local shown
  shown=$(program_count "^popup LTKeyHint show")
  program_notify "$1"
  program_has_more "^popup LTKeyHint show" "$shown" || wl_fail "no popup for LT key state $1"
}
program_expect_no_popup() {
  local shown
  shown=$(program_count "^popup LTKeyHint show")
  program_notify "$1"
  ! program_has_more "^popup LTKeyHint show" "$shown" || wl_fail "a popup for LT key state $1 over a full-screen window"
}

# program_wait_full_screen 1|0: the program was told the focused window is
# (1) or is no longer (0) full-screen.
program_last_full_screen_is() {
  grep '^message 1028 ' "$PROGRAM_TRACE" | tail -n 1 | grep -q "wParam=2 lParam=$1\$"
}
program_wait_full_screen() {
  wl_wait_for "the full-screen report lParam=$1" 30 program_last_full_screen_is "$1"
}

# program_check_tray: the session's watcher lists the program's item, whose
# menu carries the captions of the current language; choosing another
# language through the menu recaptions it.
program_check_tray() {
  bus_call() { wl_as_user dbus-send --session --print-reply "$@"; }
  registered_items() {
    bus_call --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
      string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems | sed -n 's/^ *string "\(.*\)"$/\1/p'
  }
  has_registered_items() { [[ -n "$(registered_items)" ]]; }
  wl_wait_for "the tray item's registration" 30 has_registered_items
  # item_service and menu_path stay set for program_close_from_tray.
  local item item_path chinese
  item=$(registered_items | sed -n 1p)
  # "service/path" (KDE's watcher), or "service@/path" (GNOME's
  # AppIndicator extension).
  item=${item/@\//\/}
  item_service=${item%%/*}
  item_path=/${item#*/}
  menu_path=$(bus_call --dest="$item_service" "$item_path" org.freedesktop.DBus.Properties.Get \
    string:org.kde.StatusNotifierItem string:Menu | sed -n 's/.*object path "\(.*\)"$/\1/p')
  [[ -n "$menu_path" ]] || wl_fail "the tray item exports no menu"
  menu_layout() {
    bus_call --dest="$item_service" "$menu_path" com.canonical.dbusmenu.GetLayout int32:0 int32:-1 array:string:
  }
  expect_captions() {
    local layout caption
    layout=$(menu_layout)
    for caption in "$@"; do
      grep -q "string \"$caption\"" <<<"$layout" || wl_fail "the tray menu has no '$caption'"
    done
  }
  expect_captions Close "Start at login" Language English 简体中文 繁體中文
  chinese=$(menu_layout | awk '$1 == "int32" { id = $2 } /string "简体中文"/ && !found { print id; found = 1 }')
  bus_call --dest="$item_service" "$menu_path" com.canonical.dbusmenu.Event \
    int32:"$chinese" string:clicked variant:int32:0 uint32:0 >/dev/null
  menu_has() { grep -q "string \"$1\"" <<<"$(menu_layout)"; }
  wl_wait_for "the Simplified Chinese captions" 30 menu_has 关闭
  expect_captions 关闭 开机启动 语言
}

# program_start_tray_watcher WATCHER: a watcher of the test's own where the
# desktop's tray host does not run.
program_start_tray_watcher() {
  wl_start "$1"
  wl_wait_for "the tray watcher" 30 wl_as_user dbus-send --session --print-reply --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus org.freedesktop.DBus.GetNameOwner string:org.kde.StatusNotifierWatcher
}

# program_close_from_tray: chooses the tray menu's Close (in whichever
# language its captions are) over DBusMenu, after program_check_tray.
program_close_from_tray() {
  local close
  close=$(menu_layout | awk '$1 == "int32" { id = $2 } /string "(Close|关闭|關閉)"/ && !found { print id; found = 1 }')
  [[ -n "$close" ]] || wl_fail "the tray menu has no Close"
  bus_call --dest="$item_service" "$menu_path" com.canonical.dbusmenu.Event \
    int32:"$close" string:clicked variant:int32:0 uint32:0 >/dev/null
}

# program_read_popup_window: waits for the popup's visible X11 window (under
# XWayland) and sets POPUP_GEOMETRY to "X Y WIDTH HEIGHT" and POPUP_DEPTH.
program_read_popup_window() {
  local popup=
  find_popup() {
    popup=$(wl_as_user xdotool search --onlyvisible --classname corvane-simulator 2>/dev/null | sed -n 1p || true)
    [[ -n "$popup" ]]
  }
  wl_wait_for "the popup's visible window" 30 find_popup
  local info
  info=$(wl_as_user xwininfo -id "$popup")
  POPUP_GEOMETRY="$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info") $(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")"
  POPUP_GEOMETRY+=" $(sed -n 's/.*Width: *//p' <<<"$info") $(sed -n 's/.*Height: *//p' <<<"$info")"
  POPUP_DEPTH=$(sed -n 's/.*Depth: *//p' <<<"$info")
}
