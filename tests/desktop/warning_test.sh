#!/bin/bash
# A printer that fails, as the user sees it without opening the list: on tint2's XEmbed tray the
# status button turns to its warning colour and back once a job prints again; on xfce4-panel's
# StatusNotifier tray, with the window hidden, the icon's tooltip names the cause and the session's
# notification service is asked once, not once a tick. Screenshots of the warning and of the
# document list go to the output folder.
# Usage: warning_test.sh LPTSPOOL_BINARY OUTPUT_FOLDER
set -u
program=$1
out=$2

source "$(dirname "$0")/desktop_lib.sh"
source "$(dirname "$0")/panel_lib.sh"
need_tools Xvfb openbox tint2 xdotool xprop xwininfo import convert xfce4-panel dbus-daemon \
  dbus-monitor gdbus
start_x

# The printer is a folder (made when missing) that a file stands in for while it fails.
export LPT1=$work/out/
warning_pixels() {  # pixels of the status button's warning colour in the window
  import -window "$(main_window)" "$work/window.png" 2>/dev/null &&
    convert "$work/window.png" -fill black +opaque '#ffd75e' -fill white -opaque '#ffd75e' \
      -format '%[fx:round(mean*w*h)]' info:
}
warned() { (($(warning_pixels || echo 0) > 1000)); }
calm() { (($(warning_pixels || echo 9999) == 0)); }

echo "--- tint2: the status button warns while the printer fails"
start_tint2 || fail "tint2 did not reserve its panel"
start_program
wait_for 10 window_at 894 608 || fail "the window should dock at 894,608, not at $(place)"
sleep 1
calm || fail "with a working printer the window should show no warning"
touch "$work/out.tmp"
mv -T "$work/out.tmp" "$work/out" 2>/dev/null || { rm -r "$work/out" && mv "$work/out.tmp" "$work/out"; }
printf '%%!PS\nshowpage\n' >"$work/spool/REPORT.PS"
wait_for 30 warned || fail "a failing printer should turn the status button to its warning colour"
sleep 2 # past the tick's "Vänta..."
import -window root -crop 400x260+624+508 "$out/window-warning.png"
click_at $((894 + 60)) $((608 + 100))
list_window() {  # the program's visible window wider than its own
  local w
  for w in $(xdotool search --onlyvisible --pid "$lptspool_pid" 2>/dev/null); do
    (($(geometry "$w" | cut -d' ' -f3) > 200)) && echo "$w" && return 0
  done
  return 1
}
list=
wait_for 10 list_window >/dev/null && list=$(list_window)
[[ -n $list ]] || fail "the status button should open the document list"
if [[ -n $list ]]; then
  sleep 1.5 # the list fills itself within a second
  import -window "$list" "$out/document-list.png"
  xdotool windowunmap "$list"
fi
rm "$work/out"
wait_for 40 calm || fail "the warning should go once the printer takes the job"
[[ -n "$(ls "$work/out")" ]] || fail "the job should reach the printer once its folder is back"
stop_program
panel_pid=$tint2_pid
end_desktop

echo "--- xfce4-panel: the hidden window's icon and one notification"
start_bus
dbus-monitor "interface='org.freedesktop.Notifications',member='Notify'" >"$work/notices" 2>&1 &
pids+=($!)
start_xfce p=8 || fail "xfce4-panel did not reserve its panel"
rm -r "$work/out" && touch "$work/out"
start_program
read -r l t r b <<<"$(work_area)"
wait_for 10 window_at $((r - 130)) $((b - 130)) || fail "the window should dock above the panel, not at $(place)"
press_minus $((r - 130)) $((b - 130))
wait_for 5 window_hidden || fail "\"-\" should hide the window"
wait_for 5 sni_item_shown || fail "\"-\" should register the icon with the tray"
printf '%%!PS\nshowpage\n' >"$work/spool/LETTER.PS"
notices() { grep -c 'member=Notify' "$work/notices"; }
wait_for 30 bash -c "(( \$(grep -c 'member=Notify' '$work/notices') >= 1 ))" ||
  fail "a hidden window's failing printer should reach the notification service"
item=$(sni_items | grep -o "'[^']*StatusNotifierItem'" | head -n1 | tr -d "'")
tip=$(gdbus call --session -d "${item%%/*}" -o "/${item#*/}" \
  -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem ToolTip 2>&1)
[[ $tip == *"Skrivaren fungerar inte"* ]] || fail "the icon's tooltip should name the cause: $tip"
sleep 16 # two ticks more of the same failure
(($(notices) == 1)) || fail "one failure should give one notification, not $(notices)"
grep -A6 'member=Notify' "$work/notices" | head -n 8
stop_program
end_desktop

finish "screenshots in $out"
