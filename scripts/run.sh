#!/usr/bin/env bash
# Builds and starts CorvaneNotification. Without an X display it runs in a
# private X session (Xvfb, openbox, trayer) until the program is closed.
#
#   scripts/run.sh                    the program on this machine's devices
#   scripts/run.sh --demo [SCENARIO]  the simulator with the shipped demo scenario
#                                     (or SCENARIO); screenshots of each popup go
#                                     to a folder it names
#   CORVANE_NO_BUILD=1                runs the build in $BUILD_DIR as it is
#
# The private session ends with the script, also when it is interrupted.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
if [[ "${CORVANE_NO_BUILD:-0}" != 1 ]]; then
  "$root/scripts/build.sh"
fi

if [[ "${1:-}" == "--demo" ]]; then
  command=("$root/scripts/demo.sh" "$build" ${2:+"$2"})
else
  command=("$build/bin/corvane-notification")
fi

if [[ -n "${DISPLAY:-}" ]]; then
  exec "${command[@]}"
fi
# shellcheck source=scripts/x-session.sh
source "$root/scripts/x-session.sh"
end_private_session_on_exit
start_private_session
echo "Running in a private X session on $DISPLAY" >&2
run_in_session "${command[@]}"
