#!/usr/bin/env bash
# Records one frame of each demo part with quor7706-record and writes them as
# the PNGs of the README's "What you see" (docs/part-*.png). Needs netpbm.
# Usage: tools/record-pngs.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
record=$(realpath "${1:-build}/program/quor7706-record")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# One whole cycle: the pictures, the tiles, the logo.
"$record" --quiet -o "$tmp/cycle/"
# The rotor: in the cycle, reached by pressing SPACE through the other parts.
QUOR7706_ROTOR=1 "$record" --quiet --frames 300 --keys 70:space,71:space,72:space -o "$tmp/rotor/"
png() { pnmtopng -compression 9 "$1" > "docs/part-$2.png"; }
png "$tmp/cycle/frame-01000.ppm" pictures
png "$tmp/cycle/frame-03000.ppm" tiles
png "$tmp/cycle/frame-04000.ppm" logo
png "$tmp/rotor/frame-00300.ppm" rotor
