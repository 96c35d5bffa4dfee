#!/bin/sh
# The whole way of a job: server, launcher, command sink. Awkward names, raw bytes, each job
# printed exactly once, nothing left behind.
. "$(dirname "$0")/common.sh"

spool="$tmp/spool"
printed="$tmp/printed"
mkdir -p "$spool" "$printed" "$tmp/src"
printf '%%!PS\r\n\032\000binary\r\nend' >"$tmp/src/REPORT.PS"
printf 'spaces \000 and \r CR' >"$tmp/src/my report.ps"
head -c 70000 /dev/urandom >"$tmp/src/Invoice.2.ps"
# A sink that keeps each job in a file of its own.
printf '%s\n' 'cat >"$(mktemp "$PRINTED/job.XXXXXX")"' >"$tmp/sink.sh"
PRINTED="$printed" LPTSPOOL_SETTLE_MS=200 LPT1="|sh $tmp/sink.sh" start_server "PRINTINGDIR=$spool"
for f in "$tmp/src/"*; do cp "$f" "$spool/.incoming" && mv "$spool/.incoming" "$spool/$(basename "$f")"; done

spool_empty() { [ -z "$(ls -A "$spool")" ]; }
wait_for 40 spool_empty || fail "spool folder not emptied: $(ls -A "$spool")"
[ "$(ls "$printed" | wc -l)" -eq 3 ] || fail "expected 3 printed jobs, got $(ls "$printed")"
for f in "$tmp/src/"*; do
  found=0
  for p in "$printed"/*; do cmp -s "$f" "$p" && found=$((found + 1)); done
  [ "$found" -eq 1 ] || fail "$(basename "$f") printed $found times"
done

stop_server
echo PASS
