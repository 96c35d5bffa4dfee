#!/bin/bash
# The installer under Wine, and the installed server started the ways Windows starts it. A silent
# install refuses a folder the page would refuse and installs nothing; with /SPOOL it writes the
# Start menu entry and the start at login with that folder and fills in Add or Remove Programs.
# A refused folder shows a message box and ends with status 2. The Run value's own string run by
# cmd starts a server that prints a job named in code page 1252; the shortcut started again on the
# same folder leaves one server. Typed at a command prompt, --queue shows the name with its right
# letters and a refusal its line, each before the next prompt and with its status, and a server
# start comes back with 0 while the server prints; on Wine's console (a terminal) as well.
# The uninstaller ends the server and takes away every key and the private folder it made,
# leaving the spool folder's files.
# Usage: installer_test.sh WINDOWS_BUILD_FOLDER OUTPUT_FOLDER  (packages and prefix go there)
set -u
build=$1
out=$2
source "$(dirname "$0")/../shell_lib.sh"

export WINEPREFIX=$out/installer-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=
cleanup() {
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
acp=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP | tr -d '\r')
[[ $acp == *1252* ]] || fail "the prefix's ANSI code page is not 1252: $acp"

c=$WINEPREFIX/drive_c
dir="$c/Program Files/lptspool"
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/lptspool"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\lptspool'
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
# win_bat NAME LINE...: a batch file in C:\ with Windows line ends.
win_bat() {
  local name=$1
  shift
  printf '%s\r\n' "$@" >"$c/$name"
}
servers() { xdotool search --name '^lptspool$' 2>/dev/null | wc -l; }
servers_are() { [[ $(servers) == "$1" ]]; }

echo "--- a silent install refuses what the folder page refuses, and installs nothing"
wine "$installer" /S '/SPOOL=JOBS' >/dev/null 2>&1
status=$?
[[ $status == 2 ]] || fail "a folder without a drive: installer status $status, not 2"
[[ ! -e $dir && ! -e $menu ]] || fail "a refused install left files behind"
[[ -z $(reg_value "$run_key" lptspool) ]] || fail "a refused install wrote the start at login"

echo "--- silent install with /SPOOL: the shortcut, the Run value and Add or Remove Programs"
wine "$installer" /S '/SPOOL=C:\Jobs\Print' || fail "the installer failed"
for file in lptspool.exe lptspool.com lptspool-launch.exe print.txt README.txt Uninstall.exe; do
  [[ -f $dir/$file ]] || fail "$file was not installed"
done
# The zip holds what is installed: every guide the README links to lies where the link leads.
for doc in $(grep -o 'docs/[a-z-]*\.\(md\|png\)' "$dir/README.txt" | sort -u); do
  [[ -f $dir/$doc ]] || fail "README.txt links to $doc, which is not installed"
done
[[ -d $c/Jobs/Print ]] || fail "the spool folder was not made"
run=$(reg_value "$run_key" lptspool)
[[ $run == '"C:\Program Files\lptspool\lptspool.exe" PRINTINGDIR="C:\Jobs\Print"' ]] ||
  fail "the start at login is: $run"
[[ -f $menu/lptspool.lnk ]] || fail "no Start menu entry"
tr -d '\000' <"$menu/lptspool.lnk" | grep -aqF 'PRINTINGDIR="C:\Jobs\Print"' ||
  fail "the Start menu entry does not name the folder"
for value in DisplayVersion Publisher InstallLocation EstimatedSize; do
  [[ -n $(reg_value "$uninstall_key" "$value") ]] || fail "Add or Remove Programs has no $value"
done

echo "--- a refused folder: a message box, status 2"
wine "$dir/lptspool.exe" 'PRINTINGDIR=Q:\nowhere' </dev/null >/dev/null 2>&1 &
refused=$!
wait_for 30 servers_are 1 || fail "no message box for a refused folder"
import -window root "$out/refused.png"
xdotool key Return
wait "$refused"
status=$?
[[ $status == 2 ]] || fail "a refused folder: status $status, not 2"

# lptspool.com started on a console of its own, as by a double click in Explorer, where a line
# would vanish with that console: lptspool.exe answers in a message box instead.
echo "--- lptspool.com double-clicked, without a folder: a message box, status 2"
wine start /wait 'C:\Program Files\lptspool\lptspool.com' >"$out/clicked.log" 2>&1 &
clicked=$!
wait_for 30 servers_are 1 || fail "no message box for lptspool.com on a console of its own"
xdotool key Return
wait "$clicked"
status=$?
[[ $status == 2 ]] || fail "lptspool.com on a console of its own: status $status, $(cat "$out/clicked.log")"

echo "--- the Run value's own string through cmd: the server prints a job named in code page 1252"
mkdir -p "$c/OUT"
printf 'job' >"$c/Jobs/Print/Räkning.ps"
printf 'mine' >"$c/Jobs/Print/NOTES.TXT"
win_bat login.bat '@echo off' "start \"\" $run"
LPT1='C:\OUT' wine cmd /c 'C:\login.bat' >"$out/login.log" 2>&1 || fail "cmd: $(cat "$out/login.log")"
wait_for 60 test ! -e "$c/Jobs/Print/Räkning.ps" || fail "the server started at login did not print"
[[ $(cat "$c"/OUT/*) == job ]] || fail "the job did not reach the printer whole"
[[ $(servers) == 1 ]] || fail "$(servers) windows for one server"

echo "--- the shortcut started again on the same folder: status 0, one server"
wine start /wait "$(wine winepath -w "$menu/lptspool.lnk" 2>/dev/null | tr -d '\r')" >"$out/second.log" 2>&1
status=$?
[[ $status == 0 ]] || fail "the second start: status $status, $(cat "$out/second.log")"
sleep 2
[[ $(servers) == 1 ]] || fail "$(servers) windows after a second start on the same folder"

# A command prompt, typed into: "lptspool" runs lptspool.com, which waits for lptspool.exe, so
# each answer comes before the next prompt and %errorlevel% is its status; a server start comes
# back once the server runs. (lptspool.exe typed alone would be left running: the prompt first.)
echo "--- typed at a command prompt: --queue, a refused folder, a server start"
mkdir -p "$c/Jobs/Other" "$c/Jobs/Typed"
printf 'waiting' >"$c/Jobs/Other/Räkning.ps"
printf 'typed' >"$c/Jobs/Typed/TYPED.PS"
printf '%s\r\n' 'cd /d "C:\Program Files\lptspool"' \
  'lptspool --queue PRINTINGDIR=C:\Jobs\Other' 'echo status %errorlevel%' \
  'lptspool PRINTINGDIR=Q:\nowhere' 'echo status %errorlevel%' \
  'lptspool --version > C:\version.txt' \
  'lptspool PRINTINGDIR=C:\Jobs\Typed' 'echo status %errorlevel%' 'exit' >"$c/typed.txt"
LPT1='C:\OUT' wine cmd <"$c/typed.txt" >"$out/typed.log" 2>&1 || fail "cmd: $(cat "$out/typed.log")"
typed=$(tr -d '\r' <"$out/typed.log")
prompt='C:\Program Files\lptspool>'
[[ $typed == *"$prompt"$'waits\tRäkning.ps\t7\t'*$'\n\n'"${prompt}status 0"$'\n'* ]] ||
  fail "--queue at a prompt: $typed"
refused='lptspool: the spool folder must be an absolute folder, as in PRINTINGDIR=C:\mapp\'
[[ $typed == *"$prompt$refused"$'\n\n'"${prompt}status 2"$'\n'* ]] ||
  fail "a refused folder at a prompt: $typed"
[[ $(tr -d '\r' <"$c/version.txt") == "lptspool "* ]] || fail "--version led to a file: $(cat "$c/version.txt")"
# (--version > file and the server start say nothing: two bare prompts, then the status.)
[[ $typed == *"$prompt"$'\n'"$prompt"$'\n'"${prompt}status 0"$'\n\n'"$prompt" ]] ||
  fail "a server start at a prompt: $typed"
wait_for 60 test ! -e "$c/Jobs/Typed/TYPED.PS" || fail "the server started at a prompt did not print"
grep -qx typed "$c"/OUT/* || fail "the job typed for did not reach the printer"
[[ $(servers) == 2 ]] || fail "$(servers) windows for two servers"

# On a console (Wine's, on a terminal), where lptspool.exe must find the console to answer on.
echo "--- on a console: the answer and a refusal reach it, a server lets go of it"
mkdir -p "$c/Jobs/Console"
printf 'console' >"$c/Jobs/Console/CONSOLE.PS"
win_bat console.bat '@echo off' 'cd /d "C:\Program Files\lptspool"' 'lptspool --version' \
  'echo status %errorlevel%' 'lptspool PRINTINGDIR=Q:\nowhere' 'echo status %errorlevel%' \
  'lptspool PRINTINGDIR=C:\Jobs\Console' 'echo status %errorlevel%'
# (The terminal's hang-up as script ends would end a server Windows lets run on: ignored.)
LPT1='C:\OUT' timeout 60 script -qec 'trap "" HUP; wine cmd /c "C:\\console.bat"' /dev/null \
  >"$out/console.log" 2>&1
# (The console draws blanks as cursor moves: the text is compared without them.)
shown=$(sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$out/console.log" | tr -d '\r ')
[[ $shown == *$'lptspool0.'*$'\nstatus0\nlptspool:thespoolfoldermustbeanabsolutefolder'*$'\nstatus2\nstatus0'* ]] ||
  fail "on a console: $(cat -v "$out/console.log")"
wait_for 60 test ! -e "$c/Jobs/Console/CONSOLE.PS" || fail "the server started on a console did not print"
[[ $(servers) == 3 ]] || fail "$(servers) windows for three servers"

# Without a desktop the server cannot run: it says so and ends, rather than sit there idle.
DISPLAY= wine "$dir/lptspool.exe" 'PRINTINGDIR=C:\Jobs\Spare' >"$out/nodesktop.log" 2>&1
status=$?
[[ $status == 1 ]] && grep -q 'the server does not run' "$out/nodesktop.log" ||
  fail "without a desktop: status $status, $(cat "$out/nodesktop.log")"

echo "--- uninstall: no key, no private folder; the spool folder's files stay"
local_app=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
private=$(wine winepath -u "$local_app\\lptspool" 2>/dev/null)
[[ -d $private ]] || fail "the server kept nothing in $private"
wine "$dir/Uninstall.exe" /S || fail "the uninstaller failed"
wait_for 30 test ! -e "$dir" || fail "the program's folder stays: $(ls "$dir")"
wait_for 10 servers_are 0 || fail "the running server was not ended"
[[ ! -e $menu ]] || fail "the Start menu entry stays"
[[ -z $(reg_value "$run_key" lptspool) ]] || fail "the start at login stays"
for key in "$uninstall_key" 'HKLM\Software\lptspool' 'HKCU\Software\lptspool'; do
  if wine reg query "$key" >/dev/null 2>&1; then fail "$key stays"; fi
done
[[ ! -e $private ]] || fail "the private folder stays: $private"
[[ $(cat "$c/Jobs/Print/NOTES.TXT") == mine && -f $c/Jobs/Other/Räkning.ps ]] ||
  fail "the spool folders' files must stay"
echo "PASS"
