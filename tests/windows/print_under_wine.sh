#!/bin/sh
# End to end under Wine: the Windows server on its spool folders prints through
# lptspool-launch.exe to a folder, to LPT1 led to a file and then to a FIFO, and to a Windows
# printer that is a queue of a private CUPS, and to a command through cmd.exe; each job once and
# byte for byte, every spool folder empty afterwards. A printer that refuses jobs keeps its job.
# Usage: print_under_wine.sh BIN_DIR APPEND_INPUT_EXE
set -eu
bin=$1
append_input=$2
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d /tmp/lptwin.XXXXXX)
pids=""
cupsd_pid=""
WINEPREFIX=$tmp/prefix
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer in a fresh prefix
LPTSPOOL_SETTLE_MS=200
# Wine keeps its server's socket folder under TMPDIR and leaves it there: ours goes with $tmp.
TMPDIR=$tmp
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LPTSPOOL_SETTLE_MS TMPDIR
cleanup() {
  set +e
  wineserver -k 2>/dev/null
  for pid in $pids; do kill "$pid" 2>/dev/null; done
  [ -n "$cupsd_pid" ] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
. "$here/../shell_lib.sh"
. "$here/../reliability/cups.sh"

dos() { printf 'Z:%s' "$1" | tr / '\\'; }

# A private display: the server's timer runs in its window. Xvfb picks a free number itself, so
# runs side by side never take the same one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
pids="$pids $!"
wait_for 20 test -s "$tmp/display" || fail "Xvfb did not start"
DISPLAY=:$(head -n1 "$tmp/display")
export DISPLAY

start_cups
add_queue office "$tmp/office"
add_queue broken "$tmp/broken"
cupsreject broken

wineboot -i >/dev/null 2>&1 || fail "wineboot could not make the prefix"
: >"$tmp/lpt1.out"
ln -sfn "$tmp/lpt1.out" "$WINEPREFIX/dosdevices/lpt1"

# job NAME SPOOL: a job whose bytes a printer path might mangle, kept in jobs/NAME, dropped whole.
mkdir "$tmp/jobs"
job() {
  { printf 'JOB %s\r\n\032\033E\t\377\200\000\n' "$1"; head -c "$((20000 + $(od -An -N2 -tu2 /dev/urandom)))" /dev/urandom; } >"$tmp/jobs/$1"
  cp "$tmp/jobs/$1" "$2/.$1.part"
  mv "$2/.$1.part" "$2/$1.PS"
}
server() {  # server SPOOL [LPT1]
  mkdir -p "$1"
  if [ $# -gt 1 ]; then
    LPT1=$2 wine "$bin/lptspool.exe" "PRINTINGDIR=$(dos "$1")\\" >/dev/null 2>&1 &
  else
    env -u LPT1 wine "$bin/lptspool.exe" "PRINTINGDIR=$(dos "$1")\\" >/dev/null 2>&1 &
  fi
  pids="$pids $!"
}
empty() { [ -z "$(ls -A "$1")" ]; }
# printed_once SINK_DIR JOB...: the folder holds each job exactly once, and nothing else.
printed_once() {
  dir=$1
  shift
  [ "$(ls -A "$dir" | wc -l)" -eq $# ] || fail "$dir holds $(ls -A "$dir" | wc -l) files for $# jobs"
  for j in "$@"; do
    found=0
    for f in "$dir"/*; do cmp -s "$f" "$tmp/jobs/$j" && found=$((found + 1)); done
    [ "$found" -eq 1 ] || fail "$j is in $dir $found times"
  done
}
# one_after_other FILE A B: the file holds both jobs whole, one after the other.
one_after_other() {
  cat "$tmp/jobs/$2" "$tmp/jobs/$3" | cmp -s - "$1" ||
    cat "$tmp/jobs/$3" "$tmp/jobs/$2" | cmp -s - "$1"
}

# --check knows a Windows printer by its name: the one CUPS has can print, a name nothing has
# cannot; a port is a port, not a file.
check_says() {  # check_says LPT1 STATUS TEXT
  status=0
  LPT1=$1 wine "$bin/lptspool.exe" --check "PRINTINGDIR=$(dos "$tmp")\\" >"$tmp/check.out" 2>&1 || status=$?
  [ "$status" -eq "$2" ] && grep -q "$3" "$tmp/check.out" ||
    fail "--check with LPT1=$1 should exit $2 saying '$3', not $status: $(cat "$tmp/check.out")"
}
check_says office 0 'Printer: *the printer office'
check_says nosuchprinter 1 'Can print: *no: nosuchprinter: '
check_says LPT2: 0 'Printer: *the device LPT2:'

mkdir "$tmp/out"
server "$tmp/to-folder" "$(dos "$tmp/out")"
server "$tmp/to-printer" office
server "$tmp/to-broken" broken
server "$tmp/to-lpt1"
: >"$tmp/command.out"
server "$tmp/to-command" "|$(dos "$append_input") $(dos "$tmp/command.out")"
job F1 "$tmp/to-folder"
job F2 "$tmp/to-folder"
job P1 "$tmp/to-printer"
job P2 "$tmp/to-printer"
job B1 "$tmp/to-broken"
job L1 "$tmp/to-lpt1"
job L2 "$tmp/to-lpt1"
job C1 "$tmp/to-command"
job C2 "$tmp/to-command"
for s in to-folder to-printer to-lpt1 to-command; do
  wait_for 90 empty "$tmp/$s" || fail "$s still holds: $(ls -A "$tmp/$s")"
done
printed_once "$tmp/out" F1 F2
wait_for 30 queue_idle office || fail "the office queue did not finish"
printed_once "$tmp/office" P1 P2
one_after_other "$tmp/lpt1.out" L1 L2 || fail "LPT1's file does not hold L1 and L2 whole"
one_after_other "$tmp/command.out" C1 C2 || fail "the command did not get C1 and C2 whole"

# LPT1 now leads to a FIFO; its reader also holds it for writing, so it never sees an end.
mkfifo "$tmp/lpt1.fifo"
: >"$tmp/fifo.out"
cat 0<>"$tmp/lpt1.fifo" >"$tmp/fifo.out" &
pids="$pids $!"
ln -sfn "$tmp/lpt1.fifo" "$WINEPREFIX/dosdevices/lpt1"
job L3 "$tmp/to-lpt1"
job L4 "$tmp/to-lpt1"
wait_for 90 empty "$tmp/to-lpt1" || fail "to-lpt1 still holds: $(ls -A "$tmp/to-lpt1")"
wait_for 10 one_after_other "$tmp/fifo.out" L3 L4 || fail "the FIFO did not get L3 and L4 whole"

# Several ticks have passed: the refused job is still there, whole, and the queue got nothing.
cmp -s "$tmp/to-broken/B1.PS" "$tmp/jobs/B1" || fail "the refused job was not kept whole"
[ -z "$(ls -A "$tmp/broken" 2>/dev/null)" ] || fail "the refusing queue printed something"
# The launcher's report reached the server user's private folder: the list says why B1 waits.
queue=$(wine "$bin/lptspool.exe" --queue "PRINTINGDIR=$(dos "$tmp/to-broken")\\" 2>&1 | tr -d '\r')
printf '%s\n' "$queue" | grep -q "^failed	B1.PS	$(wc -c <"$tmp/jobs/B1")	lpt1: [^	]" ||
  fail "--queue does not show B1 failed with the printer's reason: $queue"

# A script another user owns is not run: lptspool-launch.exe leaves with status 2, the job stays.
mkdir "$tmp/owned" "$tmp/owned-out"
job O1 "$tmp/owned"
printf 'copy O1.PS lpt1\r\ndel O1.PS\r\ndel O1PS.bat\r\ndel O1PS.pif\r\n' >"$tmp/owned/O1PS.bat"
head -c 545 /dev/zero >"$tmp/owned/O1PS.pif"
printf '%s' "$(dos "$tmp/owned/O1PS.bat")" | dd of="$tmp/owned/O1PS.pif" bs=1 seek=36 conv=notrunc 2>/dev/null
printf '\020' | dd of="$tmp/owned/O1PS.pif" bs=1 seek=99 conv=notrunc 2>/dev/null
chown 4712:4712 "$tmp/owned/O1PS.bat"
status=0
(cd "$tmp/owned" && LPT1=$(dos "$tmp/owned-out") wine "$bin/lptspool-launch.exe" O1PS.pif) || status=$?
[ "$status" -eq 2 ] || fail "a foreign script: status $status, not 2"
cmp -s "$tmp/owned/O1.PS" "$tmp/jobs/O1" && empty "$tmp/owned-out" || fail "a foreign script ran"
echo "printed under Wine: folder, printer, command, LPT1 to a file and to a FIFO; refused job kept, listed as failed; foreign script refused"
