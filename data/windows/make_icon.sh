#!/bin/sh
# Draws lptspool.ico from the shapes of src/platform/qt/lptspool.svg (a printer with a sheet
# coming out) at every size Windows asks for: 16, 20, 24 and 32 (lists, tray, title bars at
# 100-200 %), 48 (Explorer) and 256 (large icons). Needs ImageMagick; run it after changing the
# picture and commit the result.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 256 48 32 24 20 16; do
  scale=$(awk "BEGIN { print $size / 64 }")
  # The drawing is given inline: ImageMagick's policy may forbid reading it from a file.
  draw=$(cat <<MVG
affine $scale 0 0 $scale 0 0
stroke '#2b3a4a' stroke-width 3
fill '#ffffff' roundrectangle 16,4 48,22 2,2
fill '#3c6e9f' roundrectangle 4,20 60,46 5,5
stroke none fill '#7fe07f' circle 50,29 53,29
stroke '#2b3a4a' fill '#ffffff' rectangle 16,38 48,60
stroke-width 2 line 21,45 43,45
line 21,51 37,51
MVG
  )
  convert -size "${size}x$size" xc:none -draw "$draw" "PNG32:$tmp/$size.png"
done
convert "$tmp/256.png" "$tmp/48.png" "$tmp/32.png" "$tmp/24.png" "$tmp/20.png" "$tmp/16.png" \
  "$here/lptspool.ico"
