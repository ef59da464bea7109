#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: the unit
# and widget tests, the whole-program tests in private X sessions, and the
# sanitizer builds (AddressSanitizer + UndefinedBehaviorSanitizer of the
# suite, ThreadSanitizer of the monitor and slot tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
CORVANE_WITH_CLANG=1 "$root/scripts/install-deps.sh"
jobs=$(nproc)

run_suite() {  # build-dir, ctest-args..., -- cmake-args...
  local build=$1
  shift
  local ctest_args=()
  while [[ $# -gt 0 && "$1" != "--" ]]; do ctest_args+=("$1"); shift; done
  [[ "${1:-}" == "--" ]] && shift
  cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
  cmake --build "$build" -j"$jobs"
  ctest --test-dir "$build" --output-on-failure -j"$jobs" "${ctest_args[@]}"
}

echo "== the suite" >&2
run_suite "$root/build" -- -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== AddressSanitizer + UndefinedBehaviorSanitizer" >&2
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$root/tests/lsan.supp \
  run_suite "$root/build-asan" -LE 'e2e|slow' -- -DCMAKE_BUILD_TYPE=Debug \
  -DCORVANE_SANITIZE=address,undefined -DCORVANE_BUILD_BENCH=OFF

echo "== ThreadSanitizer: monitors and slots" >&2
TSAN_OPTIONS=halt_on_error=1 \
  run_suite "$root/build-tsan" -L threads -- -DCMAKE_BUILD_TYPE=Debug \
  -DCORVANE_SANITIZE=thread -DCORVANE_BUILD_BENCH=OFF
