#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite:
#  1. every test (unit, widget, X11, whole-program and virtual-machine tests)
#     on a regular build;
#  2. the unit and widget tests built with AddressSanitizer and
#     UndefinedBehaviorSanitizer;
#  3. the monitor, slot and simulated-device tests built with ThreadSanitizer;
#  4. a short libFuzzer run of every reader of device or data-file input.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
CORVANE_WITH_CLANG=1 "$root/scripts/install-deps.sh"
jobs=$(nproc)

passed=0
failed=0
skipped=0
# Runs ctest and adds its figures to the totals printed at the end.
run_ctest() {
  local log
  log=$(mktemp)
  ctest --output-on-failure -j"$jobs" "$@" 2>&1 | tee "$log"
  local total fails skips
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  fails=$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
  skips=$(grep -c '(Skipped)$' "$log" || true)
  rm -f "$log"
  passed=$((passed + ${total:-0} - ${fails:-0} - skips))
  failed=$((failed + ${fails:-0}))
  skipped=$((skipped + skips))
}

configure() {  # build-dir, cmake-args...
  local build=$1
  shift
  cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
}

echo "== the suite" >&2
configure "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" -j"$jobs"
run_ctest --test-dir "$root/build"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer" >&2
configure "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DCORVANE_BUILD_BENCH=OFF \
  -DCORVANE_SANITIZE=address,undefined -DCORVANE_TEST_ROOMS="skin;platform;hid;protocol;monitors;popups;app"
cmake --build "$root/build-asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  LSAN_OPTIONS=suppressions="$root/tests/lsan.supp":print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1 \
  run_ctest --test-dir "$root/build-asan" -LE 'slow'

echo "== ThreadSanitizer: monitors, slots and simulated devices" >&2
configure "$root/build-tsan" -DCMAKE_BUILD_TYPE=Debug -DCORVANE_BUILD_BENCH=OFF \
  -DCORVANE_SANITIZE=thread -DCORVANE_TEST_ROOMS="platform;monitors;app"
cmake --build "$root/build-tsan" -j"$jobs" \
  --target corvane_monitors_tests corvane_platform_sim_tests corvane_discovery_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  run_ctest --test-dir "$root/build-tsan" -L threads

echo "== the readers of device and data-file input under libFuzzer (20 s each)" >&2
CC=clang CXX=clang++ configure "$root/build-fuzz" -DCMAKE_BUILD_TYPE=Debug \
  -DCORVANE_BUILD_BENCH=OFF -DCORVANE_FUZZ=ON -DCORVANE_SANITIZE=address,undefined \
  -DCORVANE_TEST_ROOMS=""
fuzzers=(report_descriptor report_decoders settings_file text_helpers ui_description)
cmake --build "$root/build-fuzz" -j"$jobs" --target "${fuzzers[@]/%/_fuzz}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in "${fuzzers[@]}"; do
  args=(-max_total_time=20 -max_len=4096 -print_final_stats=1)
  [[ -f $root/tests/fuzz/$name.dict ]] && args+=("-dict=$root/tests/fuzz/$name.dict")
  mkdir "$work/$name"
  echo "-- $name" >&2
  "$root/build-fuzz/tests/fuzz/${name}_fuzz" "${args[@]}" "$work/$name" "$root/tests/fuzz/corpus/$name" \
    >"$work/$name.log" 2>&1 || { cat "$work/$name.log"; exit 1; }
  tail -n 5 "$work/$name.log"
done

echo "total: $passed passed, $failed failed, $skipped skipped"
