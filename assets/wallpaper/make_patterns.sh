#!/usr/bin/env bash
# Makes the wallpaper maker's thirteen stored pictures with the program's own
# design engine: each is one design of a category recipe (render_design,
# 857 x 857 PNG), scaled and stored in the format and size the window holds.
# The outputs are committed, so the build does not need this script.
#
#   assets/wallpaper/make_patterns.sh [build-dir]     (default: build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../../build}"
render="$build/bin/render_design"
[ -x "$render" ] || { echo "make_patterns: build render_design first ($render)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# name category seed ticks format size
while read -r name category seed ticks format size; do
  [ -z "$name" ] && continue
  "$render" "$category" "$work/$name.png" "$seed" "$ticks" >/dev/null
  case "$format" in
    bmp) convert "$work/$name.png" -resize "${size}!" -type TrueColor -define bmp:format=bmp3 \
           "BMP3:$here/$name.bmp" ;;
    jpg) convert "$work/$name.png" -resize "${size}!" -quality 88 -sampling-factor 4:4:4 \
           "$here/$name.jpg" ;;
  esac
done <<'LIST'
tile      2  11  1 bmp 382x383
pattern1  3  21  1 jpg 685x685
pattern2  4  22  1 jpg 685x685
pattern3  5  23  1 jpg 685x685
pattern4  6  24  1 jpg 685x685
pattern5  7  25  1 jpg 685x685
pattern6  8  26  1 jpg 685x685
pattern7  9  27  1 jpg 857x857
pattern8  10 28  1 jpg 685x685
pattern9  11 29  1 jpg 857x857
pattern10 2  30  2 jpg 857x857
pattern11 3  31  2 bmp 589x589
pattern12 4  32  2 jpg 857x857
LIST
echo "make_patterns: wrote the tile and twelve patterns to $here"
