#!/bin/sh
# leftovers.sh COMMAND...: runs the test run and fails when it leaves something behind: a process
# it started that is still alive, or a file in /tmp, /dev/shm or ~/.cache/lptspool. As root the
# run gets an empty /tmp, /dev/shm and ~/.cache/lptspool of its own, so what is there afterwards
# is the run's, however busy the machine; otherwise what appeared in them meanwhile counts, except
# the socket folders the machine's X and Wine servers make once and keep.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${LPTSPOOL_LEFTOVERS_INNER:-0}" = 0 ] && [ "$(id -u)" -eq 0 ]; then
  case "$root/" in /dev/shm/*) ;; # the tree itself would be hidden
  *)
    # A network namespace of its own, too: X and D-Bus find their servers by abstract socket
    # names, which a private /tmp does not keep apart from other test runs on the machine.
    if command -v ip >/dev/null && unshare --mount --net --propagation private true 2>/dev/null; then
      LPTSPOOL_LEFTOVERS_INNER=1 exec unshare --mount --net --propagation private sh "$0" "$@"
    fi
    ;;
  esac
fi
if [ "${LPTSPOOL_LEFTOVERS_INNER:-0}" = 1 ]; then
  ip link set lo up
  mount -t tmpfs -o mode=1777 lptspool-test-shm /dev/shm
  case "$root/" in
  /tmp/*)
    # A tree cloned under /tmp stays where it is: it is kept aside on /dev/shm while /tmp is
    # replaced, then bound back to its own path.
    mkdir /dev/shm/tree
    mount --bind "$root" /dev/shm/tree
    mount -t tmpfs -o mode=1777 lptspool-test-tmp /tmp
    mkdir -p "$root"
    mount --bind /dev/shm/tree "$root"
    umount /dev/shm/tree
    rmdir /dev/shm/tree
    ;;
  *) mount -t tmpfs -o mode=1777 lptspool-test-tmp /tmp ;;
  esac
  # The X servers' socket folders, which a machine's /tmp always has.
  mkdir -m 1777 /tmp/.X11-unix /tmp/.ICE-unix
  # Where the programs keep their private folders when they have no runtime folder.
  cache=${HOME:-/nonexistent}/.cache/lptspool
  [ ! -d "$cache" ] || mount -t tmpfs -o mode=700 lptspool-test-cache "$cache"
fi

# Every process the run starts inherits this; one still carrying it afterwards was left behind.
token="lptspool-test-$$-$(date +%s%N)"
LPTSPOOL_TEST_RUN=$token
# The programs' private folders go into a runtime folder of the run's own.
XDG_RUNTIME_DIR=$(mktemp -d /tmp/lptspool-test-runtime.XXXXXX)
export LPTSPOOL_TEST_RUN XDG_RUNTIME_DIR
runtime=$XDG_RUNTIME_DIR

# The X servers' socket folders and Wine's server folder come with the first server the machine
# starts and stay for good: not the run's leftovers.
snapshot() {
  find /tmp /dev/shm -mindepth 1 -maxdepth 1 ! -path "$runtime" \
    ! \( -type d \( -name .X11-unix -o -name .ICE-unix -o -name .XIM-unix -o -name .font-unix \
    -o -name .Test-unix -o -name ".wine-$(id -u)" \) \)
  find "${HOME:-/nonexistent}/.cache/lptspool" 2>/dev/null || true
}
before=$(snapshot)
status=0
"$@" || status=$?
unset LPTSPOOL_TEST_RUN

ours() {
  for p in /proc/[0-9]*; do
    grep -qzx "LPTSPOOL_TEST_RUN=$token" "$p/environ" 2>/dev/null && echo "${p#/proc/}"
  done
  return 0
}
# Launchers may still be finishing a job the moment the run ends.
end=$(($(date +%s) + 15))
while [ -n "$(ours)" ] && [ "$(date +%s)" -lt "$end" ]; do sleep 0.5; done
left=$(ours)
if [ -n "$left" ]; then
  echo "leftovers: processes the tests started are still running:" >&2
  # shellcheck disable=SC2086
  ps -o pid,ppid,etime,args -p "$(echo $left | tr ' ' ,)" >&2 || true
  for pid in $left; do kill "$pid" 2>/dev/null || true; done
  sleep 1
  for pid in $left; do kill -9 "$pid" 2>/dev/null || true; done
  status=1
fi

rm -rf "$runtime"
new=$(snapshot | BEFORE=$before awk '
  BEGIN { n = split(ENVIRON["BEFORE"], old, "\n"); for (i = 1; i <= n; i++) seen[old[i]] = 1 }
  !($0 in seen)')
if [ -n "$new" ]; then
  echo "leftovers: files the tests left behind:" >&2
  printf '%s\n' "$new" | sed 's/^/  /' >&2
  status=1
fi
exit "$status"
