# Sourced by the compositor tests: a private session for an unprivileged
# user (its own runtime folder and D-Bus session bus), the processes it
# starts, and their clean-up when the test ends however it ends.
#
# After wl_session_begin: $WL_TMP (scratch, the user's home), $WL_RUNTIME
# (XDG_RUNTIME_DIR), $WL_BUS (the bus address); wl_as_user runs a command as
# that user in that session, with the variables in $WL_ENV added.

WL_PIDS=()
WL_ENV=()
WL_LOGS=()  # shown when the test fails

wl_fail() {
  echo "FAIL: $*" >&2
  local log
  for log in "${WL_LOGS[@]}"; do
    [[ -s "$log" ]] && { echo "--- $(basename "$log"):" >&2; tail -n 20 "$log" >&2; }
  done
  exit 1
}

wl_cleanup() {
  local pid
  for pid in "${WL_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${WL_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  [[ -n "${WL_TMP:-}" ]] && rm -rf "$WL_TMP"
}

wl_session_begin() {
  trap wl_cleanup EXIT
  # A command that fails outside a condition ends the test saying which.
  set -o errtrace
  trap 'wl_fail "line $LINENO failed: $BASH_COMMAND"' ERR
  trap 'exit 1' INT TERM HUP
  WL_TMP=$(mktemp -d /tmp/corvane-wayland.XXXXXX)
  chmod 755 "$WL_TMP"
  WL_RUNTIME=$WL_TMP/runtime
  mkdir -m 700 "$WL_RUNTIME"
  if [[ $(id -u) -eq 0 ]]; then
    WL_USER=nobody
    chown "$WL_USER": "$WL_RUNTIME"
    chown "$WL_USER": "$WL_TMP"
  fi
  WL_BUS=unix:path=$WL_RUNTIME/bus
  wl_start dbus-daemon --session --nofork --address="$WL_BUS"
  wl_wait_for "the D-Bus session bus" 30 test -S "$WL_RUNTIME/bus"
}

# wl_user_command CMD...: sets WL_COMMAND to CMD run as the session's user
# in the session (each step execs the next, so it keeps one process id).
wl_user_command() {
  WL_COMMAND=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$WL_TMP" XDG_RUNTIME_DIR="$WL_RUNTIME"
              DBUS_SESSION_BUS_ADDRESS="$WL_BUS" LANG=C.UTF-8 "${WL_ENV[@]}" "$@")
  if [[ -n "${WL_USER:-}" ]]; then
    WL_COMMAND=(setpriv --reuid="$WL_USER" --regid="$(id -g "$WL_USER")" --clear-groups "${WL_COMMAND[@]}")
  fi
}

# wl_as_user CMD...: runs CMD as the session's user, in the session.
wl_as_user() {
  wl_user_command "$@"
  "${WL_COMMAND[@]}"
}

# wl_start CMD...: runs CMD as the user in the background; its pid is in
# $WL_LAST_PID and it is ended with the session.
wl_start() {
  wl_user_command "$@"
  "${WL_COMMAND[@]}" &
  WL_LAST_PID=$!
  WL_PIDS+=("$WL_LAST_PID")
}

# wl_wait_for WHAT SECONDS CMD...: waits until CMD succeeds; fails the test
# naming WHAT when it does not within SECONDS.
wl_wait_for() {
  local what=$1 seconds=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || wl_fail "$what did not come within ${seconds}s"
    sleep 0.1
  done
}

# wl_pixel PNG X Y: the pixel's colour as rrggbb.
wl_pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tr 'A-F' 'a-f'
}

# wl_expect_pixel PNG X Y COLOUR|!COLOUR WHAT: the pixel is (or, with !, is
# not) that colour.
wl_expect_pixel() {
  local actual
  actual=$(wl_pixel "$1" "$2" "$3")
  if [[ "$4" == !* ]]; then
    [[ "$actual" != "${4#!}" ]] || wl_fail "$5: pixel ($2,$3) is $actual"
  else
    [[ "$actual" == "$4" ]] || wl_fail "$5: pixel ($2,$3) is $actual, expected $4"
  fi
}

# wl_compositor_socket WHAT: waits for the compositor's socket in the
# runtime folder and sets WL_SOCKET to its name.
wl_compositor_socket() {
  wl_wait_for "$1's socket" 30 compgen -G "$WL_RUNTIME/wayland-*.lock"
  WL_SOCKET=$(basename "$(compgen -G "$WL_RUNTIME/wayland-*.lock")" .lock)
}

# wl_xwayland_display PID: the display of the XWayland that process PID
# started (fails while there is none).
wl_xwayland_display() {
  tr '\0' '\n' < "/proc/$(pgrep -P "$1" -x Xwayland)/cmdline" | grep '^:'
}

# wl_start_sway OUTPUT_SETTINGS [CONFIG_LINES]: a headless sway with
# XWayland and a bar at the bottom, its one output 1920x1080 with the given
# settings; WL_ENV then names its socket, its IPC socket and XWayland.
wl_start_sway() {
  cat > "$WL_TMP/sway.config" <<CONFIG
output HEADLESS-1 resolution 1920x1080 $1
xwayland enable
${2:-}
bar {
  position bottom
}
CONFIG
  chmod 644 "$WL_TMP/sway.config"
  WL_ENV=(WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1)
  wl_start sway -c "$WL_TMP/sway.config"
  wl_compositor_socket sway
  wl_wait_for "sway's IPC socket" 30 compgen -G "$WL_RUNTIME/sway-ipc.*.sock"
  WL_ENV=(WAYLAND_DISPLAY="$WL_SOCKET" SWAYSOCK="$(compgen -G "$WL_RUNTIME/sway-ipc.*.sock")")
  # XWayland's display, as sway hands it to what it starts.
  wl_as_user swaymsg exec "printenv DISPLAY > $WL_TMP/display" >/dev/null
  wl_wait_for "XWayland's display name" 30 test -s "$WL_TMP/display"
  WL_ENV+=(DISPLAY="$(cat "$WL_TMP/display")")
  # For the test: swaymsg in the session, and sway's focused window.
  swaymsg() { wl_as_user swaymsg "$@"; }
  sway_focused_name() { swaymsg -t get_tree -r | jq -r '.. | objects | select(.focused? == true) | .name'; }
  sway_is_focused() { [[ "$(sway_focused_name)" == "$1" ]]; }
}

# wl_use_xwayland_of PID WHAT: WL_ENV names the Wayland socket and the
# XWayland (display and authority file) that mutter, or GNOME Shell on it,
# started as process PID.
wl_use_xwayland_of() {
  wl_compositor_socket "$2"
  wl_wait_for "$2's XWayland" 30 wl_xwayland_display "$1"
  wl_wait_for "XWayland's authority file" 30 compgen -G "$WL_RUNTIME/.mutter-Xwaylandauth.*"
  WL_ENV=(WAYLAND_DISPLAY="$WL_SOCKET" DISPLAY="$(wl_xwayland_display "$1")"
          XAUTHORITY="$(compgen -G "$WL_RUNTIME/.mutter-Xwaylandauth.*")")
  wl_wait_for "XWayland's answer" 30 wl_as_user xdpyinfo
}

# wl_start_mutter: a headless mutter (GNOME's compositor) with one virtual
# monitor of 1920x1080 and its XWayland; WL_ENV then names its socket,
# XWayland's display and the authority file mutter wrote for it.
wl_start_mutter() {
  wl_start mutter --headless --wayland --virtual-monitor 1920x1080
  wl_use_xwayland_of "$WL_LAST_PID" mutter
}

# wl_enter_private_system ARGUMENTS...: GNOME Shell asks systemd for a seat
# and the machine's system bus for accounts and devices. The calling script
# runs again, with ARGUMENTS, in a mount namespace of its own where
# /run/systemd is empty and /run/dbus is left for wl_start_system_bus. The
# namespace needs root (and a container that lets root make one): the
# script ends as skipped (77) without it.
wl_enter_private_system() {
  if [[ -z "${WL_PRIVATE_SYSTEM:-}" ]]; then
    if [[ $(id -u) -ne 0 ]] || ! unshare --mount true 2>/dev/null; then
      echo "SKIP: GNOME Shell runs here only in a mount namespace of its own, which needs root"
      exit 77
    fi
    exec env WL_PRIVATE_SYSTEM=1 unshare --mount --propagation private bash "$0" "$@"
  fi
  mkdir -p /run/systemd /run/dbus
  mount -t tmpfs none /run/systemd
  mount -t tmpfs none /run/dbus
}

# wl_start_system_bus: a system bus of the test's own (after
# wl_enter_private_system and wl_session_begin).
wl_start_system_bus() {
  # No service is started on demand: the machine's system services stay
  # out of the test.
  cat > "$WL_TMP/system-bus.conf" <<'CONFIG'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=/run/dbus/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
CONFIG
  dbus-daemon --config-file="$WL_TMP/system-bus.conf" --nofork --nopidfile &
  WL_PIDS+=("$!")
  wl_wait_for "the system bus" 30 test -S /run/dbus/system_bus_socket
}

# wl_start_gnome_shell UUID...: a headless GNOME Shell with one virtual
# monitor of 1920x1080, its XWayland, and the extensions UUID... enabled
# (installed system-wide, or for the session's user in
# $WL_TMP/.local/share/gnome-shell/extensions); WL_ENV as for mutter, and
# XDG_CURRENT_DESKTOP as a GNOME session sets it.
wl_start_gnome_shell() {
  local list=
  (($# == 0)) || list=$(printf "'%s', " "$@")
  wl_as_user gsettings set org.gnome.shell disable-user-extensions false
  wl_as_user gsettings set org.gnome.shell enabled-extensions "[${list%, }]"
  wl_start gnome-shell --headless --wayland --virtual-monitor 1920x1080
  local shell_pid=$WL_LAST_PID
  wl_wait_for "GNOME Shell's bus name" 90 wl_as_user gdbus call --session -d org.gnome.Shell \
    -o /org/gnome/Shell -m org.freedesktop.DBus.Properties.Get org.gnome.Shell ShellVersion
  wl_use_xwayland_of "$shell_pid" gnome-shell
  WL_ENV+=(XDG_CURRENT_DESKTOP=GNOME)
  # The shell starts in its overview, where no window is active.
  overview_hidden() {
    wl_as_user gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell \
      -m org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive '<false>' >/dev/null &&
      wl_as_user gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell \
        -m org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive | grep -q false
  }
  wl_wait_for "the overview's end" 30 overview_hidden
}
