#!/bin/bash
# The window with the panels of Xfce and LXQt, each on a private session bus, where their trays
# are StatusNotifier hosts: a click on the icon brings the window back, a right click opens the
# icon's menu. (Neither panel's tray works without a bus; the XEmbed tray is tint2's, in
# desktop_test.sh.) Also: the docked place with a panel at the bottom, the right or the top; the
# window above a raised normal window; and the window back on screen when the tray goes away while
# it is hidden.
# Usage: panels_test.sh LPTSPOOL_BINARY
set -u
program=$1

source "$(dirname "$0")/desktop_lib.sh"
source "$(dirname "$0")/panel_lib.sh"
need_tools Xvfb openbox xdotool xprop xwininfo xmessage xfce4-panel lxqt-panel dbus-daemon gdbus
start_x

# Where the window docks: the work area's bottom-right corner.
docked() {
  local l t r b
  read -r l t r b <<<"$(work_area)"
  echo "$((r - 130)) $((b - 130))"
}
# The first icon of the panel, where the tray is the only plugin: at the left end of a panel at
# the bottom, at the top end of one on the right.
icon_slot() {
  local l t r b
  read -r l t r b <<<"$(work_area)"
  if ((r < 1024)); then echo "$(((r + 1024) / 2)) 14"; else echo "14 $(((b + 768) / 2))"; fi
}
visible_windows() { xdotool search --onlyvisible --maxdepth 1 '' 2>/dev/null | sort; }
# menu_choose X Y FRACTION: right click at X,Y, then click the item at FRACTION (in quarters) of
# the height of the menu that opened.
menu_choose() {
  local before menu x y w h
  before=$(visible_windows)
  xdotool mousemove --sync "$1" "$2" click 3
  for _ in $(seq 40); do
    for menu in $(comm -13 <(echo "$before") <(visible_windows)); do
      read -r x y w h _ <<<"$(geometry "$menu")"
      if ((h >= 30 && h <= 200)); then
        click_at $((x + w / 2)) $((y + h * $3 / 4))
        return 0
      fi
    done
    sleep 0.05
  done
  return 1
}
on_top() {  # the window is stacked above the normal window $1
  local stacking ours theirs
  stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | cut -d'#' -f2)
  ours=$(printf '0x%x' "$(main_window)") theirs=$(printf '0x%x' "$1")
  [[ "$stacking" == *"$theirs"*"$ours"* ]]
}

# with_panel NAME START ARGS...: a bus and the panel, then the program, docked in the work area's
# corner at dx,dy.
with_panel() {
  echo "--- $1"
  shift
  start_bus
  "$@" || fail "$1 did not reserve its panel"
  start_program
  read -r dx dy <<<"$(docked)"
  wait_for 10 window_at "$dx" "$dy" || fail "the window should dock at $dx,$dy, not at $(place)"
}
end_panel() {
  stop_program
  end_desktop
}
# hide_to_icon X Y: "-" on the window at X,Y, until the panel shows the new item.
hide_to_icon() {
  press_minus "$1" "$2"
  wait_for 5 window_hidden || fail "\"-\" should hide the window"
  wait_for 5 sni_item_shown || fail "\"-\" should register the icon with the tray"
  sleep 0.5 # the panel draws the new item
}
# click_icon_back X Y: a click on the icon brings the window back at X,Y.
click_icon_back() {
  click_at $(icon_slot)
  wait_for 5 window_at "$1" "$2" || fail "a click on the icon should bring the window back at $1,$2, not $(place)"
}

with_panel "xfce4-panel at the bottom, StatusNotifier tray" start_xfce p=8
drag_strip "$dx" "$dy" 500 300
wait_for 5 window_at 500 300 || fail "the drag should put the window at 500,300, not $(place)"
hide_to_icon 500 300
click_icon_back 500 300
wait_for 5 sni_item_gone || fail "back from the tray, the icon should be gone: $(sni_items)"
hide_to_icon 500 300
menu_choose $(icon_slot) 3 || fail "a right click on the icon should open its menu"
wait_for 10 window_at "$dx" "$dy" || fail "\"Till hörnet\" should show the window and slide it home, it is at $(place)"
xmessage -geometry 300x200+800+500 "a normal window" 2>/dev/null &
xmessage_pid=$!
pids+=("$xmessage_pid")
normal=
wait_for 5 bash -c "xdotool search --onlyvisible --class Xmessage >/dev/null" &&
  normal=$(xdotool search --onlyvisible --class Xmessage | head -n1)
xdotool windowactivate --sync "$normal" windowraise "$normal" 2>/dev/null
sleep 0.3
on_top "$normal" || fail "the window should stay above a raised normal window"
kill "$xmessage_pid"
press_minus "$dx" "$dy"
wait_for 5 window_hidden || fail "\"-\" should hide the window again"
kill "$panel_pid"
wait_for 5 window_shown || fail "when the tray goes away, the hidden window should come back"
end_panel

# lxqt's bottom edge is tint2's and xfce's: this one stands on the right.
with_panel "lxqt-panel on the right, StatusNotifier tray" start_lxqt Right
((dx < 894)) || fail "the work area should end left of the panel: $(work_area)"
hide_to_icon "$dx" "$dy"
menu_choose $(icon_slot) 1 || fail "a right click on the icon should open its menu"
wait_for 5 window_at "$dx" "$dy" || fail "\"Visa fönstret\" should bring the window back, it is at $(place)"
wait_for 5 sni_item_gone || fail "\"Visa fönstret\" should remove the icon: $(sni_items)"
hide_to_icon "$dx" "$dy"
click_icon_back "$dx" "$dy"
end_panel

# A panel at the top leaves the bottom corner where it is.
with_panel "lxqt-panel at the top" start_lxqt Top
((dx == 894 && dy == 638)) || fail "with a panel at the top the window should dock at 894,638: $(work_area)"
end_panel

finish
