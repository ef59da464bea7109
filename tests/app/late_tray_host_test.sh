#!/usr/bin/env bash
# The tray icon appears as soon as a tray host does, also when the program
# started before any (a login race). Usage: late_tray_host_test.sh PROGRAM
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
program=$1
# shellcheck source=scripts/x-session.sh
source "$root/scripts/x-session.sh"
CORVANE_SESSION_NO_TRAY=1 start_private_session || { echo "could not start the X session" >&2; exit 1; }
runtime=$(mktemp -d)
pid=
cleanup() {
  [[ -n "$pid" ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  stop_private_session
  rm -rf "$runtime"
}
trap cleanup EXIT
# An interruption runs the clean-up as well.
trap 'exit 130' INT
trap 'exit 143' TERM

XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
pid=$!
sleep 1.5
kill -0 "$pid" || { echo "the program ended without a tray host" >&2; exit 1; }

start_tray_host || exit 1
# The icon is a window of the program embedded in trayer's panel.
deadline=$((SECONDS + 30))
while ((SECONDS < deadline)); do
  if xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ {inpanel=1; next}
                                 inpanel && /CorvaneNotification/ {found=1}
                                 END {exit !found}'; then
    echo "tray icon embedded"
    exit 0
  fi
  sleep 0.2
done
echo "the tray icon did not appear in the late tray host" >&2
xwininfo -root -tree >&2
exit 1
