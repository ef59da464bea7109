# Sourced by the compositor tests after session.sh: the simulator (the whole
# program on simulated devices) in the session, fed scenario lines through a
# FIFO, its trace lines in $PROGRAM_TRACE.

# program_start BUILD_DIR [ENV=VALUE...]: starts the simulator with a
# keyboard plugged in.
program_start() {
  local build=$1
  shift
  PROGRAM_TRACE=$WL_TMP/trace
  mkfifo -m 644 "$WL_TMP/scenario"
  : > "$PROGRAM_TRACE"
  chmod 666 "$PROGRAM_TRACE"
  wl_start env "$@" sh -c "exec '$build/bin/corvane-simulator' < '$WL_TMP/scenario' >> '$PROGRAM_TRACE' 2> '$WL_TMP/program.err'"
  WL_LOGS+=("$PROGRAM_TRACE" "$WL_TMP/program.err")
  exec 3> "$WL_TMP/scenario"
  program_send "plug keyboard1 keyboard"
  wl_wait_for "the keyboard's notification mode" 15 grep -q '^feature keyboard1' "$PROGRAM_TRACE"
}

program_send() { echo "$1" >&3; }

program_count() { grep -c -- "$1" "$PROGRAM_TRACE" || true; }

program_has_more() { (($(program_count "$1") > $2)); }

# program_notify TEXT_INDEX: one LT-key event; waits until the main window
# has handled it (and a popup, if any, is placed and drawn).
program_notify() {
  local handled
  handled=$(program_count "^message 1025 wParam=$1 ")
  program_send "lt keyboard1 $1"
  wl_wait_for "the LT-key event" 10 program_has_more "^message 1025 wParam=$1 " "$handled"
  sleep 0.3
}

# program_expect_popup TEXT_INDEX / program_expect_no_popup TEXT_INDEX.
program_expect_popup() {
  local shown
  shown=$(program_count "^popup LTKeyHint show")
  program_notify "$1"
  program_has_more "^popup LTKeyHint show" "$shown" || wl_fail "no popup for LT key state $1"
}
program_expect_no_popup() {
  local shown
  shown=$(program_count "^popup LTKeyHint show")
  program_notify "$1"
  ! program_has_more "^popup LTKeyHint show" "$shown" || wl_fail "a popup for LT key state $1 over a full-screen window"
}

# program_wait_full_screen 1|0: the program was told the focused window is
# (1) or is no longer (0) full-screen.
program_last_full_screen_is() {
  grep '^message 1028 ' "$PROGRAM_TRACE" | tail -n 1 | grep -q "wParam=2 lParam=$1\$"
}
program_wait_full_screen() {
  wl_wait_for "the full-screen report lParam=$1" 10 program_last_full_screen_is "$1"
}
