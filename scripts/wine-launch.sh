#!/usr/bin/env bash
# The Windows tests' emulator: runs PROGRAM.exe under wine. Now and then
# wine fails to start a process at all (it ends at once, non-zero, having
# written nothing); a test executable always writes before it ends, so such
# a start is tried once more. Whatever a started program prints and returns
# is passed on unchanged.
#
#   scripts/wine-launch.sh PROGRAM.exe [ARGUMENTS...]
set -uo pipefail
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
for attempt in 1 2; do
  wine "$@" >"$output" 2>"$errors"
  status=$?
  if ((status == 0)) || [[ -s $output || -s $errors ]] || ((attempt == 2)); then break; fi
  echo "wine-launch: wine started nothing (status $status); starting it again" >&2
done
cat "$output"
cat "$errors" >&2
exit "$status"
