#!/bin/sh
# The Debian package as a user gets it: built from the tree, clean for lintian, installed with apt,
# the installed server printing a job, then removed without a trace. Also the plain
# "cmake --install" of the same build: its manifest must name everything it put in place.
set -eu
root=$1
build=$2
[ "$(id -u)" -eq 0 ] || { echo "SKIP: installing a package needs root"; exit 77; }
if dpkg-query -W -f='${Status}' lptspool 2>/dev/null | grep -q installed; then
  echo "SKIP: lptspool is installed on this machine; the test would replace it"
  exit 77
fi
. "$root/tests/shell_lib.sh"
tmp=$(mktemp -d /tmp/lptspool-package.XXXXXX)
server_pid=""
installed=0
cleanup() {
  set +e # every step of the clean-up runs, whatever failed before it
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  [ "$installed" -eq 1 ] && apt-get remove -y -qq lptspool >/dev/null 2>&1
  rm -rf "$tmp"
}
trap cleanup EXIT
# What of ours the system holds, outside what dpkg lists (maintainer scripts, caches).
traces() { find /usr /etc /var/lib/dpkg/info -name '*lptspool*' 2>/dev/null | sort; }
traces >"$tmp/before"

deb=$("$root/scripts/package" "$build" 2>"$tmp/package.err") || { cat "$tmp/package.err"; fail "packaging failed"; }
case "$(basename "$deb")" in
  lptspool_*_"$(dpkg --print-architecture)".deb) ;;
  *) fail "unexpected package name: $deb" ;;
esac
# lintian leaves a cache file in TMPDIR: ours goes with $tmp.
TMPDIR=$tmp lintian --fail-on error,warning "$deb" >"$tmp/lintian" 2>&1 ||
  { cat "$tmp/lintian"; fail "lintian found errors or warnings"; }

installed=1
# What it depends on, not what it recommends: the test runs without a network, and the package
# must work without its recommendations (xwayland) anyway.
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$tmp/apt.log" 2>&1 ||
  { cat "$tmp/apt.log"; fail "apt could not install $deb"; }
[ "$(command -v lptspool)" = /usr/bin/lptspool ] || fail "lptspool is not on PATH"
for f in /usr/libexec/lptspool/lptspool-launch /usr/libexec/lptspool/print.txt \
  /usr/lib/systemd/user/lptspool.service /usr/share/man/man1/lptspool.1.gz \
  /usr/share/man/man1/lptspool-launch.1.gz /usr/share/doc/lptspool/copyright; do
  [ -f "$f" ] || fail "$f not installed"
done
if command -v systemd-analyze >/dev/null; then
  mkdir -m 700 "$tmp/run"
  XDG_RUNTIME_DIR="$tmp/run" systemd-analyze --user verify lptspool.service ||
    fail "the user service does not verify"
fi

# The installed server, as the service runs it: no window, a folder printer that does not exist yet.
mkdir "$tmp/spool"
printf '%%!PS\r\nbytes \000 unchanged\r\n' >"$tmp/job"
cp "$tmp/job" "$tmp/spool/REPORT.PS"
env -u DISPLAY -u WAYLAND_DISPLAY LPT1="$tmp/printed/" LPTSPOOL_SETTLE_MS=100 \
  lptspool "PRINTINGDIR=$tmp/spool" 2>"$tmp/server.err" &
server_pid=$!
printed() { [ ! -e "$tmp/spool/REPORT.PS" ] && [ -n "$(ls -A "$tmp/printed" 2>/dev/null)" ]; }
wait_for 60 printed || { cat "$tmp/server.err"; fail "the installed server printed nothing"; }
cmp -s "$tmp/job" "$tmp/printed/"* || fail "the printed job differs"
kill "$server_pid"
wait "$server_pid" || fail "the server did not end cleanly on SIGTERM"
server_pid=""

dpkg -L lptspool >"$tmp/files"
apt-get remove -y -qq lptspool >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; fail "apt remove failed"; }
installed=0
[ -z "$(dpkg-query -W -f='${Status}' lptspool 2>/dev/null)" ] || fail "dpkg still knows lptspool"
while read -r f; do
  [ -d "$f" ] || [ ! -e "$f" ] || fail "left behind by apt remove: $f"
done <"$tmp/files"
traces >"$tmp/after"
cmp -s "$tmp/before" "$tmp/after" || fail "left behind: $(comm -13 "$tmp/before" "$tmp/after")"

# cmake --install: everything it installs is in the manifest, the link on PATH too.
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
[ -L "$tmp/prefix/bin/lptspool" ] || fail "cmake --install made no bin/lptspool link"
"$tmp/prefix/bin/lptspool" --version >/dev/null || fail "bin/lptspool does not start the server"
xargs rm -f <"$build/install_manifest.txt"
left=$(find "$tmp/prefix" ! -type d)
[ -z "$left" ] || fail "not in install_manifest.txt: $left"
echo PASS
