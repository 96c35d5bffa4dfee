#!/bin/sh
# Time against the printer: a producer slower than the tick, a printer slower than two ticks, and
# lptspool-launch killed while it copies. Side by side, each with its own server.
. "$(dirname "$0")/common.sh"

# A command sink that prints each job whole into the folder named by its argument: written aside,
# then renamed. Each printer's command differs by its folder, so printers do not take turns.
cat >"$tmp/sink.sh" <<'SINK'
OUT=$1
part=$(mktemp "$OUT/.part.XXXXXX")
cat >"$part" || exit 1
[ -n "${DELAY:-}" ] && sleep "$DELAY"
mv "$part" "$part.done" && mv "$part.done" "$(mktemp -u "$OUT/job.XXXXXX")"
SINK

slow_producer() {
  d=$tmp/prod
  mkdir -p "$d/spool" "$d/src" "$d/out"
  # The default settle time: the producer pauses less than that between pieces.
  start_server prod "$d/spool" -u LPTSPOOL_SETTLE_MS LPT1="|sh $tmp/sink.sh $d/out"
  for id in prod1 prod2; do job_bytes "$id" 400 >"$d/src/$id"; done
  total=$(wc -c <"$d/src/prod1")
  piece=$((total / 10 + 1))
  : >"$d/spool/SLOW.PS"
  : >"$d/spool/slow two.ps"
  for i in 0 1 2 3 4 5 6 7 8 9; do
    tail -c +$((i * piece + 1)) "$d/src/prod1" | head -c "$piece" >>"$d/spool/SLOW.PS"
    tail -c +$((i * piece + 1)) "$d/src/prod2" | head -c "$piece" >>"$d/spool/slow two.ps"
    sleep 1
  done
  wait_for 60 spool_drained "$d/spool" || fail "prod: jobs left"
  sleep 8
  tally "slow producer" "$d/src" "$d/out"
}

# A producer that creates the job, keeps it open and pauses longer than the settle time between
# its pieces, as a program does that opens its output before it has rendered anything.
held_open() {
  d=$tmp/held
  mkdir -p "$d/spool" "$d/src" "$d/out"
  start_server held "$d/spool" LPT1="|sh $tmp/sink.sh $d/out"
  job_bytes held1 200 >"$d/src/held1"
  piece=$(($(wc -c <"$d/src/held1") / 3 + 1))
  {
    sleep 3
    for i in 0 1 2; do
      tail -c +$((i * piece + 1)) "$d/src/held1" | head -c "$piece"
      sleep 3
    done
  } >"$d/spool/HELD.PS"
  wait_for 40 spool_drained "$d/spool" || fail "held: job left"
  sleep 8
  tally "producer pausing with the job open" "$d/src" "$d/out"
}

slow_printer() {
  d=$tmp/slowp
  mkdir -p "$d/spool" "$d/src" "$d/out"
  # Each job takes longer than two ticks; the ticks meanwhile dispatch it again and again.
  start_server slowp "$d/spool" LPT1="|sh $tmp/sink.sh $d/out" DELAY=16
  for i in 1 2 3; do make_job "$d/src" "slowp$i" "$d/spool" "JOB$i.PS"; done
  wait_for 120 spool_drained "$d/spool" || fail "slowp: jobs left"
  sleep 20 # a printing job that was dispatched again would come out within one more delay
  tally "slow printer" "$d/src" "$d/out"
}

# launchers_in SPOOL: the launchers the server started there (each leads its process group),
# not the children they start.
launchers_in() {
  for pid in $(our_launchers); do
    [ "$(readlink "/proc/$pid/cwd")" = "$1" ] || continue
    parent=$(awk '{print $4}' "/proc/$pid/stat")
    [ "$(cat "/proc/$parent/comm" 2>/dev/null)" = lptspool-launch ] || echo "$pid"
  done
}

killed_launcher() {
  d=$tmp/kill
  mkdir -p "$d/spool" "$d/src" "$d/out"
  # The first print stalls before it reads the job, so the launcher is caught mid-copy (the job
  # is larger than a pipe holds).
  cat >"$tmp/stall.sh" <<'SINK'
if mkdir "$STALLED" 2>/dev/null; then sleep 4; fi
exec sh "$SINK" "$@"
SINK
  start_server kill "$d/spool" LPT1="|sh $tmp/stall.sh $d/out" SINK="$tmp/sink.sh" \
    STALLED="$d/stalled"
  make_job "$d/src" kill1 "$d/spool" "BIG.PS" 20000
  wait_for 30 test -d "$d/stalled" || fail "kill: the job was never printed"
  sleep 1
  killed=0
  # The launcher with its whole process group, as a service manager would stop it.
  for pid in $(launchers_in "$d/spool"); do kill -9 "-$pid" && killed=$((killed + 1)); done
  [ "$killed" -gt 0 ] || fail "kill: no launcher to kill"
  wait_for 60 spool_drained "$d/spool" || fail "kill: the job was not printed again"
  sleep 8
  TALLY_AT_LEAST_ONCE=1 tally "lptspool-launch killed" "$d/src" "$d/out"
}

# The same against a FIFO printer: its reader takes a while before reading, so the launcher is
# caught with half the job in the pipe.
killed_launcher_fifo() {
  d=$tmp/kfifo
  mkdir -p "$d/spool" "$d/src" "$d/out"
  mkfifo "$d/lpt"
  (
    while :; do
      # Stalls on the first job's first line: the server's start-up check of the printer opens
      # the FIFO too, and sends nothing.
      { [ -e "$d/stalled" ] || { IFS= read -r first && printf '%s\n' "$first" &&
        mkdir "$d/stalled" && sleep 4; }; cat; } <"$d/lpt" >>"$d/out/stream"
    done
  ) &
  echo $! >>"$tmp/pids"
  start_server kfifo "$d/spool" LPT1="$d/lpt"
  make_job "$d/src" kfifo1 "$d/spool" "BIG.PS" 20000
  wait_for 30 test -d "$d/stalled" || fail "kfifo: the job was never printed"
  sleep 1
  killed=0
  for pid in $(launchers_in "$d/spool"); do kill -9 "-$pid" && killed=$((killed + 1)); done
  [ "$killed" -gt 0 ] || fail "kfifo: no launcher to kill"
  wait_for 60 spool_drained "$d/spool" || fail "kfifo: the job was not printed again"
  sleep 8
  TALLY_AT_LEAST_ONCE=1 tally "lptspool-launch killed (FIFO)" "$d/src" "$d/out"
}

LPTSPOOL_SETTLE_MS=300
export LPTSPOOL_SETTLE_MS
run_scenarios slow_producer held_open slow_printer killed_launcher killed_launcher_fifo
echo PASS
