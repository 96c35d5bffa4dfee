#!/bin/sh
# A thousand jobs dropped at once into the folder of a server printing to a real CUPS queue:
# each printed exactly once, whole.
. "$(dirname "$0")/common.sh"
. "$here/cups.sh"
start_cups

d=$tmp/many
mkdir -p "$d/spool" "$d/src" "$d/out" "$d/drop"
add_queue many "$d/out"
for i in $(seq 1 1000); do job_bytes "many$i" 1 >"$d/src/many$i"; done
# Built aside and moved in one go: the first tick may see all of them.
for i in $(seq 1 1000); do cp "$d/src/many$i" "$d/drop/JOB$i.PS"; done
LPTSPOOL_SETTLE_MS=300 start_server many "$d/spool" LPT1="|lp -d many -o raw"
find "$d/drop" -type f -exec mv -t "$d/spool" {} +
wait_for 280 spool_drained "$d/spool" || fail "$(spool_jobs "$d/spool") jobs left"
wait_for 120 queue_idle many || fail "CUPS did not finish"
sleep 8
[ -z "$(find "$d/spool" -mindepth 1)" ] || fail "files left: $(ls "$d/spool" | head)"
tally "1000 jobs at once" "$d/src" "$d/out"
echo PASS
