#!/usr/bin/env bash
# A private X session: an Xvfb server on a display number of its own
# choosing, the openbox window manager and the trayer tray host docked at the
# bottom right with a strut. Source this file, then call start_private_session / stop_private_session.
# Run as a program, it starts a session, prints its display and keeps it
# until it is killed or its standard input closes:
#
#   scripts/x-session.sh [WIDTHxHEIGHT] [DPI]
#
#   start_private_session [WIDTHxHEIGHT] [DPI]   exports DISPLAY
#   start_tray_host                               (again) starts trayer
#   CORVANE_SESSION_NO_TRAY=1 leaves the tray host out of the session
#   CORVANE_TRAY_WIDTH=N      gives the tray host a fixed width of N pixels
#   stop_private_session                          ends every process it started
#   end_private_session_on_exit                   the session (and the command of
#                                                 run_in_session) ends with the script:
#                                                 on success, failure, INT, TERM and HUP
#   run_in_session COMMAND...                     runs the command and returns its status;
#                                                 a signal to the script ends it at once
#   _xs_wait_for SECONDS COMMAND...               waits until the command succeeds, false
#                                                 when the seconds pass first (the tests
#                                                 that source this file wait with it too)

_xs_pids=()
_xs_command=
# The session's programs die with the shell that started them, even when it
# is killed outright and its traps never run.
_xs_tied=()
if command -v setpriv >/dev/null 2>&1; then _xs_tied=(setpriv --pdeathsig KILL); fi

_xs_wait_for() {  # seconds, command...
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

_xs_window_manager_ready() {
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' &&
    xprop -root _NET_WORKAREA | grep -q '='
}

_xs_tray_ready() {
  local screen
  screen=$(xdpyinfo 2>/dev/null | awk '/default screen number/ {print $4}')
  xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1 &&
    xdotool search --classname trayer >/dev/null 2>&1 &&
    [[ -n "$screen" ]]
}

start_private_session() {
  local geometry=${1:-1920x1080} dpi=${2:-96} number_file display
  # The server picks a free display number itself and writes it to the
  # descriptor, so sessions started at the same time never share one.
  number_file=$(mktemp)
  "${_xs_tied[@]}" Xvfb -displayfd 3 -screen 0 "${geometry}x24" -dpi "$dpi" -nolisten tcp -noreset \
    3>"$number_file" >/dev/null 2>&1 &
  _xs_pids+=($!)
  if ! _xs_wait_for 15 test -s "$number_file"; then
    echo "Xvfb did not start" >&2
    rm -f "$number_file"
    stop_private_session
    return 1
  fi
  display=$(head -n 1 "$number_file")
  rm -f "$number_file"
  export DISPLAY=":$display"
  if ! _xs_wait_for 15 xdpyinfo; then
    echo "Xvfb did not answer on $DISPLAY" >&2
    stop_private_session
    return 1
  fi
  # Xft.dpi makes Qt report the same density as the server.
  echo "Xft.dpi: $dpi" | xrdb -merge 2>/dev/null || true
  "${_xs_tied[@]}" openbox --sm-disable >/dev/null 2>&1 &
  _xs_pids+=($!)
  # A dock that maps before the window manager has published its work area
  # may have its strut ignored: wait for both.
  _xs_wait_for 15 _xs_window_manager_ready || true
  if [[ "${CORVANE_SESSION_NO_TRAY:-0}" != 1 ]] && ! start_tray_host; then
    stop_private_session
    return 1
  fi
}

start_tray_host() {
  # A tray of a fixed width never resizes once an icon docks: wine keeps its
  # icon's input area where the tray was when the icon docked, so in a tray
  # that grows afterwards the icon misses its clicks.
  local width=(--widthtype request)
  [[ -n ${CORVANE_TRAY_WIDTH:-} ]] && width=(--widthtype pixel --width "$CORVANE_TRAY_WIDTH")
  "${_xs_tied[@]}" trayer --edge bottom --align right --SetDockType true --SetPartialStrut true \
    "${width[@]}" --height 28 --tint 0x2b2b2b --transparent false \
    --expand true >/dev/null 2>&1 &
  _xs_pids+=($!)
  if ! _xs_wait_for 15 _xs_tray_ready; then
    echo "the tray host did not start on $DISPLAY" >&2
    return 1
  fi
}

stop_private_session() {
  local pid
  for ((i = ${#_xs_pids[@]} - 1; i >= 0; i--)); do
    pid=${_xs_pids[i]}
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${_xs_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  _xs_pids=()
}

end_private_session_on_exit() {
  trap _xs_end_all EXIT
  # exit runs the EXIT trap; a plain death by the signal would not.
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

# The command runs in a process group of its own, so that everything it
# started ends with it, and in the background, so that the shell's wait
# returns at once when a signal comes (a foreground command would hold the
# traps back until it ended).
run_in_session() {
  local status=0
  set -m
  "$@" &
  _xs_command=$!
  set +m
  wait "$_xs_command" || status=$?
  _xs_command=
  return "$status"
}

_xs_end_all() {
  if [[ -n "$_xs_command" ]]; then
    kill -TERM -- "-$_xs_command" 2>/dev/null || true
    wait "$_xs_command" 2>/dev/null || true
    _xs_command=
  fi
  stop_private_session
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -uo pipefail
  end_private_session_on_exit
  start_private_session "$@" || exit 1
  echo "$DISPLAY"
  # Whoever started the session holds its other end of the input: when that
  # closes, the session is no longer wanted.
  while read -r _; do :; done
fi
