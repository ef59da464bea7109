#!/usr/bin/env bash
# demo.sh BUILD-DIR [SCENARIO]: plays the demo scenario on corvane-simulator
# in the current X display (scripts/run.sh --demo starts a private one when
# there is none) and saves a picture of every popup shown, cut to the popup's
# rectangle from the trace, into a folder it names at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
scenario=${2:-$root/scripts/demo.scenario}
[[ -n "${DISPLAY:-}" ]] || { echo "demo.sh needs an X display" >&2; exit 1; }
shots=$(mktemp -d /tmp/corvane-demo-XXXXXX)
fullscreen_pid=

# A plain window made full-screen and active: the program's watcher reports
# it, and the popups stay away while it lasts.
fullscreen_window() {
  if [[ $1 == on ]]; then
    xlogo -geometry 300x200+50+50 &
    fullscreen_pid=$!
    for _ in $(seq 50); do wmctrl -l 2>/dev/null | grep -q xlogo && break; sleep 0.1; done
    wmctrl -a xlogo || true
    wmctrl -r xlogo -b add,fullscreen || true
    sleep 0.5
  elif [[ -n "$fullscreen_pid" ]]; then
    kill "$fullscreen_pid" 2>/dev/null || true
    wait "$fullscreen_pid" 2>/dev/null || true
    fullscreen_pid=
    sleep 0.5
  fi
}
# An interrupted demo leaves no window behind, nor an empty folder.
trap 'fullscreen_window off; rmdir "$shots" 2>/dev/null || true' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Feeds the scenario, doing the "#>" actions itself.
feed() {
  local line
  while IFS= read -r line; do
    if [[ $line == "#> fullscreen-window "* ]]; then
      fullscreen_window "${line##* }" >&2
    fi
    printf '%s\n' "$line"
    # "wait" lines are slept here as well, so that the actions above happen
    # at their place in the scenario.
    if [[ $line =~ ^wait\ ([0-9]+)$ ]]; then
      sleep "$(awk "BEGIN {print ${BASH_REMATCH[1]} / 1000}")"
    fi
  done <"$scenario"
}

count=0
last_key=
last_time=0
feed | sed -u 's/^wait .*$/wait 0/' | "$build/bin/corvane-simulator" | while IFS= read -r line; do
  echo "$line"
  pattern='^popup ([A-Za-z]+) show .*text="([^"]*)".* x=(-?[0-9]+) y=(-?[0-9]+) w=([0-9]+) h=([0-9]+)'
  if [[ $line =~ $pattern ]]; then
    # A device watched twice shows the same popup twice in a row: one picture.
    key="${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
    now=${EPOCHREALTIME/./}
    if [[ $key == "$last_key" ]] && ((now - last_time < 1000000)); then continue; fi
    last_key=$key
    last_time=$now
    count=$((count + 1))
    name=$(printf '%02d-%s-%s.png' "$count" "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]//[^A-Za-z0-9]/_}")
    geometry="${BASH_REMATCH[5]}x${BASH_REMATCH[6]}+${BASH_REMATCH[3]}+${BASH_REMATCH[4]}"
    # Give the window manager a moment to map and paint it.
    (sleep 0.4 && import -window root -crop "$geometry" +repage "$shots/$name") &
  fi
done
wait
echo "Screenshots: $shots"
