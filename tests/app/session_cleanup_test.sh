#!/usr/bin/env bash
# scripts/run.sh --demo in a private X session: whether the demo ends by
# itself, by SIGTERM to the script or by Ctrl-C (SIGINT to its whole process
# group), no process it started (Xvfb, openbox, trayer, the simulator)
# stays behind.
#
#   session_cleanup_test.sh BUILD_DIR
set -uo pipefail
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
# Every process of one run carries this mark in its environment.
mark=corvane-session-test-$$-$RANDOM
failures=0

# The processes still running that carry the mark of run $1.
marked_processes() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    [[ $pid == "$$" || $pid == "$BASHPID" ]] && continue
    if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qx "CORVANE_TEST_MARK=$mark-$1"; then
      echo "$pid $({ tr '\0' ' ' </proc/"$pid"/cmdline; } 2>/dev/null)"
    fi
  done
}

cleanup() {
  local run pid
  for run in end term int; do
    for pid in $(marked_processes "$run" | cut -d' ' -f1); do kill -KILL "$pid" 2>/dev/null; done
  done
  rm -rf "$work"
}
trap cleanup EXIT

printf '%s\n' 'plug kb1 keyboard' 'wait 1500' 'lt kb1 3' 'wait 600' 'close' >"$work/short.scenario"
printf '%s\n' 'plug kb1 keyboard' 'wait 1500' 'lt kb1 3' 'wait 20000' 'close' >"$work/long.scenario"

# run NAME SCENARIO [SIGNAL TARGET]: starts the demo in a process group of
# its own; with a signal, sends it once the program has switched the
# keyboard into notification mode (it runs, with its monitor), to the
# script ("script") or to its whole group ("group", as Ctrl-C does). Not on
# a popup: a report the simulator sends before the monitor reads is lost,
# and on a busy machine the monitor can take longer than the scenario waits.
run() {
  local name=$1 scenario=$2 signal=${3:-} target=${4:-} pid deadline leftover
  set -m
  env -u DISPLAY CORVANE_NO_BUILD=1 BUILD_DIR="$build" CORVANE_TEST_MARK="$mark-$name" \
    "$root/scripts/run.sh" --demo "$scenario" >"$work/$name.out" 2>&1 &
  pid=$!
  set +m
  if [[ -n $signal ]]; then
    deadline=$((SECONDS + 30))
    until grep -qs '^feature kb1 07 09 .* 01 00' "$work/$name.out"; do
      if ((SECONDS > deadline)); then
        echo "FAIL $name: the demo did not switch the keyboard into notification mode" >&2
        failures=$((failures + 1))
        break
      fi
      sleep 0.1
    done
    if [[ $target == group ]]; then kill "-$signal" -- "-$pid"; else kill "-$signal" "$pid"; fi
  fi
  # The script must end soon after the demo or the signal.
  deadline=$((SECONDS + 30))
  while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL $name: run.sh still runs" >&2
    failures=$((failures + 1))
  fi
  wait "$pid" 2>/dev/null
  # Give what it ended a moment to go.
  deadline=$((SECONDS + 30))
  while [[ -n $(marked_processes "$name") ]] && ((SECONDS < deadline)); do sleep 0.1; done
  leftover=$(marked_processes "$name")
  if [[ -n $leftover ]]; then
    echo "FAIL $name: left behind:" >&2
    echo "$leftover" >&2
    failures=$((failures + 1))
  fi
  if ! grep -q 'Running in a private X session' "$work/$name.out"; then
    echo "FAIL $name: no private session was started" >&2
    failures=$((failures + 1))
  fi
}

run end "$work/short.scenario"
grep -q '^Screenshots: ' "$work/end.out" || { echo "FAIL end: the demo did not finish" >&2; failures=$((failures + 1)); }
rm -rf "$(sed -n 's/^Screenshots: //p' "$work/end.out")"
run term "$work/long.scenario" TERM script
run int "$work/long.scenario" INT group

if ((failures > 0)); then
  for name in end term int; do
    echo "--- output of $name" >&2
    cat "$work/$name.out" >&2
  done
  exit 1
fi
echo "no process of the private session stayed behind"
