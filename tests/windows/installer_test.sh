#!/bin/bash
# The installer under Wine, silent: it installs both programs, print.txt and the README, a Start
# menu entry and the start at login with the chosen spool folder; the installed server prints;
# the uninstaller ends it and takes all of that away again, leaving the spool folder's files.
# Usage: installer_test.sh WINDOWS_BUILD_FOLDER OUTPUT_FOLDER  (packages and prefix go there)
set -u
build=$1
out=$2
source "$(dirname "$0")/../shell_lib.sh"

export WINEPREFIX=$out/installer-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
server_pid=
xvfb_pid=
cleanup() {
  [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -f "$out/display"
}
trap cleanup EXIT

# The server wants a desktop, as at a login.
mkdir -p "$out"
exec 3>"$out/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 10 test -s "$out/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$out/display")

rm -rf "$out/packages" "$WINEPREFIX"
(cd "$build" && cpack -G NSIS -B "$out/packages" >"$out/cpack.log" 2>&1) || fail "cpack: $(tail -5 "$out/cpack.log")"
installer=$(ls "$out"/packages/lptspool-*-windows-x64.exe) || fail "no installer was made"
wineboot -i >"$out/wineboot.log" 2>&1 || fail "wineboot could not make the prefix"

c=$WINEPREFIX/drive_c
dir="$c/Program Files/lptspool"
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/lptspool"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
wine "$installer" /S '/SPOOL=C:\JOBS\PRINT' || fail "the installer failed"
for file in lptspool.exe lptspool-launch.exe print.txt README.txt Uninstall.exe; do
  [[ -f $dir/$file ]] || fail "$file was not installed"
done
[[ -f $menu/lptspool.lnk ]] || fail "no Start menu entry"
[[ -d $c/JOBS/PRINT ]] || fail "the spool folder was not made"
wine reg query "$run_key" /v lptspool 2>/dev/null | tr -d '\r' |
  grep -qF '"C:\Program Files\lptspool\lptspool.exe" PRINTINGDIR="C:\JOBS\PRINT"' ||
  fail "no start at login with the spool folder: $(wine reg query "$run_key" 2>&1 | tr -d '\r')"

# Without a desktop the server cannot run: it says so and ends, rather than sit there idle.
DISPLAY= wine "$dir/lptspool.exe" 'PRINTINGDIR=C:\JOBS\PRINT' >"$out/nodesktop.log" 2>&1
status=$?
[[ $status == 1 ]] && grep -q 'the server does not run' "$out/nodesktop.log" ||
  fail "without a desktop: status $status, $(cat "$out/nodesktop.log")"

# The server as the login starts it prints a job through the installed launcher to a folder.
# The uninstaller must leave the spool folder's other files alone.
printf 'job' >"$c/JOBS/PRINT/REPORT.PS"
printf 'mine' >"$c/JOBS/PRINT/NOTES.TXT"
mkdir -p "$c/OUT"
LPT1='C:\OUT' wine "$dir/lptspool.exe" 'PRINTINGDIR=C:\JOBS\PRINT' >"$out/server.log" 2>&1 &
server_pid=$!
wait_for 60 test ! -e "$c/JOBS/PRINT/REPORT.PS" || fail "the installed server did not print"
[[ $(cat "$c"/OUT/*) == job ]] || fail "the job did not reach the printer whole"

wine "$dir/Uninstall.exe" /S || fail "the uninstaller failed"
wait_for 30 test ! -e "$dir" || fail "the program's folder stays: $(ls "$dir")"
wait_for 10 bash -c "! kill -0 $server_pid 2>/dev/null" || fail "the running server was not ended"
server_pid=
[[ ! -e $menu ]] || fail "the Start menu entry stays"
if wine reg query "$run_key" /v lptspool >/dev/null 2>&1; then fail "the start at login stays"; fi
[[ $(cat "$c/JOBS/PRINT/NOTES.TXT") == mine ]] || fail "the spool folder's files must stay"
echo "PASS"
