# Shared by the desktop tests that need a panel with a StatusNotifier tray: a private session bus
# and xfce4-panel or lxqt-panel on it. Sourced after desktop_lib.sh, whose `pids` end them.

# A private session bus, ended by its PID with the panel.
bus_pid=
start_bus() {
  dbus-daemon --session --fork --print-address=4 --print-pid=5 4>"$work/bus" 5>"$work/bus.pid"
  bus_pid=$(head -n1 "$work/bus.pid")
  pids+=("$bus_pid")
  export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
}
panel_pid=
panel_log=0
start_xfce() {  # start_xfce POSITION: xfconf's panel position string, e.g. p=8 (bottom)
  local config=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
  mkdir -p "$config"
  cat >"$config/xfce4-panel.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="$1;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
  run_panel xfce4-panel
  local reserved=$? xfconfd
  # xfconfd is started by the bus for the panel; it is ours to end too.
  xfconfd=$(gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.GetConnectionUnixProcessID org.xfce.Xfconf 2>/dev/null |
    tr -dc '0-9 ' | awk '{print $NF}')
  [[ -z $xfconfd ]] || pids+=("$xfconfd")
  return $reserved
}
start_lxqt() {  # start_lxqt Bottom|Top|Right
  mkdir -p "$XDG_CONFIG_HOME/lxqt"
  printf '[panel1]\nplugins=statusnotifier, tray\nposition=%s\npanelSize=30\niconSize=22\n%s\n' \
    "$1" '[statusnotifier]
type=statusnotifier
[tray]
type=tray' >"$XDG_CONFIG_HOME/lxqt/panel.conf"
  run_panel lxqt-panel
}
run_panel() {
  panel_log=$((panel_log + 1))
  "$1" >"$work/panel$panel_log.log" 2>&1 &
  panel_pid=$!
  pids+=("$panel_pid")
  wait_for 15 panel_reserved
}
# Reserved its edge and, with a bus, hosts StatusNotifier items: Qt chooses the tray protocol once,
# at the program's first icon.
panel_reserved() {
  [[ "$(work_area)" != "0 0 1024 768" ]] || return 1
  [[ -z $bus_pid ]] || gdbus call --session -d org.kde.StatusNotifierWatcher \
    -o /StatusNotifierWatcher -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
    IsStatusNotifierHostRegistered 2>/dev/null | grep -q true
}
# Ends the panel and the bus, then waits for the work area to be whole again.
end_desktop() {
  kill "$panel_pid" 2>/dev/null
  wait "$panel_pid" 2>/dev/null
  if [[ -n $bus_pid ]]; then
    kill "$bus_pid" 2>/dev/null
    wait_for 5 bash -c "! kill -0 $bus_pid 2>/dev/null"
  fi
  bus_pid=
  export DBUS_SESSION_BUS_ADDRESS=$no_bus
  wait_for 10 bash -c '[[ "$(xprop -root _NET_WORKAREA)" == *"= 0, 0, 1024, 768"* ]]'
}

sni_items() {
  gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
    RegisteredStatusNotifierItems 2>/dev/null
}
sni_item_shown() { [[ "$(sni_items)" == *StatusNotifierItem* ]]; }
sni_item_gone() { ! sni_item_shown; }
# The end of a panel test: PASS, or the failures with the last lines of every log. finish NOTE
# adds NOTE (where the screenshots went) to either.
finish() {
  if ((failures)); then
    local log
    for log in "$work"/*.log; do
      echo "--- $(basename "$log")"
      tail -n 20 "$log"
    done
    echo "$failures failure(s)${1:+; $1}"
    exit 1
  fi
  echo "PASS${1:+; $1}"
}
