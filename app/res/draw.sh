#!/usr/bin/env bash
# Draws the program's artwork with ImageMagick: the program icon (128, also
# installed for the desktop), the five context-menu icons (132-136, 16 x 16),
# the cover commands' icons (2170-2172, 16 x 16) and the About box's picture
# (129, 254 x 85, 24-bit BMP). Run it again after
# changing a drawing; the results are committed.
set -euo pipefail
cd "$(dirname "$0")"
font=DejaVu-Sans-Bold

# Program icon: a blue rounded tile with a white quill-nib note.
icon() {
  local size=$1 out=$2
  local s=$((size - 1)) r=$((size / 6))
  convert -size "${size}x${size}" xc:none \
    -fill '#2a5db0' -draw "roundrectangle 0,0 $s,$s $r,$r" \
    -fill white -draw "ellipse $((size * 36 / 100)),$((size * 70 / 100)) $((size * 14 / 100)),$((size * 11 / 100)) 0,360" \
    -draw "rectangle $((size * 46 / 100)),$((size * 20 / 100)) $((size * 52 / 100)),$((size * 70 / 100))" \
    -draw "polygon $((size * 52 / 100)),$((size * 20 / 100)) $((size * 78 / 100)),$((size * 32 / 100)) $((size * 52 / 100)),$((size * 36 / 100))" \
    -strip "$out"
}
icon 64 quillory.png
icon 256 quillory-256.png

# Menu icons, 16 x 16 on transparency.
convert -size 16x16 xc:none -fill '#1f9d3a' -draw 'polygon 4,2 13,8 4,14' -strip play.png
convert -size 16x16 xc:none -stroke '#c62828' -strokewidth 3 -draw 'line 3,3 12,12' -draw 'line 12,3 3,12' -strip delete.png
convert -size 16x16 xc:none -stroke '#7a4e12' -strokewidth 1 -fill '#f2b632' \
  -draw 'polygon 3,13 4,10 11,3 13,5 6,12' -fill '#333333' -draw 'polygon 3,13 4,10 6,12' -strip edit.png
convert -size 16x16 xc:none -fill '#2a5db0' -draw 'rectangle 2,2 13,13' -fill white -draw 'rectangle 4,2 11,6' \
  -fill '#dddddd' -draw 'rectangle 5,9 10,13' -strip save.png
convert -size 16x16 xc:none -fill white -stroke '#555555' -draw 'rectangle 3,1 12,14' -stroke '#e06c00' \
  -draw 'line 5,4 10,4' -draw 'line 5,7 10,7' -draw 'line 5,10 10,10' -strip report.png

# The cover commands' icons (2170-2172): a framed picture, with a plus, an
# arrow out of it, or a cross.
picture() {
  convert -size 16x16 xc:none -fill '#ffffff' -stroke '#555555' -draw 'rectangle 1,2 12,12' -stroke none \
    -fill '#8fb3e8' -draw 'rectangle 2,3 11,7' -fill '#1f9d3a' -draw 'polygon 2,11 6,6 10,11' "$@"
}
picture -stroke '#2a5db0' -strokewidth 2 -draw 'line 13,8 13,15' -draw 'line 10,12 15,12' -strip cover-add.png
picture -stroke '#e06c00' -strokewidth 2 -draw 'line 9,14 15,8' -fill '#e06c00' -stroke none \
  -draw 'polygon 15,7 15,12 10,7' -strip cover-extract.png
picture -stroke '#c62828' -strokewidth 2 -draw 'line 10,9 15,14' -draw 'line 15,9 10,14' -strip cover-remove.png

# About picture: a gradient banner with the name and a row of notes.
convert -size 254x85 gradient:'#2a5db0'-'#8fb3e8' \
  -font "$font" -pointsize 30 -fill white -annotate +14+44 'Quillory' \
  -font DejaVu-Sans -pointsize 12 -annotate +16+68 'MP3 tags, a folder at a time' \
  -fill '#ffffff' -draw 'ellipse 212,52 9,7 0,360' -draw 'rectangle 219,18 222,52' \
  -draw 'polygon 222,18 240,26 222,30' \
  -type TrueColor -define bmp:format=bmp3 -compress none about.bmp
