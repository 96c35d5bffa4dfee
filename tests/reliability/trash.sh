#!/bin/sh
# "Ta bort" as real users: a removed job lands in the remover's own trash, or nowhere (it stays in
# the folder, and the list asks before deleting it for good). Never in the working folder, never
# in a trash another user made. The spool folders on "another mount" are a tmpfs of our own, in a
# private mount namespace. Run as root with the folder of trash_probe as $2.
. "$(dirname "$0")/common.sh"

probe=$2/trash_probe
[ "$(id -u)" -eq 0 ] || fail "needs root, to act as two users and mount a tmpfs"
if [ -z "${LPT_TRASH_NS:-}" ]; then
  # The script again in a mount namespace of its own: the tmpfs goes away with it.
  LPT_TRASH_NS=1 unshare -m sh "$0" "$@"
  exit $?
fi
me=4721
other=4722
as_me() { setpriv --reuid=$me --regid=$me --clear-groups "$@"; }
as_other() { setpriv --reuid=$other --regid=$other --clear-groups "$@"; }

# A user's home without .local/share, a working folder, and a 1777 spool folder on the tmpfs.
mkdir -p "$tmp/home" "$tmp/cwd" "$tmp/disk/spool" "$tmp/mnt"
chown $me:$me "$tmp/home" "$tmp/cwd"
chmod 1777 "$tmp/disk/spool"
mount -t tmpfs -o size=4m,mode=1777 lpttrash "$tmp/mnt"
trap 'umount "$tmp/mnt" 2>/dev/null; cleanup' EXIT
mkdir -p "$tmp/mnt/spool"
chmod 1777 "$tmp/mnt/spool"

# drop FOLDER NAME: a job of mine.
drop() { as_me sh -c "echo job >'$1/$2'"; }
# remove FOLDER NAME: "Ta bort" as me, from my working folder, with my own HOME.
remove() {
  (cd "$tmp/cwd" && env -u XDG_DATA_HOME HOME="$tmp/home" \
    setpriv --reuid=$me --regid=$me --clear-groups "$probe" "$1" "$2")
}
nothing_in_cwd() { [ -z "$(ls -A "$tmp/cwd")" ] || fail "$1: something was written into the working folder"; }

# 1. On home's file system, without ~/.local/share: the home trash is made and takes the job.
drop "$tmp/disk/spool" HOME.PS
remove "$tmp/disk/spool" HOME.PS || fail "home: the job did not go to the home trash"
[ -f "$tmp/home/.local/share/Trash/files/HOME.PS" ] || fail "home: not in ~/.local/share/Trash"
[ -f "$tmp/home/.local/share/Trash/info/HOME.PS.trashinfo" ] || fail "home: no note to put it back"
[ ! -e "$tmp/disk/spool/HOME.PS" ] || fail "home: still in the folder"
nothing_in_cwd home

# 2. On the tmpfs, where another user made .Trash-<my uid> first (his, open to all): refused,
#    and the job stays in the folder for the question, his trash untouched.
as_other mkdir -m 777 "$tmp/mnt/.Trash-$me"
drop "$tmp/mnt/spool" THEIRS.PS
if remove "$tmp/mnt/spool" THEIRS.PS 2>"$tmp/theirs.err"; then fail "theirs: the job went into another user's trash"; fi
[ -f "$tmp/mnt/spool/THEIRS.PS" ] || fail "theirs: the job left the folder"
[ -z "$(find "$tmp/mnt/.Trash-$me" -mindepth 1)" ] || fail "theirs: something went into his trash"
grep -q "Trash-$me" "$tmp/theirs.err" || fail "theirs: no reason given: $(cat "$tmp/theirs.err")"
nothing_in_cwd theirs

# 3. The same trash as a link to a folder of mine: not followed either.
rmdir "$tmp/mnt/.Trash-$me"
as_me mkdir -m 700 "$tmp/mnt/mine"
ln -s "$tmp/mnt/mine" "$tmp/mnt/.Trash-$me"
drop "$tmp/mnt/spool" LINK.PS
if remove "$tmp/mnt/spool" LINK.PS 2>/dev/null; then fail "link: the trash was a link and was followed"; fi
[ -f "$tmp/mnt/spool/LINK.PS" ] && [ -z "$(ls -A "$tmp/mnt/mine")" ] || fail "link: the job moved"

# 4. Mine but open to others (mode 0755): not a trash for a job either.
rm "$tmp/mnt/.Trash-$me"
as_me mkdir -m 755 "$tmp/mnt/.Trash-$me"
drop "$tmp/mnt/spool" OPEN.PS
if remove "$tmp/mnt/spool" OPEN.PS 2>/dev/null; then fail "open: a trash others may read took the job"; fi
[ -f "$tmp/mnt/spool/OPEN.PS" ] || fail "open: the job moved"

# 5. None there yet: made mine, mode 0700, and it takes the job.
rmdir "$tmp/mnt/.Trash-$me"
drop "$tmp/mnt/spool" TOP.PS
remove "$tmp/mnt/spool" TOP.PS || fail "top: the job did not go to my own top trash"
[ "$(stat -c '%u %a' "$tmp/mnt/.Trash-$me")" = "$me 700" ] || fail "top: the trash made is not mine alone"
[ -f "$tmp/mnt/.Trash-$me/files/TOP.PS" ] || fail "top: not in the top trash"
grep -qx "Path=spool/TOP.PS" "$tmp/mnt/.Trash-$me/info/TOP.PS.trashinfo" || fail "top: the note names no path from the top"
nothing_in_cwd top
[ ! -e "$tmp/home/.local/share/Trash/files/TOP.PS" ] || fail "top: copied into the home trash"

echo "FIGURES trash: 5 scenarios, the job in the remover's own trash or left in the folder"
