# A private CUPS: its own tree, a socket in it, raw queues whose capture backend writes each job
# whole to its own file job-<id>.prn. Nothing system-wide is touched. Sourced after common.sh.
start_cups() {
  tree=$tmp/cups
  command -v cupsd >/dev/null && command -v lpadmin >/dev/null ||
    fail "CUPS is not installed (cups-daemon, cups-client): run scripts/install-deps --test"
  [ "$(id -u)" -eq 0 ] || fail "the private cupsd runs its capture backend as root: run as root"
  mkdir -p "$tree/etc" "$tree/spool/tmp" "$tree/cache" "$tree/state" "$tree/log" "$tree/run" \
    "$tree/bin/backend"
  ln -s /usr/lib/cups/daemon "$tree/bin/daemon"
  ln -s /usr/lib/cups/notifier "$tree/bin/notifier"
  cat >"$tree/etc/cupsd.conf" <<CONF
Listen $tree/run/cups.sock
Browsing No
WebInterface No
DefaultAuthType None
LogLevel warn
MaxJobs 0
PreserveJobHistory No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$tree/etc/cups-files.conf" <<CONF
ServerRoot $tree/etc
RequestRoot $tree/spool
TempDir $tree/spool/tmp
CacheDir $tree/cache
StateDir $tree/state
ServerBin $tree/bin
DataDir /usr/share/cups
AccessLog $tree/log/access_log
ErrorLog $tree/log/error_log
PageLog $tree/log/page_log
CONF
  # Mode 0700 and owned by root: cupsd runs it as root instead of as lp.
  cat >"$tree/bin/backend/capture" <<'BACKEND'
#!/bin/sh
umask 022
if [ $# -eq 0 ]; then
  echo 'direct capture "Unknown" "Capture backend for tests"'
  exit 0
fi
dir=${DEVICE_URI#capture:}
part="$dir/.job-$1.tmp"
if [ $# -ge 6 ]; then cat "$6" >"$part"; else cat >"$part"; fi || exit 1
mv "$part" "$dir/job-$1.prn"
BACKEND
  chown root:root "$tree/bin/backend/capture"
  chmod 0700 "$tree/bin/backend/capture"
  setsid cupsd -f -c "$tree/etc/cupsd.conf" -s "$tree/etc/cups-files.conf" \
    </dev/null >"$tree/log/cupsd.out" 2>&1 &
  cupsd_pid=$!
  CUPS_SERVER=$tree/run/cups.sock
  export CUPS_SERVER
  wait_for 30 cups_running ||
    fail "the private cupsd did not start: $(cat "$tree/log/cupsd.out" "$tree/log/error_log" 2>/dev/null)"
}
cups_running() { lpstat -r 2>/dev/null | grep -q "is running"; }
# add_queue NAME CAPTURE_DIR: a raw queue printing into the folder.
add_queue() {
  mkdir -p "$2"
  lpadmin -p "$1" -E -v "capture:$2" -m raw 2>/dev/null ||
    fail "lpadmin could not add queue $1: $(cat "$tmp/cups/log/error_log" 2>/dev/null)"
}
# queue_idle NAME: no job of the queue is waiting or printing.
queue_idle() { [ -z "$(lpstat -o "$1" 2>/dev/null)" ]; }
