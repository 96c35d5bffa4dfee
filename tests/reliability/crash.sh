#!/bin/sh
# The server dies mid-tick and is started again; the spool folder is deleted under a running
# server and created again. Nothing is lost, and stale helper files are swept.
. "$(dirname "$0")/common.sh"

# Prints each job whole into the folder named by its argument.
cat >"$tmp/sink.sh" <<'SINK'
OUT=$1
part=$(mktemp "$OUT/.part.XXXXXX")
cat >"$part" && mv "$part" "$(mktemp -u "$OUT/job.XXXXXX")"
SINK

server_killed() {
  d=$tmp/crash
  mkdir -p "$d/spool" "$d/src" "$d/out"
  for i in $(seq 1 300); do make_job "$d/src" "crash$i" "$d/spool" "J$i.PS" 2; done
  # A script no job owns any more, as a dead server leaves it.
  printf 'copy GONE.PS lpt1\r\ndel GONE.PS\r\ndel GONEPS.bat\r\ndel GONEPS.pif' >"$d/spool/GONEPS.bat"
  start_server crash "$d/spool" LPT1="|sh $tmp/sink.sh $d/out"
  pid=$(cat "$tmp/crash.pid")
  # Killed as soon as the tick has started writing helper files: mid-way through 300 jobs.
  end=$(($(date +%s) + 30))
  until [ -n "$(find "$d/spool" -name 'J*PS.pif' | head -n 1)" ]; do
    [ "$(date +%s)" -le "$end" ] || fail "crash: the tick never began"
  done
  kill -9 "$pid"
  echo "crash: killed after $(find "$d/spool" -name '*.pif' | wc -l) of 300 launchers"
  start_server crash2 "$d/spool" LPT1="|sh $tmp/sink.sh $d/out"
  wait_for 150 spool_drained "$d/spool" || fail "crash: $(spool_jobs "$d/spool") jobs left"
  sleep 8
  [ -z "$(find "$d/spool" -name '*.bat' -o -name '*.pif')" ] ||
    fail "crash: helper files left: $(ls "$d/spool")"
  tally "server killed mid-tick" "$d/src" "$d/out"
}

folder_deleted() {
  d=$tmp/gone
  mkdir -p "$d/spool" "$d/src" "$d/out"
  start_server gone "$d/spool" LPT1="|sh $tmp/sink.sh $d/out"
  for i in 1 2 3; do make_job "$d/src" "gone$i" "$d/spool" "A$i.PS"; done
  wait_for 40 spool_drained "$d/spool" || fail "gone: first jobs not printed"
  rm -rf "$d/spool"
  sleep 16 # two ticks without a folder
  kill -0 "$(cat "$tmp/gone.pid")" || fail "gone: the server died without its folder"
  mkdir "$d/spool"
  for i in 4 5 6; do make_job "$d/src" "gone$i" "$d/spool" "B$i.PS"; done
  wait_for 40 spool_drained "$d/spool" || fail "gone: jobs in the new folder not printed"
  sleep 8
  kill -0 "$(cat "$tmp/gone.pid")" || fail "gone: the server died"
  tally "spool folder deleted" "$d/src" "$d/out"
}

LPTSPOOL_SETTLE_MS=300
export LPTSPOOL_SETTLE_MS
run_scenarios server_killed folder_deleted
echo PASS
