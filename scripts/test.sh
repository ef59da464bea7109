#!/usr/bin/env bash
# Installs what is missing, builds, and runs the test suite in stages:
#
#   scripts/test.sh [STAGE...]     all stages by default, in this order:
#     format every C++ file as .clang-format says (scripts/check-format.sh)
#     unit   the unit, widget, thread and slow tests of the regular build
#            (everything that is not x11, wayland, e2e or vm)
#     x11    the program's X11 side in private X sessions
#     wayland the whole program in headless sway, KWin and mutter sessions
#     e2e    the whole program and its Debian package in private X sessions
#     windows the Windows cross-build: its tests under wine (the x11 ones in
#            private X sessions), its zip and installer, and the whole
#            Windows program under wine in private X sessions
#     vm     the program against the real kernel's USB HID stack in qemu
#     asan   the unit and widget tests built with AddressSanitizer and
#            UndefinedBehaviorSanitizer
#     tsan   the monitor, slot and simulated-device tests built with
#            ThreadSanitizer
#     fuzz   a short libFuzzer run of every reader of device or data-file input
#
# Every chosen stage runs even when an earlier one failed. The last line
# counts the tests ("total: N passed, N failed, N skipped"); a build that
# fails and a fuzz run that finds a fault count as one failed test each. The
# script fails when anything failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
stages=(format unit x11 wayland e2e windows vm asan tsan fuzz)

chosen=()
for stage in "$@"; do
  if [[ " ${stages[*]} " != *" $stage "* ]]; then
    echo "usage: test.sh [${stages[*]}]..." >&2
    exit 2
  fi
  chosen+=("$stage")
done
((${#chosen[@]} > 0)) || chosen=("${stages[@]}")
wants() { [[ " ${chosen[*]} " == *" $1 "* ]]; }

"$root/scripts/install-deps.sh" --test || exit 1
jobs=$(nproc)

passed=0
failed=0
skipped=0
# What failed, repeated under the totals: a long log is often read from its end.
failures=()
# What the failed tests printed, repeated above the totals for the same reason.
failure_output=$(mktemp)
trap 'rm -f "$failure_output"' EXIT

# Runs a step that is not a test (a build); its failure counts as one.
step() {  # what, command...
  local what=$1
  shift
  if "$@"; then return 0; fi
  echo "== FAILED: $what" >&2
  failed=$((failed + 1))
  failures+=("$what")
  return 1
}

# Runs ctest and adds its figures to the totals printed at the end. A ctest
# that fails without naming a failed test (it could not run them) counts as
# one failure.
run_ctest() {
  local log status=0
  log=$(mktemp)
  ctest --output-on-failure -j"$jobs" "$@" 2>&1 | tee "$log" || status=$?
  local total fails skips
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  fails=$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
  skips=$(grep -c '(Skipped)$' "$log" || true)
  # ctest lists them under "The following tests FAILED:" as
  # "<tab>58 - Suite.Name (Failed)".
  local name
  while IFS= read -r name; do
    failures+=("$name")
  done < <(sed -n '/^The following tests FAILED:/,/^[^[:space:]]/s/^[[:space:]]\+[0-9]\+ - //p' "$log")
  failed_tests_output "$log" >>"$failure_output"
  rm -f "$log"
  passed=$((passed + ${total:-0} - ${fails:-0} - skips))
  failed=$((failed + ${fails:-0}))
  skipped=$((skipped + skips))
  if ((status != 0 && ${fails:-0} == 0)); then
    echo "== FAILED: ctest $*" >&2
    failed=$((failed + 1))
    failures+=("ctest $*")
  fi
}

# From a ctest log: each test that did not pass, with what it printed (the
# first 80 lines), which ctest writes under its result line until the next
# test starts or ends.
failed_tests_output() {  # log
  awk '
    /^ *Start +[0-9]+: / || /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / || /^[0-9]+% tests passed/ { inside = 0 }
    /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / && !/ Passed +[0-9.]+ sec$/ && !/Skipped/ {
      inside = 1; lines = 0; print "-- " $0
      next
    }
    inside && lines++ < 80 { print "   " $0 }
  ' "$1"
}

# The five builds (regular, Windows, two sanitizers, fuzz) compile the same
# files again at every run; ccache gives back what an earlier run compiled
# alike, wherever the checkout lies.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$root
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

configure_and_build() {  # build-dir, cmake-args... [-- targets...]
  local build=$1 args=() targets=()
  shift
  while (($# > 0)) && [[ $1 != -- ]]; do args+=("$1"); shift; done
  (($# > 0)) && shift && targets=(--target "$@")
  cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" "${args[@]}" >/dev/null &&
    cmake --build "$build" -j"$jobs" "${targets[@]}"
}

# The regular build, made once for the stages that use it; each stage runs
# its labels' tests.
regular_built=
regular() {  # ctest-args...
  if [[ -z $regular_built ]]; then
    echo "== the regular build" >&2
    if step "the regular build" configure_and_build "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo; then
      regular_built=yes
    else
      regular_built=no
    fi
  fi
  [[ $regular_built == yes ]] && run_ctest --test-dir "$root/build" "$@"
}

if wants format; then
  echo "== code style" >&2
  if "$root/scripts/check-format.sh"; then
    passed=$((passed + 1))
  else
    echo "== FAILED: code style (scripts/check-format.sh --fix formats)" >&2
    failed=$((failed + 1))
  fi
fi

if wants unit; then
  echo "== unit, widget, thread and slow tests" >&2
  regular -LE '^(x11|wayland|e2e|vm)$'
fi
for label in x11 wayland e2e; do
  if wants "$label"; then
    echo "== $label tests" >&2
    regular -L "^$label\$"
  fi
done

if wants windows; then
  echo "== the Windows build under wine" >&2
  windows_build=$root/build-windows
  # Quiet wine without installer dialogs; the prefixes are made fresh, once
  # per run, in the build tree.
  # shellcheck source=scripts/wine-env.sh
  source "$root/scripts/wine-env.sh"
  if step "the Windows build" configure_and_build "$windows_build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release &&
    step "the Windows packages" cmake --build "$windows_build" --target corvane_windows_packages &&
    step "a wine prefix" make_fresh_wine_prefix "$windows_build/wine"; then
    step "the wine server" start_persistent_wine_server
    # The whole-program tests (label e2e) bring their own prefix and X sessions.
    run_ctest --test-dir "$windows_build" -LE '^death$'
    stop_wine_server
    # Death tests end a process abnormally, which can take the connections of
    # the other processes of their wine server down with it: they run after
    # the others, one at a time, with a prefix and a server of their own.
    if step "a wine prefix for the death tests" make_fresh_wine_prefix "$windows_build/wine-death"; then
      step "the death tests' wine server" start_persistent_wine_server
      run_ctest --test-dir "$windows_build" -L '^death$' -j1
      stop_wine_server
    fi
  fi
fi

if wants vm; then
  echo "== vm tests" >&2
  regular -L "^vm\$"
fi

if wants asan; then
  echo "== AddressSanitizer + UndefinedBehaviorSanitizer" >&2
  if step "the AddressSanitizer build" configure_and_build "$root/build-asan" \
    -DCMAKE_BUILD_TYPE=Debug -DCORVANE_BUILD_BENCH=OFF -DCORVANE_SANITIZE=address,undefined \
    -DCORVANE_TEST_ROOMS="skin;platform;hid;protocol;monitors;popups;app;data;packaging" \
    -DCORVANE_TEST_ENVIRONMENTS=""; then
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
      LSAN_OPTIONS=suppressions="$root/tests/lsan.supp":print_suppressions=0 \
      UBSAN_OPTIONS=print_stacktrace=1 \
      run_ctest --test-dir "$root/build-asan" -LE 'slow'
  fi
fi

if wants tsan; then
  echo "== ThreadSanitizer: monitors, slots and simulated devices" >&2
  if step "the ThreadSanitizer build" configure_and_build "$root/build-tsan" \
    -DCMAKE_BUILD_TYPE=Debug -DCORVANE_BUILD_BENCH=OFF -DCORVANE_SANITIZE=thread \
    -DCORVANE_TEST_ROOMS="platform;monitors;app" -DCORVANE_TEST_ENVIRONMENTS="" \
    -- corvane_monitors_tests corvane_platform_sim_tests corvane_discovery_tests; then
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
      run_ctest --test-dir "$root/build-tsan" -L threads
  fi
fi

if wants fuzz; then
  echo "== the readers of device and data-file input under libFuzzer (20 s each)" >&2
  fuzzers=(report_descriptor report_decoders settings_file text_helpers ui_description)
  if CC=clang CXX=clang++ step "the fuzz build" configure_and_build "$root/build-fuzz" \
    -DCMAKE_BUILD_TYPE=Debug -DCORVANE_BUILD_BENCH=OFF -DCORVANE_FUZZ=ON \
    -DCORVANE_SANITIZE=address,undefined -DCORVANE_TEST_ROOMS="" -- "${fuzzers[@]/%/_fuzz}"; then
    work=$(mktemp -d)
    trap 'rm -rf "$work" "$failure_output"' EXIT
    for name in "${fuzzers[@]}"; do
      # A finding is kept in the build tree, out of the sources.
      mkdir -p "$root/build-fuzz/findings"
      args=(-max_total_time=20 -max_len=4096 -print_final_stats=1
        "-artifact_prefix=$root/build-fuzz/findings/$name-")
      [[ -f $root/tests/fuzz/$name.dict ]] && args+=("-dict=$root/tests/fuzz/$name.dict")
      mkdir "$work/$name"
      echo "-- $name" >&2
      if "$root/build-fuzz/tests/fuzz/${name}_fuzz" "${args[@]}" "$work/$name" \
        "$root/tests/fuzz/corpus/$name" >"$work/$name.log" 2>&1; then
        tail -n 5 "$work/$name.log"
        passed=$((passed + 1))
      else
        cat "$work/$name.log"
        echo "== FAILED: the $name fuzz run" >&2
        failed=$((failed + 1))
        failures+=("the $name fuzz run")
      fi
    done
  fi
fi

if [[ -s $failure_output ]]; then
  echo "== what the failed tests printed"
  cat "$failure_output"
fi
for what in "${failures[@]}"; do echo "failed: $what"; done
echo "total: $passed passed, $failed failed, $skipped skipped"
((failed == 0))
