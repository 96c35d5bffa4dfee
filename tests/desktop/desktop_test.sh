#!/bin/bash
# The window as a person meets it on a desktop with a bottom panel and a tray (1024 x 768, 96 dpi,
# openbox, tint2), driven with xdotool. First without a panel (the window docks on the screen's
# bottom, "-" keeps it visible without a tray, and it moves up when the panel appears), then with
# one: its place, "-" and the tray icon, a drag, a double click on the strip, and SIGTERM.
# Usage: desktop_test.sh LPTSPOOL_BINARY OUTPUT_FOLDER  (screenshots go to the output folder)
set -u
program=$1
out=$2

for tool in Xvfb openbox tint2 xdotool xprop xwininfo import; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (apt-get install xvfb openbox tint2 xdotool x11-utils imagemagick)"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/lptspool-desktop-XXXXXX")
pids=()
failures=0
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do wait "${pids[i]}" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS >= deadline)) && return 1
    sleep 0.05
  done
}

# A private session: its own display, HOME and runtime folder, no D-Bus (Qt would then look for a
# tray protocol tint2 does not speak).
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/spool"
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR SESSION_MANAGER
export LANG=C.UTF-8

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
wait_for 10 test -s "$work/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
echo "display $DISPLAY"

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 10 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
  { echo "FAIL: openbox did not start"; exit 1; }

cp /etc/xdg/tint2/tint2rc "$work/tint2rc"
start_panel() {
  tint2 -c "$work/tint2rc" >"$work/tint2.log" 2>&1 &
  pids+=($!)
  wait_for 15 bash -c 'xprop -root _NET_WORKAREA 2>/dev/null | grep -q "= 0, 0, 1024, 738"'
}

lptspool_pid=
start_program() {
  "$program" "PRINTINGDIR=$work/spool" >"$work/lptspool.log" 2>&1 &
  lptspool_pid=$!
  pids+=("$lptspool_pid")
}

# The program's window: the one of its windows that is 130 pixels wide.
main_window() {
  local w
  for w in $(xdotool search --pid "$lptspool_pid" 2>/dev/null); do
    if xwininfo -id "$w" 2>/dev/null | grep -q 'Width: 130$'; then
      echo "$w"
      return 0
    fi
  done
  return 1
}
# "X Y W H VIEWABLE(0/1)" of a window.
geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} /Map State/ {v=($3=="IsViewable")}
    END {print x, y, w, h, v}'
}
window_at() {  # window_at X Y: the window is viewable there, 130 x 130
  local w
  w=$(main_window) && [[ "$(geometry "$w")" == "$1 $2 130 130 1" ]]
}
window_hidden() {
  local w
  w=$(main_window) && [[ "$(geometry "$w")" == *" 0" ]]
}
# The tray icon: a small viewable window of the program, embedded in the panel.
tray_icon() {
  local w g
  for w in $(xdotool search --pid "$lptspool_pid" 2>/dev/null); do
    g=$(geometry "$w")
    read -r x y wd ht v <<<"$g"
    if [[ "$v" == 1 && "$wd" -le 48 && "$ht" -le 48 && "$y" -ge 738 ]]; then
      echo "$w"
      return 0
    fi
  done
  return 1
}
no_tray_icon() { ! tray_icon >/dev/null; }
click_at() {  # click_at X Y [REPEAT]
  xdotool mousemove --sync "$1" "$2" click --repeat "${3:-1}" --delay 80 1
}
place() {
  local w
  w=$(main_window) && geometry "$w" | cut -d' ' -f1,2
}

echo "--- without a panel"
start_program
wait_for 10 window_at 894 638 || fail "without a panel the window should sit on the screen's bottom at 894,638, not at $(place)"
click_at $((894 + 120)) $((638 + 9))  # "-": there is no tray to hide into
sleep 0.5
window_at 894 638 || fail "without a tray, \"-\" must leave the window visible"
start_panel || fail "tint2 did not reserve its panel"
wait_for 10 window_at 894 608 || fail "the window should follow the panel to 894,608, not stay at $(place)"
kill -TERM "$lptspool_pid"
wait "$lptspool_pid"
status=$?
[[ $status == 0 ]] || fail "SIGTERM should end the program cleanly, exit status $status"

echo "--- with the panel"
start_program
wait_for 10 window_at 894 608 || fail "the window should dock at 894,608 above the panel, not at $(place)"
w=$(main_window)
echo "window $(geometry "$w")"
states=$(xprop -id "$w" _NET_WM_STATE)
[[ $states == *_NET_WM_STATE_ABOVE* ]] || fail "the window is not kept on top: $states"
[[ $states == *_NET_WM_STATE_SKIP_TASKBAR* ]] || fail "the window has a taskbar button: $states"
sleep 0.5
import -window root "$out/desktop-docked.png"

echo "--- drag by the strip"
xdotool mousemove --sync $((894 + 40)) $((608 + 8)) mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove --sync $((894 + 40 - 20 * step)) $((608 + 8 - 15 * step))
done
xdotool mouseup 1
wait_for 5 window_at 694 458 || fail "after a drag of -200,-150 the window should be at 694,458, not $(place)"

echo "--- \"-\" and the tray icon"
click_at $((694 + 120)) $((458 + 9))
wait_for 5 window_hidden || fail "\"-\" should hide the window"
wait_for 5 tray_icon >/dev/null || fail "\"-\" should put the icon into the tray"
sleep 0.5  # the icon's place is known once it is embedded
icon=$(tray_icon)
read -r ix iy iw ih _ <<<"$(geometry "$icon")"
echo "tray icon at $ix,$iy (${iw}x$ih)"
tip=$(xprop -id "$icon" WM_NAME 2>/dev/null)
echo "tray icon $tip"
import -window root "$out/desktop-tray.png"
click_at $((ix + iw / 2)) $((iy + ih / 2))
sleep 0.5
window_hidden || fail "a single click on the icon should do nothing"
click_at $((ix + iw / 2)) $((iy + ih / 2)) 2
wait_for 5 window_at 694 458 || fail "a double click on the icon should bring the window back at 694,458, not $(place)"
wait_for 5 no_tray_icon || fail "a double click on the icon should remove it"
states=$(xprop -id "$(main_window)" _NET_WM_STATE)
[[ $states == *_NET_WM_STATE_ABOVE* ]] || fail "back from the tray, the window is not on top: $states"

echo "--- double click on the strip"
click_at $((694 + 40)) $((458 + 8)) 2
wait_for 10 window_at 894 608 || fail "a double click on the strip should slide the window home, it is at $(place)"

echo "--- right click on the icon"
xdotool mousemove --sync $((894 + 40)) $((608 + 8)) mousedown 1 mousemove --sync 500 300 mouseup 1
click_at $((500 - 40 + 120)) $((300 - 8 + 9))
wait_for 5 tray_icon >/dev/null || fail "\"-\" should put the icon into the tray again"
sleep 0.5
icon=$(tray_icon)
read -r ix iy iw ih _ <<<"$(geometry "$icon")"
xdotool mousemove --sync $((ix + iw / 2)) $((iy + ih / 2)) click 3
wait_for 10 window_at 894 608 || fail "a right click on the icon should show the window and slide it home, it is at $(place)"
import -window root "$out/desktop-end.png"

kill -TERM "$lptspool_pid"
wait "$lptspool_pid"
status=$?
[[ $status == 0 ]] || fail "SIGTERM should end the program cleanly, exit status $status"

if ((failures)); then
  echo "--- lptspool.log"
  cat "$work/lptspool.log"
  echo "$failures failure(s); screenshots in $out"
  exit 1
fi
echo "PASS; screenshots in $out"
