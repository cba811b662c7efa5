#!/usr/bin/env bash
# The main window comes up centred on the screen, frame included, under a real
# window manager (openbox) on a virtual display: the frame is the manager's and
# is known only once the window is mapped.
#   centred_frame_test.sh PROGRAM
set -euo pipefail

if [ "${1:-}" != --inside ]; then
  for tool in Xvfb openbox xdotool xwininfo xprop; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
  home=$(mktemp -d)
  trap 'rm -rf "$home"' EXIT
  export HOME="$home" XDG_CONFIG_HOME="$home/.config"
  unset QT_QPA_PLATFORM
  "$(dirname "$0")/../support/on_virtual_display.sh" "-screen 0 1280x1024x24" "$0" --inside "$1"
  exit
fi

program=$2
openbox >/dev/null 2>&1 &
manager=$!
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window && break; sleep 0.1; done
"$program" >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" "$manager" 2>/dev/null || true' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# shellcheck source=../support/main_window.sh
source "$(dirname "$0")/../support/main_window.sh"
# The frame's left, top, width and height, from the client and the frame extents.
frame() {
  local x y w h l r t b
  read -r x y w h < <(xwininfo -id "$window" | awk '
    /Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}')
  read -r l r t b < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

await_main_window || fail "the main window did not appear"
for _ in $(seq 50); do xprop -id "$window" _NET_FRAME_EXTENTS | grep -q = && break; sleep 0.1; done
# The program moves its window once the manager has framed it; the frame is
# centred within a few seconds and stays there.
centred() {
  read -r fx fy fw fh <<<"$(frame)"
  # Twice the frame's centre against the screen's; a pixel of rounding allowed.
  dx=$((2 * fx + fw - 1280)) dy=$((2 * fy + fh - 1024))
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ]
}
for _ in $(seq 100); do centred && break; sleep 0.1; done
echo "frame at $fx,$fy, $fw x $fh, on 1280 x 1024"
centred || fail "the frame's centre is off by $dx/2, $dy/2 pixels"
sleep 0.5
centred || fail "the frame left the centre for $fx,$fy"
[ "$fh" -gt 596 ] || fail "no frame: the window manager did not frame the window"
echo "centred"
