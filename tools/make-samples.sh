#!/usr/bin/env bash
# Generates the sample videos that "Load Sample/Example Files" lists, one of
# each kind the open-file dialog's video filter names, into resources/Samples
# with ffmpeg (Debian package ffmpeg). The outputs are committed and shipped
# beside the program; run this only to remake them. Each holds three seconds
# of test pattern and tone, small enough that all six stay well under 1 MB,
# and bit-exact flags keep encoder version strings out of the files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/resources/Samples}
mkdir -p "$out"

source "$root/tools/ffmpeg-common.sh"

seconds=3
video() { echo -f lavfi -i "testsrc=size=320x240:rate=$1:duration=$seconds"; }
tone() { echo -f lavfi -i "sine=frequency=$1:sample_rate=$2:duration=$seconds"; }

# shellcheck disable=SC2046
{
  make Sample.avi $(video 25) $(tone 440 44100) "${exact[@]}" \
    -c:v mpeg4 -q:v 12 -c:a libmp3lame -b:a 48k -ac 2
  make Sample.mpg $(video 25) $(tone 523 48000) "${exact[@]}" \
    -c:v mpeg2video -b:v 300k -c:a mp2 -b:a 64k -ac 2 -f vob
  make Sample.flv $(video 25) $(tone 587 22050) "${exact[@]}" \
    -c:v flv -q:v 12 -c:a libmp3lame -b:a 32k -ac 1
  make Sample.wmv $(video 25) $(tone 659 44100) "${exact[@]}" \
    -c:v wmv2 -b:v 200k -c:a wmav2 -b:a 48k -ac 2
  make Sample.mov $(video 30) $(tone 698 44100) "${exact[@]}" \
    -c:v libx264 -preset veryfast -crf 32 -profile:v main -pix_fmt yuv420p -c:a aac -b:a 48k -ac 2
  make Sample.mp4 $(video 25) $(tone 784 48000) "${exact[@]}" \
    -c:v libx264 -preset veryfast -crf 32 -pix_fmt yuv420p -c:a aac -b:a 48k -ac 2 \
    -movflags +faststart
}

echo "total: $(du -cb "$out" | tail -1 | cut -f1) bytes"
