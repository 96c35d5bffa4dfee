# Shared by the end-to-end scripts: a private temporary tree, the server started headless, and
# waiting for a condition with a deadline (never a fixed sleep as the test's verdict).
set -eu
bin=$1
tmp=$(mktemp -d /tmp/lptspool-e2e.XXXXXX)
# Job states and locks of the server and its launchers stay in the test's tree.
mkdir -m 700 "$tmp/run"
export XDG_RUNTIME_DIR="$tmp/run"
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  chmod -R u+w "$tmp" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
. "$(dirname "$0")/../shell_lib.sh"
start_server() {
  env -u DISPLAY -u WAYLAND_DISPLAY "$bin/lptspool" "$@" 2>"$tmp/server.err" &
  server_pid=$!
}
stop_server() {
  kill -TERM "$server_pid"
  status=0
  wait "$server_pid" || status=$?
  server_pid=""
  [ "$status" -eq 0 ] || fail "server ended with status $status on SIGTERM"
}
