#!/usr/bin/env bash
# Runs a command inside a private X session (Xvfb, openbox, trayer) and
# reports its exit code. A session that cannot start is a failure, never a
# silent pass. The session ends with the script, also when it is interrupted.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=scripts/x-session.sh
source "$root/scripts/x-session.sh"
end_private_session_on_exit
if ! start_private_session 1920x1080 96; then
  echo "could not start the X session" >&2
  exit 1
fi
QT_QPA_PLATFORM=xcb run_in_session "$@"
