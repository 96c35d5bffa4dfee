# Shared by the reliability scripts: a private temporary tree, several servers at once, jobs whose
# bytes say which job they are, and the tally of what came out of the printer against what was
# dropped. Source it with the folder of lptspool as $1.
set -eu
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d /tmp/lptrel.XXXXXX)
chmod 755 "$tmp"
# Command sinks take turns on a lock file named after the command; a private folder keeps tests
# running side by side from queueing behind each other.
XDG_RUNTIME_DIR=$tmp/run
export XDG_RUNTIME_DIR
mkdir -m 700 "$XDG_RUNTIME_DIR"
: >"$tmp/pids"
cupsd_pid=""

# Launchers run detached in their own sessions: they are found by their working folder.
our_launchers() {
  for p in /proc/[0-9]*; do
    cwd=$(readlink "$p/cwd" 2>/dev/null) || continue
    case "$cwd" in "$tmp"/*) [ "$(cat "$p/comm" 2>/dev/null)" = lptspool-launch ] && echo "${p#/proc/}" ;; esac
  done
  return 0
}
cleanup() {
  set +e
  for pid in $(cat "$tmp/pids"); do kill "$pid" 2>/dev/null; done
  for pid in $(our_launchers); do kill -9 "$pid" 2>/dev/null; done
  [ -n "$cupsd_pid" ] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null
  chmod -R u+w "$tmp" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
. "$(dirname "$0")/../shell_lib.sh"

# start_server NAME SPOOL [VAR=VALUE...]: the real server, headless, with extra environment;
# its PID is left in $tmp/NAME.pid. It runs from $server_bin when that is set.
start_server() {
  name=$1
  spool=$2
  shift 2
  env -u DISPLAY -u WAYLAND_DISPLAY "$@" "${server_bin:-$bin}/lptspool" "PRINTINGDIR=$spool" \
    2>>"$tmp/$name.err" &
  echo $! >"$tmp/$name.pid"
  echo $! >>"$tmp/pids"
}
stop_server() {
  pid=$(cat "$tmp/$1.pid")
  kill -TERM "$pid" 2>/dev/null || true
  wait_for 30 not_running "$pid" || fail "server $1 did not stop"
}
not_running() { ! kill -0 "$1" 2>/dev/null; }

# make_job SRC ID SPOOL NAME [LINES]: a job whose first and last lines name it, with a line of
# bytes a printer path might mangle, kept in SRC/ID and dropped whole into SPOOL as NAME.
job_bytes() {
  printf 'LPTJOB %s\n\r\032\033E\t\377\200 %s\r\n' "$1" "$1"
  head -c "$((${2:-20} * 57))" /dev/urandom | base64
  printf 'END %s\n' "$1"
}
make_job() {
  job_bytes "$2" "${5:-20}" >"$1/$2"
  cp "$1/$2" "$3/.incoming.$2"
  mv "$3/.incoming.$2" "$3/$4"
}

# spool_jobs SPOOL: the number of .ps jobs left in the folder (ordinary files only).
spool_jobs() { find "$1" -maxdepth 1 -type f -iname '*.ps' | wc -l; }
spool_drained() { [ "$(spool_jobs "$1")" -eq 0 ]; }
# out_count DIR: printed files in a capture folder.
out_count() { find "$1" -maxdepth 1 -type f ! -name '.*' | wc -l; }

# tally NAME SRC OUTPUT...: splits what was printed (files or folders of files) into jobs, holds
# each against the job dropped, writes the figures line and fails on a lost, doubled or half job.
# With TALLY_AT_LEAST_ONCE=1 a job printed twice is allowed (and still counted).
tally() {
  name=$1
  src=$2
  shift 2
  blocks="$tmp/blocks.$name"
  rm -rf "$blocks"
  mkdir -p "$blocks"
  # Each printed file on its own: a job cut short in one file must not swallow the next file.
  for out in "$@"; do
    if [ -d "$out" ]; then find "$out" -maxdepth 1 -type f ! -name '.*'; else echo "$out"; fi
  done | LC_ALL=C awk -v dir="$blocks" '
    function take(line) {
      if (line ~ /^LPTJOB /) {
        if (cur != "") close(f)  # cut short: its block differs from the job
        split(line, w, " "); cur = w[2]; n[cur]++; f = dir "/" cur "." n[cur]; print line > f
      } else if (line ~ /^END /) {
        split(line, w, " ")
        if (cur != "" && w[2] == cur) { print line > f; close(f); cur = "" } else stray++
      } else if (cur != "") print line > f
      else stray++
    }
    { while ((getline line < $0) > 0) take(line); close($0); if (cur != "") close(f); cur = "" }
    END { print stray + 0 > (dir "/.stray") }'
  dropped=0 once=0 lost=0 doubled=0 half=0
  for job in "$src"/*; do
    id=$(basename "$job")
    dropped=$((dropped + 1))
    whole=0
    for b in "$blocks/$id".*; do
      [ -e "$b" ] || continue
      if cmp -s "$b" "$job"; then whole=$((whole + 1)); else half=$((half + 1)); fi
    done
    case $whole in 0) lost=$((lost + 1)) ;; 1) once=$((once + 1)) ;; *) doubled=$((doubled + 1)) ;; esac
  done
  [ "$(cat "$blocks/.stray")" -eq 0 ] || half=$((half + 1))
  line="$name: dropped $dropped, printed once $once, lost $lost, doubled $doubled, half $half"
  echo "FIGURES $line"
  [ "$lost" -eq 0 ] && [ "$half" -eq 0 ] || fail "$line"
  [ "$doubled" -eq 0 ] || [ "${TALLY_AT_LEAST_ONCE:-0}" = 1 ] || fail "$line"
}

# run_scenarios NAME...: runs the functions side by side (the server's tick is slow, so waits
# overlap) and fails when any of them failed. ONLY="NAME..." runs just those.
run_scenarios() {
  [ -z "${ONLY:-}" ] || set -- $ONLY
  for s in "$@"; do
    ("$s") >"$tmp/$s.log" 2>&1 &
    echo $! >"$tmp/$s.job"
  done
  failed=""
  for s in "$@"; do
    wait "$(cat "$tmp/$s.job")" || failed="$failed $s"
    cat "$tmp/$s.log"
  done
  [ -z "$failed" ] || fail "scenarios failed:$failed"
}
