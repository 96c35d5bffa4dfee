#!/bin/bash
# The Windows window under Wine, as a person meets it on a desktop with a bottom panel and a tray
# (Xvfb 1024 x 768 at 96 dpi, openbox, tint2; Wine docks tray icons into tint2): its size and
# docked place, "-" to the tray, a single and a double click on the icon, a drag by the strip,
# a double click on the strip and a right click on the icon that slide it home, and the status
# button's document list. Its printer (LPT1, a folder) is missing until the end: the status
# button and the tray icon show the warning and name the cause in their tooltips, a hidden
# window's user gets a balloon, and the warning goes once a job is printed.
# Usage: window_test.sh WINDOWS_BIN_FOLDER OUTPUT_FOLDER TRAY_TIPS_EXE
#   (the Wine prefix and screenshots go to OUTPUT_FOLDER; TRAY_TIPS_EXE prints the tray's tooltips)
set -u
bin=$1
out=$2
tray_tips=$3
source "$(dirname "$0")/../desktop/desktop_lib.sh"

[[ -f $bin/lptspool.exe ]] || die "$bin/lptspool.exe is not built"
for tool in wine wineserver Xvfb openbox tint2 xdotool xprop xwininfo import; do
  command -v "$tool" >/dev/null || die "$tool is not installed (scripts/install-deps --test)"
done
# Wine keeps its server's socket folder under TMPDIR and leaves it there: ours goes with $work.
export TMPDIR=$work
export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stop_others() { wineserver -k 2>/dev/null; }

start_x
# The panel comes first: Wine's tray looks for an XEmbed tray when it starts.
start_tint2 || die "tint2 did not reserve its panel"
wineboot -i >"$work/wineboot.log" 2>&1 || die "wineboot could not make the prefix"

# The printer's folder is made only at the end (this prefix outlives the test: the last run's goes).
rm -rf "$WINEPREFIX/drive_c/PRINTED"
LPT1='C:\PRINTED' wine "$bin/lptspool.exe" 'PRINTINGDIR=C:\SPOOL' >"$work/lptspool.log" 2>&1 &
lptspool_pid=$!
pids+=("$lptspool_pid")
window_name='^lptspool$'
tray_candidates() { xdotool search --classname '^explorer.exe$' 2>/dev/null; }

# Wine leaves a borderless tool window to itself (override-redirect: above the others, in no
# taskbar) until it is first activated; then the window manager keeps it so.
on_top_without_taskbar_button() {
  local w states
  w=$(main_window) || return 1
  xwininfo -id "$w" | grep -q 'Override Redirect State: yes' && return 0
  states=$(xprop -id "$w" _NET_WM_STATE)
  [[ $states == *_NET_WM_STATE_ABOVE* && $states == *_NET_WM_STATE_SKIP_TASKBAR* ]]
}

echo "--- docked"
wait_for 60 window_at 894 608 ||
  die "the window should be 130 x 130 at 894,608, above the panel, not $(place)"
wait_for 5 on_top_without_taskbar_button || fail "the window is not kept on top without a taskbar button"
sleep 0.5
import -window root "$out/windows-docked.png"

echo "--- the warning on the status button"
# pixels W H X Y: the screen's pixels in that rectangle, one "R G B" a line.
pixels() {
  import -window root png:- 2>/dev/null | convert - -crop "$1x$2+$3+$4" +repage txt:- |
    sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}
# Most of the button's face below its caption's lines is the warning colour, #ffd75e.
warning_shown() { (($(pixels 110 30 904 698 | grep -c '^255 215 94$') > 1000)); }
wait_for 30 warning_shown || fail "a missing printer should turn the status button to the warning colour"
import -window root "$out/windows-warning.png"
# The tooltips shown when the mouse rests on them, the button's and the tray icon's.
tray_tip() { wine "$tray_tips" 2>/dev/null | tr -d '\r'; }
button_tip() { tray_tip | grep -qx 'Skrivaren fungerar inte\. Skrivaren C:\\PRINTED finns inte\. .*'; }
wait_for 20 button_tip || fail "the status button's tooltip should name the cause, not: $(tray_tip)"
# The mark on the tray's icon: the warning sign's yellow, which the program's icon has none of.
icon_marked() {
  local x y w h
  read -r x y w h _ <<<"$(geometry "$(tray_icon)")" || return 1
  (($(pixels "$w" "$h" "$x" "$y" | awk '$1 >= 200 && $2 >= 150 && $3 <= 100' | wc -l) > 4))
}

echo "--- \"-\" and the tray icon"
press_minus 894 608
wait_for 5 window_hidden || fail "\"-\" should hide the window"
wait_for 10 has_tray_icon || die "\"-\" should put the icon into the tray"
sleep 0.5
echo "tray icon at $(icon_centre)"
wait_for 5 icon_marked || fail "the tray icon should carry the warning mark while the printer fails"
tip_names_cause() { tray_tip | grep -q '^lptspool: 0 dokument i kö\. .*C:\\PRINTED.* finns inte'; }
wait_for 20 tip_names_cause ||
  fail "the tray icon's tooltip should name the count and the cause, not: $(tray_tip)"
# The hidden window's balloon for this failure: the cause alone.
balloon_shown() { tray_tip | grep -q '^Skrivaren C:\\PRINTED finns inte\. Anslut den eller ändra LPT1\.$'; }
wait_for 20 balloon_shown ||
  fail "a hidden window's user should get a balloon naming the cause, not: $(tray_tip)"
import -window root "$out/windows-tray.png"
click_at $(icon_centre)
sleep 1  # past the double-click time, so the next click starts a double click of its own
window_hidden || fail "a single click on the icon should do nothing"
click_at $(icon_centre) 2
# On a loaded machine Wine's tray now and then takes the two clicks for two single ones.
if ! wait_for 5 window_at 894 608; then
  echo "(a second double click)"
  sleep 1
  click_at $(icon_centre) 2
fi
wait_for 5 window_at 894 608 || fail "a double click on the icon should bring the window back, it is at $(place)"
wait_for 5 no_tray_icon || fail "a double click on the icon should remove it"
wait_for 5 on_top_without_taskbar_button || fail "back from the tray, the window is not on top"

echo "--- drag by the strip, double click on the strip"
drag_strip 894 608 694 458
wait_for 5 window_at 694 458 || fail "after a drag of -200,-150 the window should be at 694,458, not $(place)"
click_at $((694 + 40)) $((458 + 8)) 2
wait_for 10 window_at 894 608 || fail "a double click on the strip should slide the window home, it is at $(place)"

echo "--- right click on the icon"
xdotool mousemove --sync $((894 + 40)) $((608 + 8)) mousedown 1 mousemove --sync 500 300 mouseup 1
wait_for 5 window_at 460 292 || fail "a drag should move the window to 460,292, not $(place)"
press_minus 460 292
wait_for 10 has_tray_icon || fail "\"-\" should put the icon into the tray again"
sleep 0.5
xdotool mousemove --sync $(icon_centre) click 3
wait_for 10 window_at 894 608 || fail "a right click on the icon should show the window and slide it home, it is at $(place)"

echo "--- the status button opens the document list"
printf 'job' >"$WINEPREFIX/drive_c/SPOOL/WAITING.PS"
list_shown() {
  local w
  for w in $(xdotool search --pid "$lptspool_pid" --name '^Alla dokument$' 2>/dev/null); do
    [[ "$(geometry "$w")" == *" 1" ]] && return 0
  done
  return 1
}
click_status() { click_at $((894 + 65)) $((608 + 105)) && sleep 1 && list_shown; }
wait_for 20 click_status || fail "the status button should show the list of documents"
sleep 0.5
import -window root "$out/windows-end.png"

echo "--- the printer works again"
mkdir -p "$WINEPREFIX/drive_c/PRINTED"
printed() {
  [[ ! -e $WINEPREFIX/drive_c/SPOOL/WAITING.PS ]] && ls "$WINEPREFIX/drive_c/PRINTED" | grep -q WAITING.PS
}
wait_for 60 printed || fail "the waiting job should be printed once the printer's folder exists"
warning_gone() { ! warning_shown; }
wait_for 20 warning_gone ||
  fail "the warning should go once a job is printed"
press_minus 894 608
wait_for 10 has_tray_icon || fail "\"-\" should put the icon into the tray once more"
# The shell gives a new icon its tooltip a moment after it shows it.
tip_plain() { tray_tip | grep -qx 'lptspool'; }
wait_for 20 tip_plain || fail "the tray icon's tooltip should be its own again, not: $(tray_tip)"
icon_marked && fail "the tray icon should lose its mark once a job is printed"

if ((failures)); then
  echo "--- lptspool.log"
  cat "$work/lptspool.log"
  exit 1
fi
echo "PASS"
