#!/usr/bin/env bash
# Generates the small media files of tests/data/media with ffmpeg (Debian
# package ffmpeg). The outputs are committed, so the tests never need ffmpeg;
# run this only to remake them. Each file lasts one second at a tiny size, and
# bit-exact flags keep encoder version strings out of the files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/tests/data/media}
mkdir -p "$out"

source "$root/tools/ffmpeg-common.sh"

video() { echo -f lavfi -i "testsrc=size=$1:rate=$2:duration=1"; }
tone() { echo -f lavfi -i "sine=frequency=440:sample_rate=$1:duration=1"; }

# shellcheck disable=SC2046
{
  make mp4-h264-aac.mp4 $(video 320x240 25) $(tone 48000) "${exact[@]}" \
    -c:v libx264 -preset veryfast -crf 40 -pix_fmt yuv420p -c:a aac -b:a 32k -ac 2
  make avi-mpeg4-mp3.avi $(video 176x144 25) $(tone 44100) "${exact[@]}" \
    -c:v mpeg4 -q:v 20 -c:a libmp3lame -b:a 32k -ac 1
  make avi-mjpeg-pcm.avi $(video 160x120 15) $(tone 8000) "${exact[@]}" \
    -c:v mjpeg -q:v 25 -pix_fmt yuvj420p -c:a pcm_s16le -ac 1
  make mpeg-ps-mpeg2-mp2.mpg $(video 352x288 25) $(tone 48000) "${exact[@]}" \
    -c:v mpeg2video -b:v 200k -c:a mp2 -b:a 64k -ac 2 -f vob
  make mov-h264-aac.mov $(video 240x180 30) $(tone 44100) "${exact[@]}" \
    -c:v libx264 -preset veryfast -crf 40 -profile:v main -pix_fmt yuv420p -c:a aac -b:a 32k -ac 1
  make flv-flv1-mp3.flv $(video 320x240 25) $(tone 22050) "${exact[@]}" \
    -c:v flv -q:v 25 -c:a libmp3lame -b:a 32k -ac 1
  make wmv-wmv2-wma.wmv $(video 320x240 25) $(tone 44100) "${exact[@]}" \
    -c:v wmv2 -b:v 100k -c:a wmav2 -b:a 32k -ac 2
  make mkv-h264-silent.mkv $(video 320x240 24) "${exact[@]}" \
    -c:v libx264 -preset veryfast -crf 40 -pix_fmt yuv420p -an
  make webm-vp9-opus.webm $(video 320x240 25) $(tone 48000) "${exact[@]}" \
    -c:v libvpx-vp9 -b:v 100k -deadline realtime -cpu-used 8 -c:a libopus -b:a 24k -ac 2
  make mpeg-ts-h264-aac.ts $(video 320x240 25) $(tone 48000) "${exact[@]}" \
    -c:v libx264 -preset veryfast -crf 40 -pix_fmt yuv420p -c:a aac -b:a 32k -ac 2
  make mp4-tagged.mp4 $(video 160x120 25) $(tone 48000) "${exact[@]}" \
    -c:v libx264 -preset veryfast -crf 40 -pix_fmt yuv420p -c:a aac -b:a 32k -ac 2 \
    -metadata title="Größe 日本 🎬" -metadata artist="Ana Núñez" -metadata album="Prüfband" \
    -metadata genre="Documentary" -metadata date="2021" \
    -metadata comment="Tagged for the binding tests" -metadata copyright="© 2021 Vistarel"
}

echo "total: $(du -cb "$out" | tail -1 | cut -f1) bytes"
