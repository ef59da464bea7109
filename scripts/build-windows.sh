#!/usr/bin/env bash
# Installs what is missing, cross-builds the Windows program with mingw-w64
# into build-windows/ (or $BUILD_DIR) and makes its packages in
# build-windows/packages: CorvaneNotification-VERSION-windows-x64.zip (the
# executable and its Data folder) and CorvaneNotification-VERSION-setup.exe
# (the per-user installer). Arguments go to cmake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --windows
build=${BUILD_DIR:-$root/build-windows}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
cmake --build "$build" --target corvane_windows_packages
ls -l "$build"/packages/*
