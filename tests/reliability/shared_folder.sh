#!/bin/sh
# A shared spool folder (mode 1777): the server runs as one user, another user drops files into
# the folder and tries to make the server print, delete or run what it must not, or to stop it
# printing. Each scenario asserts what the other user achieved.
. "$(dirname "$0")/common.sh"

[ "$(id -u)" -eq 0 ] || fail "needs root, to run the server and the other user as themselves"
server_uid=4711
other_uid=4712
as_server() { setpriv --reuid=$server_uid --regid=$server_uid --clear-groups "$@"; }
as_other() { setpriv --reuid=$other_uid --regid=$other_uid --clear-groups "$@"; }

# A scenario's tree: a 1777 spool folder, and the server user's home, private folder and printer
# folder. A printer that is a folder prints each job as a file there.
setup_tree() {
  d=$tmp/$1
  mkdir -p "$d/spool" "$d/src" "$d/home" "$d/run" "$d/out" "$d/marks"
  chmod 1777 "$d/spool" "$d/marks"
  chmod 700 "$d/run"
  chmod 755 "$d/out" "$d/home"
  chown $server_uid:$server_uid "$d/home" "$d/run" "$d/out"
}
# start_server_as NAME [VAR=VALUE...]: the real server as the server user on $d/spool.
start_server_as() {
  name=$1
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$d/home" XDG_RUNTIME_DIR="$d/run" LPT1="$d/out" "$@" \
    setpriv --reuid=$server_uid --regid=$server_uid --clear-groups \
    "$bin/lptspool" "PRINTINGDIR=$d/spool" 2>>"$tmp/$name.err" &
  echo $! >"$tmp/$name.pid"
  echo $! >>"$tmp/pids"
}
# ticks_pass ID: two more ticks have run: a job dropped after the last one printed, twice.
ticks_pass() {
  for i in 1 2; do
    drop_as as_server "$1.$i" "$1$i.PS"
    wait_for 30 printed_once "$1.$i" || fail "$1: the server stopped printing its own jobs"
  done
}
# drop_as USER_RUN ID NAME: a job made by the given user (as_server or as_other).
drop_as() {
  job_bytes "$2" 5 >"$d/src/$2"
  $1 sh -c "umask 022; cat >'$d/spool/.in.$2' && mv '$d/spool/.in.$2' '$d/spool/$3'" <"$d/src/$2"
}
printed() { grep -rl "^LPTJOB $1\$" "$d/out" 2>/dev/null | wc -l; }
printed_once() { [ "$(printed "$1")" -eq 1 ]; }

no_launcher_in() {
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/cwd" 2>/dev/null)" = "$1" ] && [ "$(cat "$p/comm" 2>/dev/null)" = lptspool-launch ] && return 1
  done
  return 0
}

# The sweep removes what an earlier run of the server left, and nothing else: the server user's
# own batch files and launchers survive, and so do the other user's, whatever they hold.
foreign_helpers() {
  setup_tree sweep
  as_server sh -c "printf '@echo off\r\ncopy *.doc a:\r\n' >'$d/spool/backup.bat'; echo mine >'$d/spool/notes.pif'"
  as_other sh -c "echo his >'$d/spool/his.bat'; echo his >'$d/spool/his.pif'"
  # His copy of the very lines the server writes for a job of that name.
  as_other sh -c "printf 'copy HIS.PS lpt1\r\ndel HIS.PS\r\ndel HISPS.bat\r\ndel HISPS.pif' >'$d/spool/HISPS.bat'"
  kept="backup.bat notes.pif his.bat his.pif HISPS.bat"
  (cd "$d/spool" && sha256sum $kept) >"$d/kept.sums"
  # An earlier run whose printer failed: it left the job's helper files; the job went since.
  drop_as as_server old OLD.PS
  start_server_as sweep1 LPT1="$d/missing"
  wait_for 30 test -f "$d/spool/OLDPS.pif" || fail "sweep: the first run wrote no launcher"
  stop_server sweep1
  wait_for 30 no_launcher_in "$d/spool" || fail "sweep: the first run's launcher did not end"
  rm "$d/spool/OLD.PS"
  [ -f "$d/spool/OLDPS.bat" ] && [ -f "$d/spool/OLDPS.pif" ] || fail "sweep: the first run left nothing"
  start_server_as sweep2
  ticks_pass sweep
  [ ! -e "$d/spool/OLDPS.bat" ] && [ ! -e "$d/spool/OLDPS.pif" ] ||
    fail "sweep: the earlier run's helper files stayed"
  (cd "$d/spool" && sha256sum -c --quiet "$d/kept.sums") || fail "sweep: a file the server did not write changed or went"
  [ "$(printed old)" -eq 0 ] || fail "sweep: the left-overs printed a job"
  echo "FIGURES sweep: 2 left-overs swept; 5 other .bat/.pif files (2 the user's, 3 another user's) kept"
}

LPTSPOOL_SETTLE_MS=300
export LPTSPOOL_SETTLE_MS
run_scenarios foreign_helpers
echo PASS
