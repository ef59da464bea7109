#!/usr/bin/env bash
# demo.sh BUILD-DIR [SCENARIO]: plays the demo scenario on corvane-simulator
# in the current X display (scripts/run.sh --demo starts a private one when
# there is none) and saves a picture of every popup shown into a folder it
# names at the end. On X11 the picture is cut to the popup's rectangle from
# the trace. In a Wayland session whose compositor lets grim take pictures
# (wlroots' screencopy: sway), the popup is where the compositor put it: the
# picture is cut to what changed on the screen since before the popup.
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
trap 'fullscreen_window off; rm -f "$shots/.screen.png"; rmdir "$shots" 2>/dev/null || true' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Feeds the scenario, doing the "#>" actions itself.
feed() {
  local line
  while IFS= read -r line; do
    if [[ $line == "#> fullscreen-window "* ]]; then
      fullscreen_window "${line##* }" >&2
      [[ ${line##* } == off ]] && refresh_screen
    fi
    printf '%s\n' "$line"
    # "wait" lines are slept here as well, so that the actions above happen
    # at their place in the scenario.
    if [[ $line =~ ^wait\ ([0-9]+)$ ]]; then
      sleep "$(awk "BEGIN {print ${BASH_REMATCH[1]} / 1000}")"
    fi
  done <"$scenario"
}

# The Wayland way: a picture of the screen without a popup, taken at the
# start and again after each popup hid and after the full-screen window
# left (the tray icon and windows come and go meanwhile).
wayland_shots=
if [[ -n "${WAYLAND_DISPLAY:-}" ]] && command -v grim >/dev/null && grim "$shots/.screen.png" 2>/dev/null; then
  wayland_shots=yes
fi
refresh_screen() {
  if [[ -n $wayland_shots ]] && grim "$shots/.screen-new.png" 2>/dev/null; then
    mv "$shots/.screen-new.png" "$shots/.screen.png"
  fi
}
# grab_popup NAME X11-GEOMETRY: the popup's picture into $shots/NAME.
grab_popup() {
  if [[ -z $wayland_shots ]]; then
    import -window root -crop "$2" +repage "$shots/$1"
    return
  fi
  local now=$shots/.now-$1 box
  grim "$now" || return 0
  # Of the patches of pixels that differ from the screen without the popup
  # (a window, a tray icon or a clock may have changed meanwhile), the one
  # closest in size to the popup's picture (the compositor shows it pixel
  # for pixel unless the output's scale changed since the start).
  local size=${2%%+*}
  box=$(convert "$shots/.screen.png" "$now" -compose difference -composite \
    -separate -evaluate-sequence max -threshold 0 \
    -define connected-components:verbose=true -connected-components 8 null: 2>/dev/null |
    awk -v w="${size%x*}" -v h="${size#*x}" '
      function abs(x) { return x < 0 ? -x : x }
      $NF == "gray(255)" {
        split($2, b, /[x+]/)
        off = abs(b[1] - w) + abs(b[2] - h)
        if (box == "" || off < best) { best = off; box = $2 }
      }
      END { print box }') || box=
  if [[ $box =~ ^[0-9]+x[0-9]+\+[0-9]+\+[0-9]+$ ]]; then
    convert "$now" -crop "$box" +repage "$shots/$1"
  else
    echo "demo.sh: no popup found on the screen for $1" >&2
  fi
  rm -f "$now"
}

count=0
last_key=
last_time=0
# The pictures are taken in the background, by the loop's own shell, which
# waits for them before it ends.
feed | sed -u 's/^wait .*$/wait 0/' | "$build/bin/corvane-simulator" | {
while IFS= read -r line; do
  echo "$line"
  if [[ $line =~ ^popup\ [A-Za-z]+\ hide ]]; then
    (sleep 0.2 && refresh_screen) &
  fi
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
    (sleep 0.4 && grab_popup "$name" "$geometry") &
  fi
done
wait
}
echo "Screenshots: $shots"
