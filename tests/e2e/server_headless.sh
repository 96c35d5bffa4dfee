#!/bin/sh
# The real server, headless: refusals at start-up, and the helper files of a tick appearing.
. "$(dirname "$0")/common.sh"

# Without a usable folder it refuses, says how to start it, and touches nothing.
mkdir "$tmp/cwd"
cd "$tmp/cwd"
touch old.bat
for args in "" "PRINTINGDIR=relative" "PRINTINGDIR=C:\\SPOOL\\"; do
  status=0
  # shellcheck disable=SC2086
  "$bin/lptspool" $args 2>"$tmp/err" || status=$?
  [ "$status" -eq 2 ] || fail "'$args' gave status $status"
  [ "$(wc -l <"$tmp/err")" -eq 1 ] || fail "'$args' did not give one line: $(cat "$tmp/err")"
  grep -q "PRINTINGDIR=/path/to/folder" "$tmp/err" || fail "no usage in: $(cat "$tmp/err")"
done
long="$tmp/$(printf '%060d' 0)"
status=0
"$bin/lptspool" "PRINTINGDIR=$long" 2>"$tmp/err" || status=$?
[ "$status" -eq 2 ] && grep -q "too long" "$tmp/err" || fail "a too long folder was not refused"
[ ! -e "$long" ] || fail "a refused folder was created"
[ "$(ls -A)" = "old.bat" ] || fail "a refused start changed the current folder"
"$bin/lptspool" --help | grep -q "PRINTINGDIR=/path/to/folder" || fail "--help"
"$bin/lptspool" --version | grep -q "^lptspool [0-9]" || fail "--version"

# Headless run: the folder's missing levels are created and the first tick writes the files.
spool="$tmp/spool/deep"
mkdir -p "$tmp/spool"
LPT1='|false' start_server "PRINTINGDIR=$spool"
wait_for 5 test -d "$spool" || fail "spool folder not created"
printf 'job\032\000\r\n' >"$spool/REPORT.PS"
echo stale >"$spool/leftover.bat"
echo keep >"$spool/notes.txt"
wait_for 15 test -f "$spool/REPORTPS.pif" || fail "no launcher written"
[ ! -e "$spool/leftover.bat" ] || fail "old helper file not swept"
printf 'copy REPORT.PS lpt1\r\ndel REPORT.PS\r\ndel REPORTPS.bat\r\ndel REPORTPS.pif' >"$tmp/expected"
cmp "$spool/REPORTPS.bat" "$tmp/expected" || fail "batch script bytes"
[ -f "$spool/notes.txt" ] || fail "an unrelated file was removed"
stop_server
[ "$(grep -c . "$tmp/server.err")" -eq 1 ] && grep -q offscreen "$tmp/server.err" ||
  fail "expected one line about the offscreen platform, got: $(cat "$tmp/server.err")"
echo PASS
