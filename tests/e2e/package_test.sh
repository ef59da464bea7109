#!/usr/bin/env bash
# package_test.sh BUILD-DIR SOURCE-DIR: builds the Debian package, checks its
# contents and dependencies, installs it (apt-get in CI as root, otherwise
# unpacked into a throwaway root) and starts the installed program in a
# private X session: its icon must reach the tray, and Close must end it
# with code 0.
set -euo pipefail
build=$1
source_dir=$2
work=$(mktemp -d /tmp/corvane-package-XXXXXX)
installed_by_apt=0
program_pid=

fail() { echo "FAIL: $*" >&2; exit 1; }

# shellcheck source=scripts/x-session.sh
source "$source_dir/scripts/x-session.sh"
cleanup() {
  if [[ -n "$program_pid" ]]; then kill "$program_pid" 2>/dev/null || true; fi
  stop_private_session
  if [[ $installed_by_apt == 1 ]]; then
    apt-get remove -y -qq corvane-notification >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
# An interruption runs the clean-up as well.
trap 'exit 130' INT
trap 'exit 143' TERM

cmake --build "$build" --target corvane-notification corvane_icons >/dev/null
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/corvane-notification_*.deb)

# Contents: the program and its data under /usr/lib, the link in /usr/bin,
# desktop integration, the udev rule; the simulator stays out.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/lib/corvane-notification/corvane-notification \
  ./usr/lib/corvane-notification/Data/Settings.ini \
  ./usr/lib/corvane-notification/Data/Product/Model.txt \
  ./usr/lib/corvane-notification/Data/LTKeyHint/UI.txt \
  ./usr/lib/corvane-notification/Data/RTModeHint/UI.txt \
  ./usr/bin/corvane-notification \
  ./usr/lib/udev/rules.d/70-corvane-notification.rules \
  ./usr/share/applications/corvane-notification.desktop \
  ./usr/share/metainfo/io.corvane.Notification.metainfo.xml \
  ./usr/share/icons/hicolor/128x128/apps/corvane-notification.png \
  ./usr/share/icons/hicolor/256x256/apps/corvane-notification.png; do
  grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
if grep -q simulator <<<"$contents"; then fail "the package holds the simulator"; fi
[[ $(dpkg-deb -f "$deb" Package) == corvane-notification ]] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libudev1 libxcb1; do
  grep -q "$library" <<<"$depends" || fail "no dependency on $library: $depends"
done
rules=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/udev/rules.d/70-corvane-notification.rules)
grep -q 'TAG+="uaccess"' <<<"$rules" || fail "the udev rule does not tag uaccess"
if grep -q MODE <<<"$rules"; then fail "the udev rule sets a mode"; fi

# Install: for real only in CI as root on a machine without the package.
if [[ -n "${CI:-}" && $(id -u) == 0 ]] && command -v apt-get >/dev/null &&
  ! dpkg-query -W -f='${Status}' corvane-notification 2>/dev/null | grep -q 'ok installed'; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
  installed_by_apt=1
  root=
else
  dpkg -x "$deb" "$work/root"
  root=$work/root
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/io.corvane.Notification.metainfo.xml" \
    >/dev/null || fail "the metainfo does not validate"
fi

# The installed program, started through its link, finds its data beside
# its real path and shows its icon in the tray.
start_private_session
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config LANG=en_US.UTF-8
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS LC_ALL LC_MESSAGES
QT_QPA_PLATFORM=xcb "$root/usr/bin/corvane-notification" &
program_pid=$!
# The program's visible windows other than its tray icon: its menu, once open.
other_windows() { xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | grep -vx "$icon"; }
icon=
deadline=$((SECONDS + 30))
while ((SECONDS < deadline)); do
  icon=$(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | head -1) || true
  [[ -n "$icon" ]] && break
  sleep 0.1
done
[[ -n "$icon" ]] || fail "the installed program shows no tray icon"

# Close from the tray menu: the last item.
eval "$(xdotool getwindowgeometry --shell "$icon")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 3
deadline=$((SECONDS + 30))
until other_windows >/dev/null || ((SECONDS >= deadline)); do sleep 0.1; done
sleep 0.3
xdotool key Up Return
deadline=$((SECONDS + 30))
while ((SECONDS < deadline)); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$program_pid" 2>/dev/null; then fail "Close did not end the installed program"; fi
code=0
wait "$program_pid" || code=$?
program_pid=
[[ $code == 0 ]] || fail "the installed program ended with code $code"
echo "package $(basename "$deb"): contents, dependencies and the installed program are right"
