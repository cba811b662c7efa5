#!/bin/sh
# Draws the splash picture shipped beside the program: the product name on a
# clean, light background. Needs ImageMagick (Debian: imagemagick) and a bold
# sans-serif font (fonts-liberation2). Run from anywhere; it writes
# resources/Splash/Vistarel.png, which is committed.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/resources/Splash/Vistarel.png"
font=$(fc-match -f '%{file}' 'Liberation Sans:bold')

# 450 by 250 pixels, fading to white at the bottom, where the window adds a
# white band for the check box.
convert -size 450x250 gradient:'#e6edf5-#ffffff' \
  -fill '#1f3b5c' -font "$font" -pointsize 68 -gravity center -annotate +0-18 'Vistarel' \
  -fill '#5b7590' -pointsize 17 -annotate +0+40 'Video metadata, file by file' \
  -fill '#2f6fb0' -draw 'rectangle 175,192 275,194' \
  -strip -define png:exclude-chunks=date,time "PNG24:$out"
echo "wrote $out"
