#!/usr/bin/env bash
# Idle cost of the program on Wayland: starts it in a headless sway (with
# XWayland and a bar hosting its tray item), lets it settle, then counts its
# threads' context switches (every wake-up is one) over a span of seconds.
# Usage: bench/wayland_idle_wakeups.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$1
span=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/support/wayland/session.sh"

wl_session_begin
wl_start_sway ""

wl_start "$build/bin/corvane-notification"
program=$WL_LAST_PID
sleep 5  # start-up, discovery, the tray's registration

# One line per thread: "tid name switches".
switches() {
  local task
  for task in /proc/"$program"/task/*; do
    echo "${task##*/} $(cat "$task/comm" | tr ' ' _) $(awk '/ctxt_switches/ { sum += $2 } END { print sum }' "$task/status")"
  done | sort
}
switches > "$WL_TMP/before"
sleep "$span"
switches > "$WL_TMP/after"
# Threads present at both readings; one that came or went is named.
join "$WL_TMP/before" "$WL_TMP/after" | awk -v span="$span" '
  { delta = $5 - $3; total += delta; printf "  %-20s %6d\n", $2, delta }
  END { printf "wayland idle: %d wake-ups in %ds (%.2f per second)\n", total, span, total / span }'
join -v1 -v2 "$WL_TMP/before" "$WL_TMP/after" | sed 's/^/  thread started or ended: /'
