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
# The server user runs the programs from a copy in the test's own tree: the build tree may lie in
# a folder only its owner can enter (a home of mode 0700).
mkdir -m 755 "$tmp/bin"
cp "$bin/lptspool" "$bin/lptspool-launch" "$bin/print.txt" "$tmp/bin/"
bin=$tmp/bin
as_server test -x "$bin/lptspool-launch" -a -x "$bin/lptspool" -a -r "$bin/print.txt" ||
  fail "the server user ($server_uid) cannot run the programs in $bin"

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
# start_server_as NAME [VAR=VALUE...]: the real server as the server user on $d/spool (or on
# $spool_dir when set).
start_server_as() {
  name=$1
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$d/home" XDG_RUNTIME_DIR="$d/run" LPT1="$d/out" "$@" \
    setpriv --reuid=$server_uid --regid=$server_uid --clear-groups \
    "$bin/lptspool" "PRINTINGDIR=${spool_dir:-$d/spool}" 2>>"$tmp/$name.err" &
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
# drop_as USER_RUN ID NAME: a job made by the given user (as_server or as_other), in $d/spool
# or $spool_dir.
drop_as() {
  job_bytes "$2" 5 >"$d/src/$2"
  to=${spool_dir:-$d/spool}
  $1 sh -c "umask 022; cat >'$to/.in.$2' && mv '$to/.in.$2' '$to/$3'" <"$d/src/$2"
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

# A job the server cannot delete afterwards (the other user's, in a sticky folder) is not
# printed at all: printing it would print it again at every tick.
cannot_delete() {
  setup_tree undeletable
  drop_as as_other theirs THEIRS.PS
  drop_as as_server ours OURS.PS
  start_server_as undeletable
  wait_for 40 printed_once ours || fail "undeletable: the server's own job was not printed"
  ticks_pass undeletable
  [ "$(printed theirs)" -eq 0 ] || fail "undeletable: the other user's job printed $(printed theirs) times"
  cmp -s "$d/spool/THEIRS.PS" "$d/src/theirs" || fail "undeletable: the other user's job changed"
  [ "$(printed ours)" -eq 1 ] || fail "undeletable: the server's job printed $(printed ours) times"
  echo "FIGURES undeletable: other user's job printed $(printed theirs) times in 3 ticks"
}

# The other user squats a job's helper files with his own, world-writable ones whose lines print
# a private file of the server's user and delete another file of his.
squatted_helpers() {
  setup_tree squat
  as_server sh -c "umask 077; echo 'LPTJOB secret' >'$d/spool/secret.txt'; echo keep >'$d/spool/keep.txt'"
  for f in X.PS; do drop_as as_server squatjob "$f"; done
  evil='copy secret.txt lpt1\r\ndel keep.txt\r\ndel XPS.bat\r\ndel XPS.pif'
  as_other sh -c "printf '$evil' >'$d/spool/XPS.bat'; chmod 666 '$d/spool/XPS.bat'"
  # His launcher names his script: the server's own launcher bytes would do the same.
  as_other sh -c "head -c 545 /dev/zero >'$d/spool/XPS.pif'; chmod 666 '$d/spool/XPS.pif'"
  dos="Z:$(echo "$d/spool/XPS.bat" | tr / '\\\\')"
  printf '%s' "$dos" | as_other dd of="$d/spool/XPS.pif" bs=1 seek=36 conv=notrunc 2>/dev/null
  # He keeps rewriting them with his lines, as often as he can.
  # setpriv itself, not a function's subshell, so that its PID is the loop's; the loop also ends
  # with the folder.
  setpriv --reuid=$other_uid --regid=$other_uid --clear-groups sh -c \
    "while [ -d '$d/spool' ]; do printf '$evil' >'$d/spool/XPS.bat' 2>/dev/null; sleep 0.05; done" &
  rewriter=$!
  echo $rewriter >>"$tmp/pids"
  start_server_as squat
  ticks_pass squat
  kill $rewriter
  [ -z "$(grep -rl 'LPTJOB secret' "$d/out")" ] || fail "squat: the private file was printed"
  [ -e "$d/spool/keep.txt" ] || fail "squat: his lines deleted the server user's file"
  # The launcher itself, run by hand on his files: refused, nothing run.
  status=0
  (cd "$d/spool" && HOME="$d/home" XDG_RUNTIME_DIR="$d/run" LPT1="$d/out" \
    as_server "$bin/lptspool-launch" XPS.pif) || status=$?
  [ "$status" -eq 2 ] || fail "squat: his launcher ran with status $status"
  echo "FIGURES squat: private file printed 0 times, server's file kept, his launcher refused"
}

# Locks anyone else could take: a shared flock on the job and a flock on the printer folder.
# Printing goes on while he holds them.
foreign_locks() {
  setup_tree locks
  drop_as as_server held HELD.PS
  as_other flock -s "$d/spool/HELD.PS" sleep 60 &
  echo $! >>"$tmp/pids"
  as_other flock -s "$d/out" sleep 60 &
  echo $! >>"$tmp/pids"
  # No runtime folder: the private folder falls back to the home folder (and Qt makes its own
  # runtime folder under TMPDIR, kept inside the test's tree).
  start_server_as locks XDG_RUNTIME_DIR= TMPDIR="$d/home"
  wait_for 30 printed_once held || fail "locks: the job was not printed while he held his locks"
  echo "FIGURES locks: printed within two ticks while another user held a flock on the job and the printer folder"
}

# The server's PATH starts with an empty entry, and the other user plants lp and lpstat in the
# spool folder. The real ones (here, stand-ins on an absolute PATH entry) must run, from home.
planted_commands() {
  setup_tree planted
  mkdir -p "$d/bin"
  cat >"$d/bin/lpstat" <<'LPSTAT'
#!/bin/sh
echo "system default destination: office"
LPSTAT
  cat >"$d/bin/lp" <<LP
#!/bin/sh
pwd >"$d/out/.cwd"
cat >"$d/out/.part.\$\$" && mv "$d/out/.part.\$\$" "$d/out/job.\$\$"
LP
  chmod 755 "$d/bin/lp" "$d/bin/lpstat"
  for p in lp lpstat; do
    as_other sh -c "printf '#!/bin/sh\ntouch $d/marks/$p; cat >/dev/null\n' >'$d/spool/$p'; chmod 755 '$d/spool/$p'"
  done
  drop_as as_server planted1 DEFAULT.PS
  start_server_as planted PATH=":$d/bin:/usr/bin:/bin" LPT1=
  wait_for 40 printed_once planted1 || fail "planted: the job to the default printer was not printed"
  [ "$(cat "$d/out/.cwd")" = "$d/home" ] || fail "planted: lp ran in $(cat "$d/out/.cwd")"
  drop_as as_server planted2 PIPED.PS
  stop_server planted
  start_server_as planted2 PATH=":$d/bin:/usr/bin:/bin" LPT1="|lp -d office"
  wait_for 40 printed_once planted2 || fail "planted: the job to |lp was not printed"
  [ -z "$(ls "$d/marks")" ] || fail "planted: his programs ran: $(ls "$d/marks")"
  echo "FIGURES planted: his lp and lpstat ran 0 times; lp ran from the home folder"
}

# A 1777 spool folder the server's user owns (the troubleshooting advice): he may delete anyone's
# job there, so another user's jobs reach the launcher.
own_spool() { chown $server_uid "$d/spool"; }
in_spool() { [ -e "$d/spool/$1" ]; }
gone_from_spool() { ! in_spool "$1"; }

# The other user renames his job the moment its copy appears in the printer folder, over and
# over: it comes out once, is deleted, and the server says so on stderr.
renamed_after_printing() {
  setup_tree renamed
  own_spool
  job_bytes his 260000 >"$d/src/his"
  as_other sh -c "cat >'$d/spool/.in' && mv '$d/spool/.in' '$d/spool/HIS.PS'" <"$d/src/his"
  setpriv --reuid=$other_uid --regid=$other_uid --clear-groups sh -c "n=0
    while [ -d '$d/spool' ]; do
      c=\$(ls '$d/out' | wc -l)
      if [ \"\$c\" -gt \"\$n\" ]; then
        n=\$c
        for f in '$d/spool'/HIS*.PS; do [ -e \"\$f\" ] && mv \"\$f\" '$d/spool/HIS'\$n'.PS'; done
      fi
      sleep 0.01
    done" 2>/dev/null &
  echo $! >>"$tmp/pids"
  start_server_as renamed
  wait_for 60 printed_once his || fail "renamed: his job was not printed"
  ticks_pass renamed
  ticks_pass renamed
  [ "$(printed his)" -eq 1 ] || fail "renamed: his job came out $(printed his) times"
  [ -z "$(ls "$d/spool" | grep '^HIS')" ] || fail "renamed: his job stayed as $(ls "$d/spool" | grep '^HIS')"
  grep -q "HIS.* printed" "$tmp/renamed.err" || fail "renamed: no stderr line for the print"
  echo "FIGURES renamed: a 20 MB job renamed after each copy printed $(printed his) time in 5 ticks"
}

# The printer folder (LPT1=.../pub/out/) lies in a 1777 folder and does not exist yet. The other
# user plants it first: a link to the user's own folder, then a real folder of his. Neither gets
# a job; the job waits with the reason; once he is gone, the server makes the folder and prints.
planted_printer_folder() {
  setup_tree plantedout
  mkdir -p "$d/pub" "$d/home/docs"
  chmod 1777 "$d/pub"
  chown $server_uid:$server_uid "$d/home/docs"
  as_other ln -s "$d/home/docs" "$d/pub/out"
  drop_as as_server pout POUT.PS
  start_server_as plantedout LPT1="$d/pub/out/"
  wait_for 40 grep -qs "pub/out.*symbolic link" "$tmp/plantedout.err" ||
    fail "plantedout: no reason for the linked printer folder"
  as_other sh -c "rm '$d/pub/out' && mkdir -m 777 '$d/pub/out'"
  wait_for 40 grep -qs "belongs to user $other_uid" "$tmp/plantedout.err" ||
    fail "plantedout: no reason for his printer folder"
  [ -z "$(find "$d/home/docs" "$d/pub/out" -mindepth 1)" ] || fail "plantedout: a job went into a planted folder"
  in_spool POUT.PS || fail "plantedout: the job was lost"
  as_other rmdir "$d/pub/out"
  wait_for 40 sh -c "grep -rqs '^LPTJOB pout\$' '$d/pub/out'" || fail "plantedout: not printed once the folder was free"
  [ "$(stat -c %u "$d/pub/out")" -eq $server_uid ] || fail "plantedout: the new printer folder is not the user's"
  echo "FIGURES plantedout: 0 jobs into his link or his folder; printed into the server's own folder after"
}

# Sparse and oversized jobs, the other user's and the user's own, in a root-owned 1777 folder:
# nothing of them comes out, none is lost, the user's real jobs print.
bounded_jobs() {
  setup_tree bounded
  as_other truncate -s 2G "$d/spool/BIG.PS"
  for i in 1 2 3 4 5 6 7 8; do as_other truncate -s 100M "$d/spool/SPARSE$i.PS"; done
  as_server truncate -s 100M "$d/spool/MYSPARSE.PS"
  job_bytes toobig 2000 >"$d/src/toobig"
  as_server sh -c "cat >'$d/spool/.in' && mv '$d/spool/.in' '$d/spool/TOOBIG.PS'" <"$d/src/toobig"
  drop_as as_server small SMALL.PS
  start_server_as bounded LPTSPOOL_MAX_JOB=64K
  wait_for 40 printed_once small || fail "bounded: the user's small job was not printed"
  ticks_pass bounded
  size=$(du -sb "$d/out" | cut -f1)
  [ "$size" -lt 1048576 ] || fail "bounded: $size bytes of output"
  [ "$(printed toobig)" -eq 0 ] || fail "bounded: the job over LPTSPOOL_MAX_JOB printed"
  for j in BIG SPARSE1 SPARSE8 MYSPARSE TOOBIG; do in_spool $j.PS || fail "bounded: $j.PS went"; done
  echo "FIGURES bounded: a 2 GiB and nine 100 MiB sparse jobs and one over the limit: $size bytes of output"
}

# A job that is a second hard link to a (world-writable) file of the user's, in a folder the user
# owns: refused, neither printed nor unlinked.
hard_links() {
  setup_tree linked
  own_spool
  as_server sh -c "echo 'LPTJOB notes' >'$d/home/notes.txt'; chmod 666 '$d/home/notes.txt'"
  as_other ln "$d/home/notes.txt" "$d/spool/NOTES.PS" || fail "linked: the link could not be made"
  drop_as as_server linkown LINKOWN.PS
  start_server_as linked
  wait_for 40 printed_once linkown || fail "linked: the user's job was not printed"
  ticks_pass linked
  [ "$(printed notes)" -eq 0 ] || fail "linked: the user's file printed through the link"
  in_spool NOTES.PS && [ "$(stat -c %h "$d/home/notes.txt")" -eq 2 ] || fail "linked: the link went"
  echo "FIGURES linked: the linked file printed 0 times, both names kept"
}

# Empty jobs, the user's and the other user's, before a printer that refuses empty input (as lp
# does): deleted without asking the printer, which never rests for them.
empty_jobs() {
  setup_tree empty
  own_spool
  mkdir -p "$d/bin"
  cat >"$d/bin/fakelp" <<FAKELP
#!/bin/sh
f=\$(mktemp "$d/out/.part.XXXXXX")
cat >"\$f"
if [ -s "\$f" ]; then mv "\$f" "$d/out/job.\$\$"; else rm -f "\$f"; touch "$d/marks/asked"; exit 1; fi
FAKELP
  chmod 755 "$d/bin/fakelp"
  as_server sh -c ": >'$d/spool/MINE.PS'"
  as_other sh -c ": >'$d/spool/HIS.PS'"
  drop_as as_server full FULL.PS
  start_server_as empty LPT1="|$d/bin/fakelp"
  wait_for 40 printed_once full || fail "empty: the user's job was not printed"
  wait_for 30 gone_from_spool MINE.PS || fail "empty: the user's empty job stayed"
  wait_for 30 gone_from_spool HIS.PS || fail "empty: his empty job stayed"
  ticks_pass empty
  [ ! -e "$d/marks/asked" ] || fail "empty: the printer was asked to print an empty job"
  ! grep -q "lpt1:" "$tmp/empty.err" || fail "empty: a printer failure: $(grep lpt1: "$tmp/empty.err")"
  echo "FIGURES empty: 2 empty jobs deleted, the printer asked 0 times"
}

# cpu_ticks PID: the CPU time the process used so far, in clock ticks (user and system).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
users_printed() {
  for i in 0 1 2 3 4 5 6 7 8 9; do printed_once "user$i" || return 1; done
}
launchers_in() {
  n=0
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/cwd" 2>/dev/null)" = "$1" ] && [ "$(cat "$p/comm" 2>/dev/null)" = lptspool-launch ] && n=$((n + 1))
  done
  echo $n
}

# In a folder the server's user owns, the other user drops 200 jobs and touches every one of them
# five times a second: they never settle, so they hold no launcher, and the user's own job
# prints within two ticks (it waited ten minutes behind 64 of them before).
starving() {
  setup_tree starve
  own_spool
  as_other sh -c "i=0; while [ \$i -lt 200 ]; do echo 'LPTJOB ch' >'$d/spool/CH'\$i'.PS'; i=\$((i + 1)); done"
  setpriv --reuid=$other_uid --regid=$other_uid --clear-groups sh -c \
    "while [ -d '$d/spool' ]; do touch '$d/spool'/CH*.PS 2>/dev/null; sleep 0.2; done" &
  toucher=$!
  echo $toucher >>"$tmp/pids"
  start_server_as starve LPTSPOOL_SETTLE_MS=2000
  ticks_pass starve
  most=0
  start=$(date +%s)
  drop_as as_server user USER.PS
  while ! printed_once user && [ $(($(date +%s) - start)) -le 60 ]; do
    n=$(launchers_in "$d/spool")
    [ "$n" -le "$most" ] || most=$n
    sleep 0.2
  done
  waited=$(($(date +%s) - start))
  kill $toucher
  printed_once user || fail "starve: the user's job was not printed in 60 s"
  # Two ticks are 14 s; the rest is the settle time and the print.
  [ "$waited" -le 20 ] || fail "starve: the user's job waited $waited s"
  [ "$most" -le 2 ] || fail "starve: $most launchers ran at once for the changing jobs"
  [ "$(printed ch)" -eq 0 ] || fail "starve: $(printed ch) of the changing jobs printed"
  echo "FIGURES starve: 200 jobs kept changing; the user's job waited $waited s; at most $most launchers at once"
}

# The spool folder (PRINTINGDIR=.../pub/spool, in a 1777 folder) does not exist yet. The other
# user makes it first: a link to the user's own folder, then a folder of his. The server does not
# start on either (status 2, one line naming the folder and its owner) and touches nothing in
# them; once he is gone it makes the folder itself. In a folder anyone may write to without the
# sticky bit, he swaps the running server's folder for a link: nothing is printed from it.
planted_spool() {
  setup_tree plantedspool
  mkdir -p "$d/pub" "$d/open" "$d/home/docs"
  chmod 1777 "$d/pub"
  chmod 777 "$d/open"
  chown $server_uid:$server_uid "$d/home/docs"
  as_server sh -c "umask 077; echo 'LPTJOB draft' >'$d/home/docs/draft.ps'"
  as_other ln -s "$d/home/docs" "$d/pub/spool"
  start_once() { # NAME: the server on pub/spool, as it ends
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY HOME="$d/home" XDG_RUNTIME_DIR="$d/run" LPT1="$d/out" \
      timeout 30 setpriv --reuid=$server_uid --regid=$server_uid --clear-groups \
      "$bin/lptspool" "PRINTINGDIR=$d/pub/spool" 2>"$tmp/$1.err" || status=$?
    [ "$status" -eq 2 ] || fail "plantedspool: the server ended with $status on $1"
    [ "$(wc -l <"$tmp/$1.err")" -eq 1 ] || fail "plantedspool: $1: $(cat "$tmp/$1.err")"
  }
  start_once link
  grep -q "pub/spool is a symbolic link (owned by user $other_uid" "$tmp/link.err" ||
    fail "plantedspool: $(cat "$tmp/link.err")"
  as_other sh -c "rm '$d/pub/spool' && mkdir -m 777 '$d/pub/spool' && echo 'LPTJOB his' >'$d/pub/spool/HIS.PS'"
  start_once his
  grep -q "pub/spool belongs to user $other_uid" "$tmp/his.err" || fail "plantedspool: $(cat "$tmp/his.err")"
  [ -e "$d/home/docs/draft.ps" ] && [ -e "$d/pub/spool/HIS.PS" ] || fail "plantedspool: a file went"
  [ -z "$(ls "$d/out")" ] || fail "plantedspool: printed $(ls "$d/out")"
  as_other rm -r "$d/pub/spool"
  spool_dir=$d/pub/spool
  start_server_as plantedspool
  wait_for 20 test -d "$d/pub/spool" || fail "plantedspool: the server made no folder"
  [ "$(stat -c %u "$d/pub/spool")" -eq $server_uid ] || fail "plantedspool: the folder made is not the user's"
  # The running server's folder swapped for a link, where the parent lets anyone rename it.
  as_server mkdir "$d/open/spool"
  spool_dir=$d/open/spool
  start_server_as swapped
  drop_as as_server before BEFORE.PS
  wait_for 40 printed_once before || fail "plantedspool: the open folder's job was not printed"
  as_other sh -c "mv '$d/open/spool' '$d/open/old' && ln -s '$d/home/docs' '$d/open/spool'"
  wait_for 30 grep -qs "open/spool was moved or replaced" "$tmp/swapped.err" ||
    fail "plantedspool: no reason for the swapped folder"
  # Two ticks of the other server, in the folder it made.
  spool_dir=$d/pub/spool
  ticks_pass plantedspool
  [ "$(printed draft)" -eq 0 ] && [ -e "$d/home/docs/draft.ps" ] || fail "plantedspool: the user's draft was printed or deleted"
  echo "FIGURES plantedspool: refused to start on his link and his folder (status 2); 0 files printed from the swapped-in link"
}

# 20,000 jobs of the other user that the server's user could not delete (a root-owned 1777
# folder): each costs one look a tick. No launcher, no state; the user's own jobs print within two
# ticks.
flood() {
  setup_tree flood
  as_other sh -c "cd '$d/spool' && i=0; while [ \$i -lt 20000 ]; do echo x >F\$i.PS; i=\$((i + 1)); done"
  start_server_as flood
  pid=$(cat "$tmp/flood.pid")
  ticks_pass flood
  hz=$(getconf CLK_TCK)
  before=$(cpu_ticks "$pid")
  from=$(date +%s)
  i=0
  while [ $i -lt 10 ]; do drop_as as_server "user$i" "USER$i.PS"; i=$((i + 1)); done
  wait_for 40 users_printed || \
    fail "flood: the user's jobs were not printed"
  waited=$(($(date +%s) - from))
  sleep 14
  ticks=$((($(date +%s) - from) / 7))
  cpu=$(awk -v t="$(($(cpu_ticks "$pid") - before))" -v hz="$hz" -v n="$ticks" 'BEGIN { printf "%.2f", t / hz / n }')
  state=$(du -sb "$d/run" | cut -f1)
  hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status")
  [ "$waited" -le 20 ] || fail "flood: the user's jobs waited $waited s"
  [ "$state" -lt 1048576 ] || fail "flood: $state bytes of state"
  [ "$(ls "$d/spool" | grep -c '^F.*PS$')" -eq 20000 ] || fail "flood: his jobs went"
  [ "$(grep -c 'left in the folder unprinted' "$tmp/flood.err")" -eq 1 ] || fail "flood: $(grep -c unprinted "$tmp/flood.err") summary lines"
  echo "FIGURES flood: 20000 refused jobs; the user's 10 jobs waited $waited s; $cpu s CPU a tick; state $state bytes; peak memory $hwm KiB (this build)"
}

LPTSPOOL_SETTLE_MS=300
export LPTSPOOL_SETTLE_MS
run_scenarios cannot_delete squatted_helpers foreign_locks planted_commands foreign_helpers \
  renamed_after_printing planted_printer_folder bounded_jobs hard_links empty_jobs starving \
  planted_spool flood
echo PASS
