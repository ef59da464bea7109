#!/usr/bin/env bash
# package_lint_test.sh BUILD-DIR SOURCE-DIR: builds the Debian and the RPM
# package as a distribution's tools judge them: lintian must report no error
# and no warning on the .deb, rpmlint no error on the .rpm; the program ships
# stripped, with its debug symbols in a package of its own; the manual page,
# copyright and changelog are where the tools look for them.
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/corvane-lint-XXXXXX)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --build "$build" --target corvane-notification corvane_icons corvane_docs >/dev/null
(cd "$build" && cpack -G "DEB;RPM" -B "$work/packages" >/dev/null)
deb=$(ls "$work"/packages/corvane-notification_*.deb)
ddeb=$(ls "$work"/packages/corvane-notification-dbgsym_*.ddeb 2>/dev/null) ||
  fail "no debug symbols package beside $(basename "$deb")"
rpm_file=$(ls "$work"/packages/corvane-notification-[0-9]*.rpm)

# lintian: every error and warning fails; its informational tags do not.
lintian_log=$work/lintian.log
lintian --fail-on error,warning "$deb" \
  >"$lintian_log" 2>&1 || { cat "$lintian_log" >&2; fail "lintian reports errors or warnings"; }

# The program in the package has no symbols left; they are in the dbgsym
# package, under the program's build id.
mkdir "$work/deb" "$work/ddeb"
dpkg-deb -x "$deb" "$work/deb"
dpkg-deb -x "$ddeb" "$work/ddeb"
# The GNOME Shell extension, system-wide, for users to enable.
extension=$work/deb/usr/share/gnome-shell/extensions/fullscreen-report@notification.corvane.io
[[ -f $extension/metadata.json && -f $extension/extension.js ]] ||
  fail "the .deb lacks the GNOME Shell extension"
program=$work/deb/usr/lib/corvane-notification/corvane-notification
if readelf -S "$program" | grep -qE '\.(symtab|debug_info)\b'; then
  fail "the packaged program is not stripped"
fi
build_id=$(readelf -n "$program" | sed -n 's/.*Build ID: \([0-9a-f]*\)/\1/p')
[[ -n $build_id ]] || fail "the packaged program has no build id"
debug_file=$work/ddeb/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug
[[ -f $debug_file ]] || fail "the dbgsym package lacks $debug_file"
readelf -S "$debug_file" 2>/dev/null | grep -q '\.debug_info' || fail "$debug_file holds no debug information"

for path in usr/share/man/man1/corvane-notification.1.gz \
  usr/share/doc/corvane-notification/copyright \
  usr/share/doc/corvane-notification/changelog.gz; do
  [[ -f $work/deb/$path ]] || fail "the .deb lacks /$path"
done
# The manual page is valid roff: man itself finds nothing to warn about.
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l \
  "$work/deb/usr/share/man/man1/corvane-notification.1.gz" 2>&1 >/dev/null)
[[ -z $man_warnings ]] || fail "the manual page has faults: $man_warnings"

# rpmlint: no error, with the settings in rpmlint.toml beside this script
# and none of the user's.
rpmlint_log=$work/rpmlint.log
XDG_CONFIG_HOME=$work/config rpmlint -c "$(dirname "$0")/rpmlint.toml" "$rpm_file" \
  >"$rpmlint_log" 2>&1 || true
cat "$rpmlint_log"
if grep -q ': E: ' "$rpmlint_log"; then fail "rpmlint reports errors"; fi
grep -qE '^ *[0-9]+ packages? and [0-9]+ specfiles? checked; 0 errors' "$rpmlint_log" ||
  fail "rpmlint did not check the package"

files=$(rpm -qlp "$rpm_file" 2>/dev/null)
for path in /usr/lib/corvane-notification/corvane-notification \
  /usr/lib/corvane-notification/Data/Settings.ini \
  /usr/lib/corvane-notification/Data/Product/Model.txt \
  /usr/bin/corvane-notification \
  /usr/lib/udev/rules.d/70-corvane-notification.rules \
  /usr/share/applications/corvane-notification.desktop \
  /usr/share/metainfo/io.corvane.Notification.metainfo.xml \
  /usr/share/icons/hicolor/256x256/apps/corvane-notification.png \
  /usr/share/gnome-shell/extensions/fullscreen-report@notification.corvane.io/metadata.json \
  /usr/share/gnome-shell/extensions/fullscreen-report@notification.corvane.io/extension.js \
  /usr/share/man/man1/corvane-notification.1.gz; do
  grep -qxF "$path" <<<"$files" || fail "the .rpm lacks $path"
done
# Folders of the system's own packages stay theirs.
for folder in /usr/lib/udev/rules.d /usr/share/applications /usr/share/man/man1; do
  if grep -qxF "$folder" <<<"$files"; then fail "the .rpm claims the folder $folder"; fi
done
requires=$(rpm -qp --requires "$rpm_file" 2>/dev/null)
for library in libQt6Widgets.so.6 libQt6Gui.so.6 libudev.so.1 libxcb.so.1; do
  grep -q "^$library" <<<"$requires" || fail "the .rpm does not require $library: $requires"
done
grep -qx udev <<<"$requires" || fail "the .rpm does not require udev"
rpm -qp --changelog "$rpm_file" 2>/dev/null | grep -q -- '- 1.0.0-1$' ||
  fail "the .rpm carries no changelog"

echo "packages $(basename "$deb") and $(basename "$rpm_file"): lintian and rpmlint are clean"
