#!/usr/bin/env bash
# Installs the Debian packages that building and running need, and with
# --test also those that only the test suite needs. Only what is missing is
# installed; apt-get runs as root, through sudo otherwise.
#
#   scripts/install-deps.sh          build and run (scripts/build.sh, scripts/run.sh)
#   scripts/install-deps.sh --test   build, run and test (scripts/test.sh),
#                                    the Windows build included
#   scripts/install-deps.sh --windows  the Windows cross-build, its packages
#                                    and wine (scripts/build-windows.sh)
set -euo pipefail

# The default build includes the tests and the benchmarks.
build_packages=(
  cmake g++ make pkg-config ninja-build
  qt6-base-dev qt6-qpa-plugins libudev-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # Wayland: the client library and protocol descriptions the program is built with
  libwayland-dev wayland-protocols plasma-wayland-protocols
)
run_packages=(
  # Qt's Wayland platform
  qt6-wayland
  # fonts: a free Tahoma-compatible face and CJK glyphs for the Chinese texts
  fonts-wine fonts-dejavu-core fonts-wqy-microhei fontconfig
  # a private X session where there is no display: server, window manager,
  # tray host and the tools that wait for them; xrdb hands its dpi to Qt
  xvfb xauth openbox trayer xdotool x11-utils x11-xserver-utils
  # the demo: a full-screen window, and pictures of the popups
  wmctrl x11-apps imagemagick
)
test_packages=(
  # packaging: the Debian package's library dependencies, metainfo validation,
  # the RPM, and the checks distributions run on both (lintian, rpmlint, man)
  dpkg-dev appstream lintian rpm rpmlint man-db
  # the VM test: a qemu guest with Debian's kernel, a busybox initramfs and
  # its modules (the kernel package itself is fetched by the test)
  qemu-system-x86 busybox-static cpio kmod
  # the ThreadSanitizer build and the fuzz targets; the code style check
  clang libclang-rt-14-dev clang-format
  # the test script's five builds share what they compiled before
  ccache
  # headless Wayland compositors with XWayland, a screenshot tool, a session
  # bus and jq for the Wayland tests
  sway swaybg grim xwayland mutter kwin-wayland dbus-daemon dbus-bin jq
  # GNOME Shell with the AppIndicator extension (the tray on GNOME), and a
  # Wayland-native terminal that goes full screen
  gnome-shell gnome-shell-extension-appindicator foot
  # the accessibility bus and a screen reader's listener for the popups'
  # announcements; gdbus
  at-spi2-core python3-pyatspi libglib2.0-bin
  # the popup benchmark's peers: notification daemons on X11 and on sway,
  # and notify-send
  dunst mako-notifier libnotify-bin
)

# The Windows build: the mingw-w64 cross compiler (POSIX threads), GoogleTest's
# sources for the cross-built tests, wine to run them, makensis for the
# installer (cmake packs the zip itself).
windows_packages=(
  cmake ninja-build g++-mingw-w64-x86-64-posix googletest wine wine64 nsis
)

packages=("${build_packages[@]}" "${run_packages[@]}")
case "${1:-}" in
  "") ;;
  --test) packages+=("${test_packages[@]}" "${windows_packages[@]}") ;;
  --windows) packages=("${windows_packages[@]}") ;;
  *) echo "usage: install-deps.sh [--test | --windows]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
else
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
