#!/bin/bash
# The window as a person meets it on a desktop with a bottom panel and a tray (1024 x 768, 96 dpi,
# openbox, tint2's XEmbed tray, no session bus), driven with xdotool. First without a panel (the
# window docks on the screen's bottom, "-" keeps it visible without a tray, and it moves up when the
# panel appears), then with one: its place, "-" and the tray icon, a drag, a double click on the
# strip, the tray going away while the window is hidden, and SIGTERM.
# Usage: desktop_test.sh LPTSPOOL_BINARY OUTPUT_FOLDER  (screenshots go to the output folder)
set -u
program=$1
out=$2

source "$(dirname "$0")/desktop_lib.sh"
need_tools Xvfb openbox tint2 xdotool xprop xwininfo import
start_x

echo "--- without a panel"
start_program
wait_for 10 window_at 894 638 || fail "without a panel the window should sit on the screen's bottom at 894,638, not at $(place)"
press_minus 894 638  # there is no tray to hide into
sleep 0.5
window_at 894 638 || fail "without a tray, \"-\" must leave the window visible"
start_tint2 || fail "tint2 did not reserve its panel"
wait_for 10 window_at 894 608 || fail "the window should follow the panel to 894,608, not stay at $(place)"
stop_program

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
drag_strip 894 608 694 458
wait_for 5 window_at 694 458 || fail "after a drag of -200,-150 the window should be at 694,458, not $(place)"

echo "--- \"-\" and the tray icon"
press_minus 694 458
wait_for 5 window_hidden || fail "\"-\" should hide the window"
wait_for 5 has_tray_icon || fail "\"-\" should put the icon into the tray"
sleep 0.5  # the icon's place is known once it is embedded
echo "tray icon at $(icon_centre), $(xprop -id "$(tray_icon)" WM_NAME 2>/dev/null)"
import -window root "$out/desktop-tray.png"
click_at $(icon_centre)
sleep 0.5
window_hidden || fail "a single click on the icon should do nothing"
click_at $(icon_centre) 2
wait_for 5 window_at 694 458 || fail "a double click on the icon should bring the window back at 694,458, not $(place)"
wait_for 5 no_tray_icon || fail "a double click on the icon should remove it"
states=$(xprop -id "$(main_window)" _NET_WM_STATE)
[[ $states == *_NET_WM_STATE_ABOVE* ]] || fail "back from the tray, the window is not on top: $states"

echo "--- double click on the strip"
click_at $((694 + 40)) $((458 + 8)) 2
wait_for 10 window_at 894 608 || fail "a double click on the strip should slide the window home, it is at $(place)"

echo "--- right click on the icon"
xdotool mousemove --sync $((894 + 40)) $((608 + 8)) mousedown 1 mousemove --sync 500 300 mouseup 1
press_minus 460 292
wait_for 5 has_tray_icon || fail "\"-\" should put the icon into the tray again"
sleep 0.5
xdotool mousemove --sync $(icon_centre) click 3
wait_for 10 window_at 894 608 || fail "a right click on the icon should show the window and slide it home, it is at $(place)"
import -window root "$out/desktop-end.png"

echo "--- the tray goes away while the window is hidden"
press_minus 894 608
wait_for 5 window_hidden || fail "\"-\" should hide the window behind the icon still there"
kill "$tint2_pid"
wait_for 5 window_at 894 638 || fail "without its tray the window should come back, docked on the screen's bottom, not $(place)"

stop_program

if ((failures)); then
  echo "--- lptspool.log"
  cat "$work/lptspool.log"
  echo "$failures failure(s); screenshots in $out"
  exit 1
fi
echo "PASS; screenshots in $out"
