#!/bin/sh
# Hostile names through a real CUPS queue: every job a script can carry is printed exactly once;
# the rest (hidden, a newline, a quote, a backslash, links, folders) stays untouched, and nothing
# outside the spool folder is read, changed or deleted.
. "$(dirname "$0")/common.sh"
. "$here/cups.sh"
start_cups

d=$tmp/names
spool=$d/spool
sibling=$d/sibling
mkdir -p "$spool" "$d/src" "$d/out" "$sibling" "$spool/d.ps" "$d/others"
add_queue names "$d/out"

# The sibling folder: a job-like file a link points at, and one behind a .bat link. Their access
# times are set before their modification times, so any read moves them on.
job_bytes outside 5 >"$sibling/secret.ps"
echo 'copy secret.ps lpt1' >"$sibling/keep.bat"
ln -s "$sibling/secret.ps" "$spool/x.ps"
ln -s "$sibling/keep.bat" "$spool/evil.bat"
ln -s "$sibling" "$spool/link.ps"
echo inside >"$spool/d.ps/inner.ps"
find "$sibling" -type f -exec sha256sum {} + | LC_ALL=C sort >"$d/sibling.sums"
touch -a -d '2001-01-01' "$sibling/secret.ps" "$sibling/keep.bat"
sibling_stat() { find "$sibling" -exec stat -c '%n %s %Y %X %i %a' {} + | LC_ALL=C sort; }
sibling_stat >"$d/sibling.before"

# Names no batch script can carry, or that are not jobs: kept aside to compare afterwards.
i=0
other() {
  i=$((i + 1))
  job_bytes "other$i" 3 >"$spool/$1"
  cp "$spool/$1" "$d/others/$i"
  printf '%s' "$1" >"$d/others/$i.name"
}
other '.hidden.ps'
other "$(printf 'new\nline.ps')"
other 'quo"te.ps'
other 'back\slash.ps'
other "$(printf 'tab\there.ps')"
other 'notes.ps.txt'
others=$(spool_jobs "$spool")

n=0
job() {
  n=$((n + 1))
  make_job "$d/src" "name$n" "$spool" "$1" 5
}
job 'with space.ps'
job 'a&b.ps'
job 'p|q.ps'
job 'l<t.ps'
job 'g>t.ps'
job 'c^d.ps'
job 'per%cent.ps'
job '100%%.ps'
job '%PATH%.ps'
job 'bang!.ps'
job '(paren).ps'
job 'semi;colon.ps'
job 'com,ma.ps'
job 'eq=ual.ps'
job "quo'te.ps"
job ' lead and trail .ps'
job "$(printf 'Faktura \303\245\303\244\303\266.ps')"
job "$(printf 'bad\377\376\200.ps')"
job "$(printf 'L%0195d.ps' 1)"
job "$(printf 'L%0195d.ps' 2)"
job "$(printf '%0200d.ps' 3 | tail -c 200)"
job 'Case.ps'
job 'CASE.ps'
job 'case.PS'
job 'a.b.ps'
job 'ab.ps'
job 'a..b.ps'
job 'ab.ps.ps'
job 'abps.ps'
job '-dash.ps'
job 'star*q?.ps'

LPTSPOOL_SETTLE_MS=300 start_server names "$spool" LPT1="|lp -d names -o raw"
printed_all() { [ "$(out_count "$d/out")" -ge "$n" ] && [ "$(spool_jobs "$spool")" -eq "$others" ]; }
wait_for 120 printed_all || fail "left in the folder: $(ls "$spool")"
wait_for 60 queue_idle names || fail "CUPS did not finish"
sleep 8 # one more tick: nothing may come back or be printed twice
tally "hostile names" "$d/src" "$d/out"

k=0
while [ "$k" -lt "$i" ]; do
  k=$((k + 1))
  name=$(cat "$d/others/$k.name")
  cmp -s "$d/others/$k" "$spool/$name" || fail "'$name' was changed or removed"
done
[ "$(readlink "$spool/x.ps")" = "$sibling/secret.ps" ] || fail "the link x.ps was changed"
[ "$(readlink "$spool/link.ps")" = "$sibling" ] || fail "the link link.ps was changed"
[ "$(readlink "$spool/evil.bat")" = "$sibling/keep.bat" ] || fail "the link evil.bat was changed"
[ "$(cat "$spool/d.ps/inner.ps")" = inside ] || fail "the folder d.ps was changed"
sibling_stat >"$d/sibling.after"
cmp -s "$d/sibling.before" "$d/sibling.after" ||
  fail "the sibling folder was read or changed: $(diff "$d/sibling.before" "$d/sibling.after")"
find "$sibling" -type f -exec sha256sum {} + | LC_ALL=C sort | cmp -s - "$d/sibling.sums" ||
  fail "a file in the sibling folder changed"
echo "FIGURES hostile names: $i others untouched, sibling folder unchanged"
echo PASS
