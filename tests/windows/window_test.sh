#!/bin/bash
# The Windows window under Wine, as a person meets it on a desktop with a bottom panel and a tray
# (Xvfb 1024 x 768 at 96 dpi, openbox, tint2; Wine docks tray icons into tint2): its size and
# docked place, "-" to the tray, a single and a double click on the icon, a drag by the strip,
# a double click on the strip and a right click on the icon that slide it home, and the status
# button's document list.
# Usage: window_test.sh WINDOWS_BIN_FOLDER OUTPUT_FOLDER  (the Wine prefix and screenshots go there)
set -u
bin=$1
out=$2
source "$(dirname "$0")/../shell_lib.sh"

[[ -f $bin/lptspool.exe ]] || fail "$bin/lptspool.exe is not built"
for tool in wine wineserver Xvfb openbox tint2 xdotool xprop xwininfo import; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps --test)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/lptspool-wine-XXXXXX")
# Wine keeps its server's socket folder under TMPDIR and leaves it there: ours goes with $work.
export TMPDIR=$work
export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
pids=()
failures=0
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wineserver -k 2>/dev/null
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do wait "${pids[i]}" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
check() {  # check COMMAND... -- MESSAGE: counts a failure and goes on
  local args=()
  while [[ $1 != -- ]]; do args+=("$1"); shift; done
  shift
  "${args[@]}" || { echo "FAIL: $*"; failures=$((failures + 1)); }
}

export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY SESSION_MANAGER

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")
wait_for 10 bash -c 'xprop -root >/dev/null 2>&1' || fail "Xvfb does not take connections"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 30 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
  fail "openbox did not start: $(cat "$work/openbox.log")"
# The panel comes first: Wine's tray looks for an XEmbed tray when it starts.
cp /etc/xdg/tint2/tint2rc "$work/tint2rc"
tint2 -c "$work/tint2rc" >"$work/tint2.log" 2>&1 &
pids+=($!)
wait_for 15 bash -c 'xprop -root _NET_WORKAREA 2>/dev/null | grep -q "= 0, 0, 1024, 738"' ||
  fail "tint2 did not reserve its panel"
wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot could not make the prefix"

wine "$bin/lptspool.exe" 'PRINTINGDIR="C:\SPOOL"' >"$work/lptspool.log" 2>&1 &
lptspool_pid=$!
pids+=("$lptspool_pid")

# The program's window: the one of its X windows named lptspool that is 130 pixels wide.
main_window() {
  local w
  for w in $(xdotool search --pid "$lptspool_pid" --name '^lptspool$' 2>/dev/null); do
    if xwininfo -id "$w" 2>/dev/null | grep -q 'Width: 130$'; then
      echo "$w"
      return 0
    fi
  done
  return 1
}
geometry() {  # "X Y W H VIEWABLE(0/1)"
  [[ -n $1 ]] || return 1
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} /Map State/ {v=($3=="IsViewable")}
    END {print x, y, w, h, v}'
}
window_at() { local w; w=$(main_window) && [[ "$(geometry "$w")" == "$1 $2 130 130 1" ]]; }
window_hidden() { local w; w=$(main_window) && [[ "$(geometry "$w")" == *" 0" ]]; }
# Wine leaves a borderless tool window to itself (override-redirect: above the others, in no
# taskbar) until it is first activated; then the window manager keeps it so.
on_top_without_taskbar_button() {
  local w states
  w=$(main_window) || return 1
  xwininfo -id "$w" | grep -q 'Override Redirect State: yes' && return 0
  states=$(xprop -id "$w" _NET_WM_STATE)
  [[ $states == *_NET_WM_STATE_ABOVE* && $states == *_NET_WM_STATE_SKIP_TASKBAR* ]]
}
place() { local w; w=$(main_window) && geometry "$w" | cut -d' ' -f1-4; }
# The tray icon: a small viewable window of Wine's tray, embedded in the panel.
tray_icon() {
  local w x y wd ht v
  for w in $(xdotool search --classname '^explorer.exe$' 2>/dev/null); do
    read -r x y wd ht v <<<"$(geometry "$w")"
    if [[ "$v" == 1 && "$wd" -le 48 && "$ht" -le 48 && "$y" -ge 738 ]]; then
      echo "$w"
      return 0
    fi
  done
  return 1
}
has_tray_icon() { tray_icon >/dev/null; }
no_tray_icon() { ! has_tray_icon; }
click_at() { xdotool mousemove --sync "$1" "$2" click --repeat "${3:-1}" --delay 80 1; }

echo "--- docked"
wait_for 60 window_at 894 608 ||
  fail "the window should be 130 x 130 at 894,608, above the panel, not $(place)"
check wait_for 5 on_top_without_taskbar_button -- "the window is not kept on top without a taskbar button"
sleep 0.5
import -window root "$out/windows-docked.png"

echo "--- \"-\" and the tray icon"
click_at $((894 + 120)) $((608 + 9))
check wait_for 5 window_hidden -- "\"-\" should hide the window"
wait_for 10 tray_icon >/dev/null || fail "\"-\" should put the icon into the tray"
sleep 0.5
read -r ix iy iw ih _ <<<"$(geometry "$(tray_icon)")"
echo "tray icon at $ix,$iy (${iw}x$ih)"
import -window root "$out/windows-tray.png"
click_at $((ix + iw / 2)) $((iy + ih / 2))
sleep 1  # past the double-click time, so the next click starts a double click of its own
check window_hidden -- "a single click on the icon should do nothing"
click_at $((ix + iw / 2)) $((iy + ih / 2)) 2
# On a loaded machine Wine's tray now and then takes the two clicks for two single ones.
if ! wait_for 5 window_at 894 608; then
  echo "(a second double click)"
  sleep 1
  click_at $((ix + iw / 2)) $((iy + ih / 2)) 2
fi
check wait_for 5 window_at 894 608 -- "a double click on the icon should bring the window back, it is at $(place)"
check wait_for 5 no_tray_icon -- "a double click on the icon should remove it"
check wait_for 5 on_top_without_taskbar_button -- "back from the tray, the window is not on top"

echo "--- drag by the strip, double click on the strip"
xdotool mousemove --sync $((894 + 40)) $((608 + 8)) mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove --sync $((894 + 40 - 20 * step)) $((608 + 8 - 15 * step))
done
xdotool mouseup 1
check wait_for 5 window_at 694 458 -- "after a drag of -200,-150 the window should be at 694,458, not $(place)"
click_at $((694 + 40)) $((458 + 8)) 2
check wait_for 10 window_at 894 608 -- "a double click on the strip should slide the window home, it is at $(place)"

echo "--- right click on the icon"
xdotool mousemove --sync $((894 + 40)) $((608 + 8)) mousedown 1 mousemove --sync 500 300 mouseup 1
check wait_for 5 window_at 460 292 -- "a drag should move the window to 460,292, not $(place)"
click_at $((460 + 120)) $((292 + 9))
check wait_for 10 has_tray_icon -- "\"-\" should put the icon into the tray again"
sleep 0.5
read -r ix iy iw ih _ <<<"$(geometry "$(tray_icon)")"
xdotool mousemove --sync $((ix + iw / 2)) $((iy + ih / 2)) click 3
check wait_for 10 window_at 894 608 -- "a right click on the icon should show the window and slide it home, it is at $(place)"

echo "--- the status button opens the document list"
printf 'job' >"$WINEPREFIX/drive_c/SPOOL/WAITING.PS"
list_shown() {
  local w
  for w in $(xdotool search --pid "$lptspool_pid" --name '^Alla dokument$' 2>/dev/null); do
    [[ "$(geometry "$w")" == *" 1" ]] && return 0
  done
  return 1
}
check wait_for 20 bash -c "xdotool mousemove --sync $((894 + 65)) $((608 + 105)) click 1; sleep 1; $(declare -f geometry list_shown); lptspool_pid=$lptspool_pid list_shown" -- "the status button should show the list of documents"
sleep 0.5
import -window root "$out/windows-end.png"

if ((failures)); then
  echo "--- lptspool.log"
  cat "$work/lptspool.log"
  exit 1
fi
echo "PASS"
