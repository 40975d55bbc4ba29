#!/bin/bash
# Regenerates res/imagelist1.bmp (22 images of 16x16, magenta mask colour)
# and res/quellmark.ico (16/32/48) from Tango icons (public domain,
# Debian package tango-icon-theme) and ImageMagick 6 drawing primitives.
#   apt-get install -y tango-icon-theme imagemagick
#   bash res/make_images.sh
set -euo pipefail

IM=/usr/bin/convert
T=/usr/share/icons/Tango
RES="$(cd "$(dirname "$0")" && pwd)"
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT

# Tango palette
GREEN_LT='#8ae234' GREEN='#73d216' GREEN_DK='#4e9a06'
RED_LT='#ef2929' RED_DK='#a40000' BLUE='#3465a4' BLUE_DK='#204a87'
ALU_MID='#babdb6' ALU_DK='#888a85' ALU_XDK='#2e3436'
SKIN='#fcd9a5' SKIN_DK='#8f5902'

t16() { echo "$T/16x16/$1.png"; }
t32() { echo "$T/32x32/$1.png"; }

# Shrinks a large (64px+) drawing to NxN.
shrink() { "$IM" "$1" -filter Box -resize "$2x$2" "$3"; }

# ---- hand-made images ------------------------------------------------------

# 1: folder with a small program window in front of it
folder_window() {
  "$IM" "$(t16 places/folder)" +antialias -strokewidth 1 \
    -fill white -stroke "$ALU_XDK" -draw 'rectangle 6,6 15,15' \
    -fill "$BLUE" -stroke none -draw 'rectangle 7,7 14,8' \
    -fill "$ALU_MID" -draw 'rectangle 8,10 13,10 rectangle 8,12 11,12' \
    "$1"
}

# 9: orange arrow pointing right (Tango green arrow, hue-shifted to orange)
orange_arrow() { "$IM" "$(t16 actions/go-next)" -modulate 110,160,70 "$1"; }

# 10: three green cubes; drawn in 16px coordinates at 4x, then shrunk
green_cubes() {
  local d="" x y
  for xy in 0,7 7,7 4,2; do           # two at the bottom, one on top
    x=${xy%,*} y=${xy#*,}
    d+=" fill $GREEN_LT path 'M $x,$((y+2)) l 2,-2 h 5 l -2,2 z'"
    d+=" fill $GREEN    path 'M $x,$((y+2)) h 5 v 5 h -5 z'"
    d+=" fill $GREEN_DK path 'M $((x+5)),$((y+2)) l 2,-2 v 5 l -2,2 z'"
  done
  "$IM" -size 64x64 xc:none -stroke '#2d5a03' -strokewidth 1 \
    -draw "translate 2,2 scale 4,4 stroke-linejoin round $d" "$TMP/cubes.png"
  shrink "$TMP/cubes.png" 16 "$1"
}

# 13: page with a red cross
page_cross() {
  "$IM" -size 64x64 xc:none \
    -stroke "$RED_DK" -strokewidth 16 -draw 'stroke-linecap round line 32,32 56,56 line 56,32 32,56' \
    -stroke "$RED_LT" -strokewidth 8  -draw 'stroke-linecap round line 32,32 56,56 line 56,32 32,56' \
    "$TMP/cross.png"
  shrink "$TMP/cross.png" 16 "$TMP/cross16.png"
  "$IM" "$(t16 mimetypes/text-x-generic)" "$TMP/cross16.png" -composite "$1"
}

# 14: hand holding a page
hand_page() {
  "$IM" -size 64x64 xc:none \
    \( "$(t32 mimetypes/text-x-generic)" -resize 48x48 \) -geometry +16+0 -composite \
    -stroke "$SKIN_DK" -strokewidth 3 -fill "$SKIN" \
    -draw 'roundrectangle 16,26 27,54 5,5' \
    -draw 'roundrectangle 8,44 60,60 7,7' \
    -stroke none -draw 'rectangle 18,42 25,50' \
    -stroke "$SKIN_DK" -strokewidth 2 -draw 'line 36,52 58,52' \
    -stroke "$BLUE_DK" -strokewidth 3 -fill "$BLUE" -draw 'rectangle 1,40 10,63' \
    "$TMP/hand.png"
  shrink "$TMP/hand.png" 16 "$1"
}

# ---- the strip -------------------------------------------------------------

# One entry per index: a Tango 16x16 file, or ":function" for a hand-made one
STRIP=(
  devices/computer              #  0
  :folder_window                #  1
  places/folder                 #  2
  apps/system-users             #  3
  devices/drive-harddisk        #  4
  apps/utilities-terminal       #  5
  mimetypes/application-x-executable  #  6
  places/network-server         #  7
  apps/internet-web-browser     #  8
  :orange_arrow                 #  9
  :green_cubes                  # 10
  mimetypes/text-x-generic      # 11
  apps/office-calendar          # 12
  :page_cross                   # 13
  :hand_page                    # 14
  devices/printer               # 15
  emblems/emblem-system         # 16
  status/dialog-warning         # 17
  status/dialog-error           # 18
  actions/system-log-out        # 19
  actions/view-refresh          # 20
  actions/edit-find             # 21
)

tiles=()
for i in "${!STRIP[@]}"; do
  src="${STRIP[$i]}" png="$TMP/tile$i.png" out="$TMP/tile$i.miff"
  if [[ $src == :* ]]; then "${src#:}" "$png"; else cp "$(t16 "$src")" "$png"; fi
  # Colours flattened onto light grey; alpha cut at 50% so the mask is
  # crisp; everything transparent becomes magenta.
  "$IM" "$png" -background none -gravity center -extent 16x16 \
    \( -clone 0 -background '#d4d4d4' -flatten \) \
    \( -clone 0 -alpha extract -threshold 50% \) \
    -delete 0 -alpha off -compose CopyOpacity -composite \
    -compose Over -background '#ff00ff' -flatten "$out"
  tiles+=("$out")
done
"$IM" "${tiles[@]}" +append -alpha off -type TrueColor \
  BMP3:"$RES/imagelist1.bmp"

# ---- the program icon: a list with a green "start" button ------------------

"$IM" -size 256x256 xc:none \
  -stroke "$ALU_DK" -strokewidth 8 -fill white \
  -draw 'roundrectangle 24,8 200,232 16,16' \
  -stroke none -fill "$BLUE" \
  -draw 'rectangle 48,40 72,64 rectangle 48,88 72,112 rectangle 48,136 72,160' \
  -fill "$ALU_MID" \
  -draw 'rectangle 88,44 176,60 rectangle 88,92 176,108 rectangle 88,140 120,156' \
  -stroke "$GREEN_DK" -strokewidth 10 -fill "$GREEN" \
  -draw 'circle 176,176 176,248' \
  -stroke none -fill "$GREEN_LT" -draw 'ellipse 176,150 50,28 0,360' \
  -stroke white -strokewidth 6 -fill white \
  -draw 'stroke-linejoin round polygon 156,140 156,212 216,176' \
  "$TMP/icon.png"
for n in 48 32 16; do shrink "$TMP/icon.png" $n "$TMP/icon$n.png"; done
"$IM" "$TMP/icon48.png" "$TMP/icon32.png" "$TMP/icon16.png" \
  ICO:"$RES/quellmark.ico"
