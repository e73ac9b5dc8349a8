#!/usr/bin/env bash
# Makes the program's window icon: two crossed five-pointed star outlines in
# gold and pink on the designs' dark blue, inside a pink ring, drawn with
# ImageMagick. Run it from anywhere; it writes next to itself. The output is
# committed, so the build does not need it.
set -euo pipefail
cd "$(dirname "$0")"

# Vertices of a five-pointed star (every second point of a pentagon) of
# radius r around (c, c), the first point turned by t degrees from the top.
star() {
  python3 - "$1" "$2" "$3" <<'PY'
import math, sys
c, r, t = (float(a) for a in sys.argv[1:])
pts = []
for j in range(5):
    m = (2 * j) % 5
    a = math.radians(72 * m + t)
    pts.append("%.1f,%.1f" % (c + r * math.sin(a), c - r * math.cos(a)))
print(" ".join(pts))
PY
}

convert -size 64x64 xc:none \
  -fill '#000040' -stroke '#d7157b' -strokewidth 4 -draw 'circle 32,32 32,3' \
  -fill none -stroke '#ffd700' -strokewidth 3 -draw "polygon $(star 32 25 0)" \
  -stroke '#ff8fb1' -strokewidth 2 -draw "polygon $(star 32 25 36)" \
  -fill '#ffd700' -stroke none -draw 'circle 32,32 32,27' \
  lanhe.png
