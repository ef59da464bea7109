#!/usr/bin/env bash
# Runs a Windows executable under wine inside a private X session (Xvfb,
# openbox, trayer), with a wine prefix of the build tree's own, and reports
# its exit code. A session or a wine that cannot start is a failure, never
# a silent pass.
#
#   tests/support/run-under-wine.sh PROGRAM.exe [ARGUMENTS...]
#
# CORVANE_WINEPREFIX names the prefix (default: wine-x beside the program's
# build tree); it is made on first use.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
# shellcheck source=scripts/x-session.sh
source "$root/scripts/x-session.sh"
end_private_session_on_exit
if ! start_private_session 1920x1080 96; then
  echo "could not start the X session" >&2
  exit 1
fi
use_wine_prefix "${CORVANE_WINEPREFIX:-$(dirname "$1")/wine-x}" || exit 1
run_in_session wine "$@"
status=$?
# The prefix's own processes (the desktop, the tray) end with the session.
wineserver -k 2>/dev/null
exit $status
