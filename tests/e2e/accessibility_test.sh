#!/usr/bin/env bash
# accessibility_test.sh BUILD-DIR SOURCE-DIR: what a screen reader hears of
# the popups. A private X session gets a session bus and the AT-SPI bus with
# accessibility switched on, as a desktop does when a screen reader runs; a
# listener subscribed as screen readers are must hear every popup the
# simulator shows as an alert carrying its title and text.
set -euo pipefail
build=$1
source_dir=$2
work=$(mktemp -d /tmp/corvane-a11y-XXXXXX)
bus_pid=
pids=()

fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*.log "$work"/heard; do
    [[ -s $log ]] && { echo "--- $(basename "$log")"; cat "$log"; } >&2
  done
  exit 1
}

# shellcheck source=scripts/x-session.sh
source "$source_dir/scripts/x-session.sh"
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  [[ -n $bus_pid ]] && kill "$bus_pid" 2>/dev/null
  stop_private_session
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits up to a generous number of seconds for a command to succeed.
wait_for() { _xs_wait_for "$@"; }

start_private_session
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config LANG=C.UTF-8
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
unset LC_ALL LC_MESSAGES

# The session bus, and on it the accessibility bus launcher, which starts the
# AT-SPI bus and its registry.
{ read -r DBUS_SESSION_BUS_ADDRESS && read -r bus_pid; } < <(
  dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus-launcher.log" 2>&1 &
pids+=($!)
wait_for 60 gdbus call --session -d org.a11y.Bus -o /org/a11y/bus -m org.a11y.Bus.GetAddress ||
  fail "the AT-SPI bus did not start"
# What a screen reader's start sets: programs then open their accessibility.
gdbus call --session -d org.a11y.Bus -o /org/a11y/bus \
  -m org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled '<true>' >/dev/null

# Debian's Python, which python3-pyatspi is installed for.
/usr/bin/python3 "$source_dir/tests/e2e/alert_listener.py" 300 >"$work/heard" 2>"$work/listener.log" &
listener=$!
pids+=($listener)
listening() { grep -q '^listening$' "$work/heard" || ! kill -0 "$listener"; }
wait_for 60 listening && kill -0 "$listener" 2>/dev/null || fail "the listener did not subscribe"

# Each event waits for the previous popup to be announced, so no show is
# missed on a busy machine; the scenario ends with Close.
mkfifo "$work/scenario"
QT_QPA_PLATFORM=xcb "$build/bin/corvane-simulator" "$work/scenario" >"$work/trace.log" 2>&1 &
simulator=$!
pids+=($simulator)
exec 3>"$work/scenario"
echo "plug kb1 keyboard" >&3
echo "plug m1 mouse" >&3
wait_for 60 grep -q '^feature m1 ' "$work/trace.log" || fail "the simulated devices were not switched"

# Sends one scenario line; the popup it shows must be heard as an alert
# whose name is `title` and whose description is the text the popup shows.
alerts_heard() { grep -c '^alert' "$work/heard" || true; }
more_alerts_than() { (($(alerts_heard) > $1)); }
expect_alert() {  # scenario line, title
  local heard_before alert shown text
  heard_before=$(alerts_heard)
  echo "$1" >&3
  wait_for 60 more_alerts_than "$heard_before" || fail "no alert was heard for '$1'"
  alert=$(grep '^alert' "$work/heard" | tail -n 1)
  shown=$(grep '^popup .* show ' "$work/trace.log" | tail -n 1)
  text=$(sed -n 's/.* text="\([^"]*\)".*/\1/p' <<<"$shown")
  [[ $shown == *" title=\"$2\" "* && -n $text ]] || fail "'$1' showed: $shown"
  [[ $alert == "$(printf 'alert\t%s\t%s' "$2" "$text")" ]] ||
    fail "'$1' showed '$2' / '$text', but the alert said: $alert"
}
expect_alert "lt kb1 3" "LT Key"
# Shown again while the first popup is still on screen.
expect_alert "cpi m1 2" "Mouse CPI"
expect_alert "rt kb1 1" "RT Mode"
expect_alert "lt kb1 5" "LT Key"
echo "close" >&3
exec 3>&-
wait_for 60 bash -c "! kill -0 $simulator" || fail "the simulator did not end"
echo "every popup was announced as an alert with its title and text"
