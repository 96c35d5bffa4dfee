#!/bin/sh
# A failing printer loses nothing: while lpt1 fails the jobs stay in the folder, untouched; once
# it works again each of them is printed exactly once. Five ways to fail, side by side.
. "$(dirname "$0")/common.sh"
. "$here/cups.sh"
start_cups

# prepare NAME: a spool folder and a folder of the dropped jobs' bytes.
prepare() {
  mkdir -p "$tmp/$1/spool" "$tmp/$1/src" "$tmp/$1/out"
}
drop_jobs() {
  for i in 1 2 3 4 5; do make_job "$tmp/$1/src" "$1$i" "$tmp/$1/spool" "JOB$i.PS"; done
}
# While failing: the launchers have run (their files appeared) over two ticks, and every job is
# still there, byte for byte.
hold_while_failing() {
  wait_for 30 test -e "$tmp/$1/spool/JOB1PS.bat" || fail "$1: jobs never dispatched"
  sleep 15
  for i in 1 2 3 4 5; do
    cmp -s "$tmp/$1/src/$1$i" "$tmp/$1/spool/JOB$i.PS" || fail "$1: JOB$i.PS lost or changed"
  done
}
# After recovery: the folder drains, and one more tick passes to catch a second print.
printed_after_recovery() {
  wait_for 90 spool_drained "$tmp/$1/spool" || fail "$1: jobs left: $(ls "$tmp/$1/spool")"
  sleep 8
  [ -z "$(find "$tmp/$1/spool" -maxdepth 1 -iname '*.ps')" ] || fail "$1: jobs came back"
}
lp_sink() { echo "|lp -d $1 -o raw"; }

fails_false() {
  prepare false
  add_queue false "$tmp/false/out"
  start_server false "$tmp/false/spool" LPT1='|false'
  drop_jobs false
  hold_while_failing false
  # The printer is mended by starting the server again with a working lpt1.
  stop_server false
  start_server false2 "$tmp/false/spool" LPT1="$(lp_sink false)"
  printed_after_recovery false
  wait_for 60 queue_idle false || fail "false: CUPS did not finish"
  tally "|false" "$tmp/false/src" "$tmp/false/out"
}

fails_missing() {
  prepare missing
  start_server missing "$tmp/missing/spool" LPT1="$tmp/missing/device"
  drop_jobs missing
  hold_while_failing missing
  [ ! -e "$tmp/missing/device" ] || fail "missing: the missing printer was created"
  mkdir "$tmp/missing/device" # the printer comes back (as a folder of jobs)
  printed_after_recovery missing
  tally "missing device" "$tmp/missing/src" "$tmp/missing/device"
}

fails_fifo() {
  prepare fifo
  mkfifo "$tmp/fifo/lpt"
  start_server fifo "$tmp/fifo/spool" LPT1="$tmp/fifo/lpt"
  drop_jobs fifo
  hold_while_failing fifo
  # A reader arrives; each writer's bytes are read until that writer closes. The loop's cat
  # runs in the background so that the loop, killed at the end, can take it along: left alone
  # it would wait on the FIFO for ever.
  (
    reader=""
    trap 'kill "$reader" 2>/dev/null; exit 0' TERM
    while :; do
      cat "$tmp/fifo/lpt" >>"$tmp/fifo/out/stream" &
      reader=$!
      wait "$reader" || true
    done
  ) &
  echo $! >>"$tmp/pids"
  printed_after_recovery fifo
  tally "FIFO without reader" "$tmp/fifo/src" "$tmp/fifo/out"
}

fails_readonly() {
  prepare ro
  mkdir "$tmp/ro/printed" "$tmp/ro/bin"
  mkdir -m 700 "$tmp/ro/run"
  chown nobody "$tmp/ro" "$tmp/ro/spool" "$tmp/ro/run"
  # As root every folder is writable: this server runs as nobody, from a copy nobody can reach,
  # with a runtime folder of its own (without one, Qt makes /tmp/runtime-nobody and leaves it).
  cp "$bin/lptspool" "$bin/lptspool-launch" "$bin/print.txt" "$tmp/ro/bin/"
  server_bin=$tmp/ro/bin
  start_server ro "$tmp/ro/spool" LPT1="$tmp/ro/printed" XDG_RUNTIME_DIR="$tmp/ro/run" \
    setpriv --reuid=nobody --regid=nogroup --clear-groups
  drop_jobs ro
  chown nobody "$tmp/ro/spool"/*
  hold_while_failing ro
  [ -z "$(ls -A "$tmp/ro/printed")" ] || fail "ro: something was written into a read-only folder"
  by_nobody() { [ "$(stat -c %U "$tmp/ro/spool/JOB1PS.bat" 2>/dev/null)" = nobody ]; }
  wait_for 10 by_nobody || fail "ro: the server did not run as nobody"
  chown nobody "$tmp/ro/printed"
  printed_after_recovery ro
  tally "read-only folder" "$tmp/ro/src" "$tmp/ro/printed"
}

fails_cups_disabled() {
  prepare dis
  add_queue dis "$tmp/dis/out"
  cupsdisable dis
  start_server dis "$tmp/dis/spool" LPT1="$(lp_sink dis)"
  drop_jobs dis
  # A disabled queue still takes jobs: they wait in CUPS, not in the folder.
  wait_for 40 spool_drained "$tmp/dis/spool" || fail "dis: CUPS did not take the jobs"
  # A queue that rejects jobs: they wait in the folder.
  cupsreject dis
  for i in 6 7 8; do make_job "$tmp/dis/src" "dis$i" "$tmp/dis/spool" "JOB$i.PS"; done
  wait_for 30 test -e "$tmp/dis/spool/JOB6PS.bat" || fail "dis: jobs never dispatched"
  sleep 15
  [ "$(spool_jobs "$tmp/dis/spool")" -eq 3 ] || fail "dis: rejected jobs did not stay"
  [ "$(out_count "$tmp/dis/out")" -eq 0 ] || fail "dis: a disabled queue printed"
  cupsaccept dis
  cupsenable dis
  printed_after_recovery dis
  wait_for 60 queue_idle dis || fail "dis: CUPS did not finish"
  tally "CUPS queue disabled" "$tmp/dis/src" "$tmp/dis/out"
}

LPTSPOOL_SETTLE_MS=300
export LPTSPOOL_SETTLE_MS
run_scenarios fails_false fails_missing fails_fifo fails_readonly fails_cups_disabled
echo PASS
