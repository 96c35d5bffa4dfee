# Shared by the desktop tests, on Linux and under Wine: a private X session (Xvfb 1024 x 768 at
# 96 dpi and openbox, tint2 on request), the program started in it, and looking at its windows
# with xdotool and xwininfo. Every process started here is recorded in `pids` and ended by its
# PID; the work folder goes at the end. The sourcing script sets `lptspool_pid` (start_program does
# with `program`) and may define `stop_others`, run once every process was told to end.

need_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed (scripts/install-deps --test)"
      exit 77
    fi
  done
}

work=$(mktemp -d "${TMPDIR:-/tmp}/lptspool-desktop-XXXXXX")
pids=()
failures=0
stop_others() { :; }
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  stop_others
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do wait "${pids[i]}" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
die() {
  echo "FAIL: $*"
  exit 1
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

# A private session: its own display, HOME and runtime folder; no D-Bus unless a test starts one.
# The bus address names a socket that does not exist, so that no library starts a bus of its own
# (dbus-launch's autolaunch) that would outlive the test.
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/spool"
chmod 700 "$XDG_RUNTIME_DIR"
no_bus=unix:path=$work/no-bus
export DBUS_SESSION_BUS_ADDRESS=$no_bus
unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR SESSION_MANAGER
export LANG=C.UTF-8 NO_AT_BRIDGE=1

# The display must take connections before openbox starts, or openbox gives up.
start_x() {
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  exec 3>&-
  wait_for 10 test -s "$work/display" || die "Xvfb did not start"
  export DISPLAY=:$(head -n1 "$work/display")
  echo "display $DISPLAY"
  wait_for 10 bash -c 'xprop -root >/dev/null 2>&1' || die "Xvfb does not take connections"
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  wait_for 30 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    die "openbox did not start: $(cat "$work/openbox.log")"
}
# tint2's panel at the bottom with its XEmbed tray, 30 pixels high.
start_tint2() {
  cp /etc/xdg/tint2/tint2rc "$work/tint2rc"
  tint2 -c "$work/tint2rc" >"$work/tint2.log" 2>&1 &
  tint2_pid=$!
  pids+=("$tint2_pid")
  wait_for 15 bash -c 'xprop -root _NET_WORKAREA 2>/dev/null | grep -q "= 0, 0, 1024, 738"'
}

# The work area as "LEFT TOP RIGHT BOTTOM" (right and bottom exclusive).
work_area() {
  xprop -root _NET_WORKAREA 2>/dev/null | tr -d ',' | awk '{print $3, $4, $3 + $5, $4 + $6}'
}

lptspool_pid=
start_program() {
  "$program" "PRINTINGDIR=$work/spool" >>"$work/lptspool.log" 2>&1 &
  lptspool_pid=$!
  pids+=("$lptspool_pid")
}
stop_program() {
  kill -TERM "$lptspool_pid"
  wait "$lptspool_pid"
  local status=$?
  [[ $status == 0 ]] || fail "SIGTERM should end the program cleanly, exit status $status"
}

# The program's window: the one of its windows (named $window_name, if set) 130 pixels wide.
window_name=
main_window() {
  local w
  for w in $(xdotool search --pid "$lptspool_pid" ${window_name:+--name "$window_name"} 2>/dev/null); do
    if xwininfo -id "$w" 2>/dev/null | grep -q 'Width: 130$'; then
      echo "$w"
      return 0
    fi
  done
  return 1
}
# "X Y W H VIEWABLE(0/1)" of a window.
geometry() {
  [[ -n $1 ]] || return 1
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} /Map State/ {v=($3=="IsViewable")}
    END {print x, y, w, h, v}'
}
# window_at X Y: the window is viewable there, 130 x 130.
window_at() { local w; w=$(main_window) && [[ "$(geometry "$w")" == "$1 $2 130 130 1" ]]; }
window_hidden() { local w; w=$(main_window) && [[ "$(geometry "$w")" == *" 0" ]]; }
window_shown() { local w; w=$(main_window) && [[ "$(geometry "$w")" == *" 1" ]]; }
click_at() { xdotool mousemove --sync "$1" "$2" click --repeat "${3:-1}" --delay 80 1; }  # X Y [N]
place() { local w; w=$(main_window) && geometry "$w" | cut -d' ' -f1,2; }
# drag_strip X Y TO_X TO_Y: drags the window whose top-left is X,Y by its strip.
drag_strip() {
  local step
  xdotool mousemove --sync $(($1 + 40)) $(($2 + 8)) mousedown 1
  for step in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove --sync $(($1 + 40 + ($3 - $1) * step / 10)) $(($2 + 8 + ($4 - $2) * step / 10))
  done
  xdotool mouseup 1
}
# press_minus X Y: the "-" button of the window whose top-left is X,Y.
press_minus() { click_at $(($1 + 120)) $(($2 + 9)); }

# The tray icon on tint2: a small viewable window among tray_candidates, embedded in the panel.
tray_candidates() { xdotool search --pid "$lptspool_pid" 2>/dev/null; }
tray_icon() {
  local w x y wd ht v
  for w in $(tray_candidates); do
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
icon_centre() {  # "X Y" of the tray icon's middle
  local x y w h
  read -r x y w h _ <<<"$(geometry "$(tray_icon)")"
  echo "$((x + w / 2)) $((y + h / 2))"
}
