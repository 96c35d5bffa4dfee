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

# Headless run with a printer that is not there yet: the folder's missing levels are created, the
# first tick writes the launcher, and the server says why the job waits.
spool="$tmp/spool/deep"
printer="$tmp/printer"
mkdir -p "$tmp/spool"
LPT1="$printer" LPTSPOOL_SETTLE_MS=100 start_server "PRINTINGDIR=$spool"
wait_for 5 test -d "$spool" || fail "spool folder not created"
printf 'job\032\000\r\n' >"$spool/REPORT.PS"
wait_for 15 test -f "$spool/REPORTPS.pif" || fail "no launcher written"
missing="$printer: No such file or directory"
said() { grep -qF "lptspool: $1" "$tmp/server.err"; }
said "the printer cannot work: $missing" || fail "no start-up check in: $(cat "$tmp/server.err")"
wait_for 20 said "REPORT.PS waits: lpt1: $missing" || fail "no reason in: $(cat "$tmp/server.err")"
"$bin/lptspool" --queue "PRINTINGDIR=$spool" >"$tmp/queue"
printf 'failed\tREPORT.PS\t7\tlpt1: %s\n' "$missing" | cmp - "$tmp/queue" || fail "--queue: $(cat "$tmp/queue")"
status=0
LPT1="$printer" "$bin/lptspool" --check "PRINTINGDIR=$spool" >"$tmp/check" || status=$?
[ "$status" -eq 1 ] && grep -qF "Can print:     no: $missing" "$tmp/check" || fail "--check: $(cat "$tmp/check")"
LPT1="$printer/" "$bin/lptspool" --check "PRINTINGDIR=$spool" >"$tmp/check" || fail "--check of a folder to be made"
: >"$tmp/afile"
status=0
LPT1="$tmp/afile/" "$bin/lptspool" --check "PRINTINGDIR=$spool" >"$tmp/check" || status=$?
[ "$status" -eq 1 ] && grep -qF "Can print:     no: $tmp/afile: Not a directory" "$tmp/check" ||
  fail "--check of a file named as a folder: $(cat "$tmp/check")"

# The printer appears: the job is printed, and said once.
mkdir "$printer"
wait_for 30 said "REPORT.PS printed (7 bytes)" || fail "not said printed: $(cat "$tmp/server.err")"
stop_server
[ "$(grep -c . "$tmp/server.err")" -eq 4 ] && grep -q offscreen "$tmp/server.err" ||
  fail "expected four lines (display, printer, waits, printed), got: $(cat "$tmp/server.err")"
echo PASS
