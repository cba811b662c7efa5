#!/usr/bin/env bash
# Draws the hand pointer HAND-M.CUR: a 32 by 32 Windows cursor, a pointing hand
# whose hot spot is the tip of the index finger. Needs ImageMagick and python3.
set -euo pipefail
out=${1:-"$(dirname "$0")/../resources/program/HAND-M.CUR"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Index finger up from (11,1); three folded fingers to the right; thumb at left.
convert -size 32x32 xc:none -strokewidth 1 -stroke black -fill white \
  -draw "path 'M 10,3 Q 10,1 12,1 Q 14,1 14,3 L 14,12 L 15,12 Q 15,10 17,10 Q 19,10 19,12 L 19,13
               Q 19,11 21,11 Q 23,11 23,13 L 23,14 Q 23,12 25,12 Q 27,12 27,14 L 27,22
               Q 27,27 23,29 L 13,29 Q 10,27 8,24 L 4,18 Q 3,16 5,15 Q 7,14 8,16 L 10,19 Z'" \
  -draw "line 19,13 19,17" -draw "line 23,14 23,17" -draw "line 14,12 14,17" \
  "$tmp/hand.ico"

python3 - "$tmp/hand.ico" "$out" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
# An icon file becomes a cursor file: type 2, and the entry's planes and bit
# count fields hold the hot spot instead.
struct.pack_into('<H', data, 2, 2)
struct.pack_into('<HH', data, 6 + 4, 12, 1)
open(sys.argv[2], 'wb').write(data)
PY
echo "wrote $out"
