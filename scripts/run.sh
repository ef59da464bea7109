#!/usr/bin/env bash
# Builds and starts CorvaneNotification. Without an X display it runs in a
# private X session (Xvfb, openbox, trayer) until the program is closed.
#
#   scripts/run.sh            the program on this machine's devices
#   scripts/run.sh --demo     the simulator with the shipped demo scenario;
#                             screenshots of each popup go to a folder it names
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build.sh"

# shellcheck source=scripts/x-session.sh
source "$root/scripts/x-session.sh"
if [[ -z "${DISPLAY:-}" ]]; then
  start_private_session
  trap stop_private_session EXIT
  echo "Running in a private X session on $DISPLAY" >&2
fi

if [[ "${1:-}" == "--demo" ]]; then
  exec "$root/scripts/demo.sh" "$build"
fi
"$build/bin/corvane-notification"
