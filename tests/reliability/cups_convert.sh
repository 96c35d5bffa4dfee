#!/bin/sh
# The default printer is a driverless-style PWG raster printer: a PostScript job is converted by
# CUPS (it comes out as PWG raster, page for page), a PCL job goes raw; with LPT1 a raw lp command,
# both go raw.
. "$(dirname "$0")/common.sh"
. "$here/cups.sh"
for tool in ppdc gs; do
  command -v $tool >/dev/null || fail "$tool is missing (cups-ppdc, ghostscript): run scripts/install-deps"
done
# The conversion filters, found by the private cupsd when it starts.
mkdir -p "$tmp/cups/bin"
ln -s /usr/lib/cups/filter "$tmp/cups/bin/filter"
start_cups
ppdc -d "$tmp/ppd" /usr/share/cups/drv/cupsfilters.drv 2>/dev/null
[ -f "$tmp/ppd/pwgrast.ppd" ] || fail "ppdc made no pwgrast.ppd"
mkdir -p "$tmp/pwg"
lpadmin -p pwg -E -v "capture:$tmp/pwg" -P "$tmp/ppd/pwgrast.ppd" 2>/dev/null ||
  fail "lpadmin could not add the PWG raster queue: $(cat "$tmp/cups/log/error_log")"
lpadmin -d pwg

# ps_job PAGES: a PostScript job of that many pages.
ps_job() {
  printf '%%!PS-Adobe-3.0\n%%%%Pages: %s\n' "$1"
  i=1
  while [ "$i" -le "$1" ]; do
    printf '%%%%Page: %s %s\n/Helvetica findfont 24 scalefont setfont 72 720 moveto (Page %s) show showpage\n' "$i" "$i" "$i"
    i=$((i + 1))
  done
  printf '%%%%EOF\n'
}
captured() { find "$tmp/pwg" -maxdepth 1 -name 'job-*.prn' | wc -l; }
more_than() { [ "$(captured)" -gt "$1" ]; }
# send NAME FILE [VAR=VALUE...]: the real launcher prints FILE from a fresh spool folder to the
# default printer (or as LPT1 says); the capture is then $tmp/pwg/NAME.
send() {
  name=$1
  file=$2
  shift 2
  before=$(captured)
  spool=$tmp/spool-$name
  mkdir -p "$spool"
  cp "$file" "$spool/$name.PS"
  script="copy $name.PS lpt1\r\ndel $name.PS\r\n"
  printf "$script" >"$spool/$name.bat"
  dos="Z:$(echo "$spool/$name.bat" | tr / '\\\\')"
  { head -c 36 /dev/zero; printf '%s' "$dos"; head -c $((545 - 36 - ${#dos})) /dev/zero; } \
    >"$spool/$name.pif"
  (cd "$spool" && env -u LPT1 LPTSPOOL_SETTLE_MS=0 "$@" "$bin/lptspool-launch" "$name.pif") ||
    fail "$name: the launcher failed"
  wait_for 60 more_than "$before" || fail "$name: nothing reached the printer"
  wait_for 30 queue_idle pwg || fail "$name: the queue did not finish"
  mv "$(ls -t "$tmp/pwg"/job-*.prn | head -n 1)" "$tmp/pwg/$name"
}
pages() { LC_ALL=C grep -ao PwgRaster "$1" | wc -l; }

ps_job 3 >"$tmp/three.ps"
printf '\033E\033&l0O\033(s0p12h10v0s0b3T Hello PCL\r\n\014\033E' >"$tmp/pcl.prn"

send PSJOB "$tmp/three.ps"
[ "$(head -c 4 "$tmp/pwg/PSJOB")" = RaS2 ] || fail "PostScript job not converted to PWG raster"
[ "$(pages "$tmp/pwg/PSJOB")" -eq 3 ] || fail "PostScript job: $(pages "$tmp/pwg/PSJOB") pages, not 3"
send PCLJOB "$tmp/pcl.prn"
cmp -s "$tmp/pwg/PCLJOB" "$tmp/pcl.prn" || fail "PCL job changed on the way"
send RAWPS "$tmp/three.ps" LPT1="|lp -d pwg -o raw"
cmp -s "$tmp/pwg/RAWPS" "$tmp/three.ps" || fail "PostScript job through LPT1 raw lp changed"
send RAWPCL "$tmp/pcl.prn" LPT1="|lp -d pwg -o raw"
cmp -s "$tmp/pwg/RAWPCL" "$tmp/pcl.prn" || fail "PCL job through LPT1 raw lp changed"
echo "FIGURES cups conversion: PostScript of 3 pages came out as PWG raster of $(pages "$tmp/pwg/PSJOB") pages; PCL and LPT1 raw unchanged"
echo PASS
