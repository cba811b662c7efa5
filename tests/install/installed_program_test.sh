#!/usr/bin/env bash
# Installs the build into a staging folder and uses the installed program as a
# person would, on a virtual display: it must not count as a development run,
# must find its samples and read them, and must end cleanly when its window is
# closed.
#   installed_program_test.sh BUILD_DIR CLOSE_WINDOW_TOOL
set -euo pipefail

if [ "${1:-}" != --inside ]; then
  build=$1 close_window=$2
  for tool in Xvfb xdotool xclip; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
  stage=$(mktemp -d)
  trap 'rm -rf "$stage"' EXIT
  DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null

  program="$stage/usr/lib/vistarel"
  [ "$(readlink -f "$stage/usr/bin/vistarel")" = "$program/vistarel" ] || {
    echo "FAIL: bin/vistarel does not lead to the program folder"; exit 1; }
  for needed in HAND-M.CUR Splash Samples; do
    [ -e "$program/$needed" ] || { echo "FAIL: $needed is not in the program folder"; exit 1; }
  done
  [ ! -e "$program/vistarel.build-tree" ] || { echo "FAIL: the installed tree is marked as a build tree"; exit 1; }

  export HOME="$stage/home" XDG_CONFIG_HOME="$stage/home/.config"
  mkdir -p "$HOME"
  unset QT_QPA_PLATFORM
  "$(dirname "$0")/../support/on_virtual_display.sh" "-screen 0 1024x768x24" \
    "$0" --inside "$stage" "$close_window"
  exit
fi

stage=$2 close_window=$3
program="$stage/usr/lib/vistarel"
fail() { echo "FAIL: $*"; kill "$pid" 2>/dev/null || true; exit 1; }

# shellcheck source=../support/main_window.sh
source "$(dirname "$0")/../support/main_window.sh"
click() {  # x y in the main window's pixels
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + $1)) $((Y + $2)) click 1
}

started=$(date +%s%N)
"$stage/usr/bin/vistarel" &
pid=$!
await_main_window || fail "the main window did not appear"
waited=$(( ($(date +%s%N) - started) / 1000000 ))
echo "main window after ${waited} ms"
# An installed program keeps its splash up for 4 s; a development run for 0.4 s.
[ "$waited" -ge 3500 ] || fail "the splash was shortened as in a development run"

# Clicks at $1 $2 and waits until a box of the program comes up (a visible
# window of its title that was not there before, other than the main window),
# at most $4 seconds, then answers it with the key $3.
click_and_answer() {
  local before id tries=$(( ${4:-30} * 10 ))
  before=" $(xdotool search --onlyvisible --name '^Vistarel$' 2>/dev/null | tr '\n' ' ') "
  click "$1" "$2"
  for _ in $(seq "$tries"); do
    for id in $(xdotool search --onlyvisible --name '^Vistarel$' 2>/dev/null); do
      case "$before" in *" $id "*) continue ;; esac
      # Keys sent to a window are synthetic, which Qt ignores: the box has the focus.
      xdotool key "$3"
      for _ in $(seq 50); do
        xdotool search --onlyvisible --name '^Vistarel$' 2>/dev/null | grep -qx "$id" || return 0
        sleep 0.02
      done
      return 0
    done
    sleep 0.1
  done
  fail "no box came within ${4:-30} s"
}

click_and_answer 400 264 Escape       # Load Sample/Example Files; "No" to opening the folder
click_and_answer 268 298 Return 120   # Start Extracting Metadata; "Done."
click_and_answer 136 575 Return       # Copy Results To Clipboard; how to paste
for _ in $(seq 100); do xclip -o -selection clipboard 2>/dev/null | grep -q "$program/Samples/" && break; sleep 0.1; done

rows=$(xclip -o -selection clipboard | tr -d '\r')
samples=$(ls "$program/Samples" | wc -l)
echo "$rows" | cut -c1-160
[ "$(echo "$rows" | grep -c "^$program/Samples/")" -eq "$samples" ] ||
  fail "expected one row per sample ($samples)"
echo "$rows" | grep -v -q $'^[^\t]*\t *\t' || fail "a sample has no media values"

"$close_window" Vistarel >/dev/null || fail "no window to close"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end when its window closed"
wait "$pid" && echo "ended cleanly" || fail "the program ended with status $?"
