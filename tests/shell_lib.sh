# Helpers for the test scripts: failing with a message, and waiting for a condition with a
# deadline (never a fixed sleep as a test's verdict).
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# wait_for SECONDS COMMAND...: true as soon as the command succeeds.
wait_for() {
  limit=$1
  shift
  end=$(($(date +%s) + limit))
  while [ "$(date +%s)" -le "$end" ]; do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}
