#!/usr/bin/env bash
# Turns the generated art of a build into the PNGs shown in the README (docs/).
# Needs netpbm. Usage: tools/art-pngs.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
gen=${1:-build}/assets/gen
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# P4 set bits are white in the demo but black in netpbm: invert the bitmaps.
pnminvert "$gen/font.pbm" | pamenlarge 3 | pnmtopng -compression 9 > docs/font.png
pnminvert "$gen/logo-mask.pbm" | pamenlarge 2 | pnmtopng -compression 9 > docs/logo-mask.png
pamenlarge 2 "$gen/logo.ppm" | pnmtopng -compression 9 > docs/logo.png
# The seven pictures as a contact sheet: four above, three below, 8 pixels apart.
for i in 0 1 2 3 4 5 6; do
    pnmpad -black -right 8 -bottom 8 "$gen/picture-$i.ppm" > "$tmp/$i.ppm"
done
pnmcat -lr "$tmp/0.ppm" "$tmp/1.ppm" "$tmp/2.ppm" "$tmp/3.ppm" > "$tmp/top.ppm"
pnmcat -lr "$tmp/4.ppm" "$tmp/5.ppm" "$tmp/6.ppm" > "$tmp/bottom.ppm"
pnmcat -tb -jleft -black "$tmp/top.ppm" "$tmp/bottom.ppm" | pamenlarge 2 |
    pnmtopng -compression 9 > docs/pictures.png
