#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Only what is missing is installed; apt-get runs as root, through sudo otherwise.
set -euo pipefail

packages=(
  # build
  cmake g++ make pkg-config ninja-build
  qt6-base-dev qt6-qpa-plugins libudev-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # a private X session: server, window manager, tray host, tools the tests drive it with
  xvfb xauth openbox trayer xdotool wmctrl x11-utils x11-apps imagemagick
  # xrdb: the private session hands its dpi to Qt through Xft.dpi
  x11-xserver-utils
  # Wayland: the client library and protocol descriptions the program is
  # built with, Qt's Wayland platform, and headless compositors with
  # XWayland, a screenshot tool, a session bus and jq for the tests
  libwayland-dev wayland-protocols plasma-wayland-protocols qt6-wayland
  sway swaybg grim xwayland mutter kwin-wayland dbus-daemon dbus-bin jq
  # packaging: the Debian package's library dependencies, metainfo validation
  dpkg-dev appstream
  # fonts: a free Tahoma-compatible face and CJK glyphs for the Chinese texts
  fonts-wine fonts-dejavu-core fonts-wqy-microhei fontconfig
  # the VM test: a qemu guest with Debian's kernel, a busybox initramfs and
  # its modules (the kernel package itself is fetched by the test)
  qemu-system-x86 busybox-static cpio kmod
)

if [[ "${CORVANE_WITH_CLANG:-0}" == 1 ]]; then
  packages+=(clang libclang-rt-14-dev)
fi

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
