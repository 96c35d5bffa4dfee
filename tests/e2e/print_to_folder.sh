#!/bin/sh
# The whole way of a job: server, launcher, folder sink. Awkward names, raw bytes, nothing left
# behind; then a failing printer that is mended, and the job printed exactly once.
. "$(dirname "$0")/common.sh"

spool="$tmp/spool"
printed="$tmp/printed"
mkdir -p "$spool" "$printed" "$tmp/src"
printf '%%!PS\r\n\032\000binary\r\nend' >"$tmp/src/REPORT.PS"
printf 'spaces \000 and \r CR' >"$tmp/src/my report.ps"
head -c 70000 /dev/urandom >"$tmp/src/Invoice.2.ps"
# A sink that fails while $tmp/broken exists.
cat >"$tmp/sink.sh" <<'SINK'
[ -e "$BROKEN" ] && exit 1
out=$(mktemp "$PRINTED/job.XXXXXX")
cat >"$out"
SINK
BROKEN="$tmp/broken" PRINTED="$printed" LPTSPOOL_SETTLE_MS=200 LPT1="|sh $tmp/sink.sh" \
  start_server "PRINTINGDIR=$spool"
for f in "$tmp/src/"*; do cp "$f" "$spool/.incoming" && mv "$spool/.incoming" "$spool/$(basename "$f")"; done

spool_empty() { [ -z "$(ls -A "$spool")" ]; }
wait_for 40 spool_empty || fail "spool folder not emptied: $(ls -A "$spool")"
[ "$(ls "$printed" | wc -l)" -eq 3 ] || fail "expected 3 printed jobs, got $(ls "$printed")"
for f in "$tmp/src/"*; do
  found=0
  for p in "$printed"/*; do cmp -s "$f" "$p" && found=$((found + 1)); done
  [ "$found" -eq 1 ] || fail "$(basename "$f") printed $found times"
done

# The printer fails: the job waits; mended, it is printed once.
touch "$tmp/broken"
printf 'second job' >"$spool/LATE.PS"
job_tried() { [ -e "$spool/LATEPS.bat" ]; }
wait_for 20 job_tried || fail "the job was never tried"
sleep 8 # one more tick while the printer is still broken
[ -f "$spool/LATE.PS" ] || fail "a job was lost while the printer failed"
rm "$tmp/broken"
wait_for 30 spool_empty || fail "the job was not printed after the printer was mended"
[ "$(ls "$printed" | wc -l)" -eq 4 ] || fail "expected 4 printed jobs"
[ "$(grep -l 'second job' "$printed"/* | wc -l)" -eq 1 ] || fail "LATE.PS not printed once"
stop_server
echo PASS
