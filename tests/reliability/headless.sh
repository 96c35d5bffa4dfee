#!/bin/sh
# No display to be had: a Wayland session without XWayland, a DISPLAY that does not answer, a
# platform plugin that is missing. The server says so in one line, runs without a window and prints.
. "$(dirname "$0")/common.sh"
unset QT_QPA_PLATFORM

# A display number nobody serves here.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done

# headless NAME VAR=VALUE...: the server with that environment prints one job.
headless() {
  name=$1
  shift
  mkdir -p "$tmp/$name/spool" "$tmp/$name/src" "$tmp/$name/out"
  start_server "$name" "$tmp/$name/spool" LPT1="$tmp/$name/out" "$@"
  make_job "$tmp/$name/src" "$name" "$tmp/$name/spool" "$name.PS"
  wait_for 60 spool_drained "$tmp/$name/spool" || fail "$name: not printed: $(cat "$tmp/$name.err")"
  kill -0 "$(cat "$tmp/$name.pid")" 2>/dev/null || fail "$name: the server ended: $(cat "$tmp/$name.err")"
  tally "$name" "$tmp/$name/src" "$tmp/$name/out"
  stop_server "$name"
  [ "$(grep -c "running without a window" "$tmp/$name.err")" -eq 1 ] ||
    fail "$name: not one line about the display: $(cat "$tmp/$name.err")"
  ! grep -qi "reinstalling\|could not\|abort" "$tmp/$name.err" || fail "$name: Qt spoke: $(cat "$tmp/$name.err")"
}
wayland() { headless wayland WAYLAND_DISPLAY=wayland-lpt-none; }
deadx() { headless deadx DISPLAY=:$n; }
noplugin() { headless noplugin QT_QPA_PLATFORM=nosuchplatform; }
run_scenarios wayland deadx noplugin
