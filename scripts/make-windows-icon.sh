#!/usr/bin/env bash
# Writes app/win32/corvane-notification.ico, the Windows executable's and
# tray's icon, from the same drawing as the Linux icon (corvane-icon-writer
# of a Linux build), at the sizes Windows asks for. Run by hand after the
# drawing changes; the icon file is kept in the repository.
#   scripts/make-windows-icon.sh [LINUX_BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target corvane-icon-writer >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(16 20 24 32 40 48 64 256)
"$build/bin/corvane-icon-writer" "$work" "${sizes[@]}"
pictures=()
for size in "${sizes[@]}"; do pictures+=("$work/$size/corvane-notification.png"); done
convert "${pictures[@]}" "$root/app/win32/corvane-notification.ico"
