#!/bin/sh
# A job's state belongs to that job, across restarts of the server: a run stopped right after a
# print still says "printed"; the next run says nothing of the old job about a new one of the same
# name; a run after that does not repeat what the one before said.
. "$(dirname "$0")/common.sh"

spool=$tmp/spool
mkdir -p "$spool" "$tmp/src" "$tmp/out"
queue() { "$bin/lptspool" --queue "PRINTINGDIR=$spool"; }
said() { grep -c "$2" "$tmp/$1.err" || true; }

# 1. A working printer; the server is stopped as soon as the job has gone.
start_server run1 "$spool" LPT1="$tmp/out"
make_job "$tmp/src" first "$spool" REPORT.PS 0
first_size=$(wc -c <"$tmp/src/first")
wait_for 60 spool_drained "$spool" || fail "run1: not printed"
stop_server run1
[ "$(said run1 "REPORT.PS printed ($first_size bytes)")" -eq 1 ] ||
  fail "run1: the print was not said once: $(cat "$tmp/run1.err")"

# 2. A broken printer and a new REPORT.PS, bigger: nothing of the first is said or shown.
start_server run2 "$spool" LPT1="$tmp/missing/printer"
make_job "$tmp/src" second "$spool" REPORT.PS 5
second_size=$(wc -c <"$tmp/src/second")
wait_for 60 grep -q "REPORT.PS waits" "$tmp/run2.err" || fail "run2: the failure was not said"
[ "$(said run2 printed)" -eq 0 ] || fail "run2: said printed: $(cat "$tmp/run2.err")"
queue >"$tmp/queue2"
grep -q "^failed	REPORT.PS	$second_size	lpt1: " "$tmp/queue2" || fail "run2: --queue: $(cat "$tmp/queue2")"
! grep -q "tries since" "$tmp/queue2" || fail "run2: the old job's tries counted: $(cat "$tmp/queue2")"
stop_server run2

# 3. The printer works again: the job is printed, and the last run's failure is not said again.
start_server run3 "$spool" LPT1="$tmp/out"
wait_for 60 spool_drained "$spool" || fail "run3: not printed"
stop_server run3
[ "$(said run3 "REPORT.PS printed ($second_size bytes)")" -eq 1 ] ||
  fail "run3: the print was not said once: $(cat "$tmp/run3.err")"
[ "$(said run3 waits)" -eq 0 ] || fail "run3: repeated an earlier run: $(cat "$tmp/run3.err")"
tally job_states "$tmp/src" "$tmp/out"
