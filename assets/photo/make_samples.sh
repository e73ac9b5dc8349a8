#!/usr/bin/env bash
# Makes the sample photos of the four picture slots and the hidden initial
# picture of the centre photo box: clearly synthetic, square (slot 4 nearly
# so) pictures drawn with ImageMagick. Run it from anywhere; it writes next
# to itself. The outputs are committed, so the build does not need it.
set -euo pipefail
cd "$(dirname "$0")"

# Slot 1, 264 x 264: a sunset over layered hills.
convert -size 264x264 gradient:'#ffb347-#ff5e62' \
  -fill '#fff3b0' -draw 'circle 132,150 132,110' \
  -fill '#5b2c6f' -draw 'polygon 0,264 0,190 60,160 120,195 180,150 264,200 264,264' \
  -fill '#2e1a47' -draw 'polygon 0,264 0,225 80,205 150,230 210,200 264,225 264,264' \
  -quality 90 sample1.jpg

# Slot 2, 224 x 224: a five-petal flower on a soft green ground.
convert -size 224x224 radial-gradient:'#e8f8d8-#7fbf6a' \
  -fill '#ff8fb1' -stroke '#d7157b' -strokewidth 2 \
  -draw 'circle 112,62 112,92' -draw 'circle 160,97 160,127' -draw 'circle 142,153 142,183' \
  -draw 'circle 82,153 82,183' -draw 'circle 64,97 64,127' \
  -fill '#ffd23f' -stroke '#e09f00' -draw 'circle 112,112 112,138' \
  -quality 90 sample2.jpg

# Slot 3, 169 x 169: concentric rings in blue and gold.
convert -size 169x169 xc:'#0b3d91' -fill none -strokewidth 9 \
  -stroke '#ffd700' -draw 'circle 84,84 84,12' \
  -stroke '#4fc3f7' -draw 'circle 84,84 84,32' \
  -stroke '#ffd700' -draw 'circle 84,84 84,52' \
  -fill '#ffffff' -stroke none -draw 'circle 84,84 84,72' \
  -quality 90 sample3.jpg

# Slot 4, 377 x 380: a night sky with a crescent moon over the sea.
convert -size 377x380 gradient:'#0d1b4c-#3a6ea5' \
  -fill '#fdf6c3' -draw 'circle 270,100 270,50' \
  -fill '#1f3d7a' -draw 'circle 292,85 292,37' \
  -fill '#ffffff' -draw 'point 40,40' -draw 'circle 60,70 60,72' -draw 'circle 120,30 120,32' \
  -draw 'circle 180,90 180,92' -draw 'circle 90,140 90,142' -draw 'circle 30,180 30,182' \
  -fill '#123060' -draw 'rectangle 0,260 377,380' \
  -stroke '#9ecbff' -strokewidth 3 -draw 'line 230,280 310,280' -draw 'line 250,300 290,300' \
  -quality 90 sample4.jpg

# The centre photo box's own picture, 857 x 857, never on screen.
convert -size 857x857 gradient:'#004040-#008080' \
  -fill none -stroke '#d7157b' -strokewidth 20 -draw 'circle 428,428 428,60' \
  -quality 85 initial.jpg
