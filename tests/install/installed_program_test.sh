#!/usr/bin/env bash
# Installs the build into a staging folder and uses the installed program as a
# person would, on a virtual display: it must not count as a development run,
# must find its samples and read them, and must end cleanly when its window is
# closed; opened from a file manager, it must list the files it was given. The
# Debian package built from the same tree must satisfy Debian's package checker.
#   installed_program_test.sh BUILD_DIR CLOSE_WINDOW_TOOL
set -euo pipefail

if [ "${1:-}" != --inside ]; then
  build=$1 close_window=$2
  for tool in Xvfb xdotool xclip cpack lintian desktop-file-validate appstreamcli update-desktop-database gio; do
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

  # What a user looks for beside an installed program, and the desktop's checks
  # of its menu entry and metadata.
  for doc in man/man1/vistarel.1.gz doc/vistarel/copyright doc/vistarel/changelog.gz \
             doc/vistarel/examples/example.qss; do
    [ -f "$stage/usr/share/$doc" ] || { echo "FAIL: $doc is not installed"; exit 1; }
  done
  entry="$stage/usr/share/applications/com.quorvane.Vistarel.desktop"
  said=$(desktop-file-validate "$entry") ||
    { echo "FAIL: the desktop entry does not validate:"; echo "$said"; exit 1; }
  appstreamcli validate --no-net "$stage/usr/share/metainfo/com.quorvane.Vistarel.metainfo.xml" >/dev/null ||
    { echo "FAIL: the AppStream metadata does not validate"; exit 1; }
  # The file managers' "Open With" offers the program for a video, once the
  # menu's type index is made, as the package's install has desktop-file-utils
  # do. GIO passes over entries whose program is not on the PATH.
  # (Read whole before the search: a search that stops at its first match
  # would cut the pipe under a writer that has more to say.)
  update-desktop-database "$stage/usr/share/applications"
  offered=$(PATH="$stage/usr/bin:$PATH" XDG_DATA_DIRS="$stage/usr/share:/usr/share" \
            XDG_DATA_HOME="$stage/data" gio mime video/mp4)
  grep -q 'com\.quorvane\.Vistarel\.desktop' <<<"$offered" ||
    { echo "FAIL: not offered for video/mp4:"; echo "$offered"; exit 1; }

  # The options need no display and show no window.
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$stage/usr/bin/vistarel")
  [ "$("${headless[@]}" --version)" = "Vistarel $version" ] || { echo "FAIL: --version"; exit 1; }
  help=$("${headless[@]}" --help)
  [ "${help%%$'\n'*}" = "Usage: vistarel [options] [PATH|URI...]" ] || { echo "FAIL: --help"; exit 1; }
  status=0
  "${headless[@]}" --no-such-option >"$stage/out" 2>"$stage/err" || status=$?
  [ "$status" -eq 2 ] && [ ! -s "$stage/out" ] && grep -q '^Usage: vistarel ' "$stage/err" ||
    { echo "FAIL: an unknown option gave status $status"; cat "$stage/err"; exit 1; }

  # Debian's package checker has nothing to say of the package.
  cpack --config "$build/CPackConfig.cmake" -B "$stage/deb" >/dev/null
  # Its tags come on standard output; standard error may say that it runs as root.
  said=$(lintian --fail-on error,warning "$stage"/deb/vistarel_*.deb 2>/dev/null) && [ -z "$said" ] ||
    { echo "FAIL: lintian on the package:"; echo "$said"; exit 1; }
  echo "lintian: nothing to say of $(basename "$stage"/deb/vistarel_*.deb)"

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

# Opened from a file manager: GIO, as the file managers use it, launches the
# menu entry with two videos, and both come into the list in their order.
videos=$(mktemp -d -p "$stage")
cp "$(dirname "$0")/../data/media/mp4-h264-aac.mp4" "$videos/a.mp4"
cp "$(dirname "$0")/../data/media/mkv-h264-silent.mkv" "$videos/b.mkv"
# No session bus here: GIO must not start one for its launch notice.
PATH="$stage/usr/bin:$PATH" DBUS_SESSION_BUS_ADDRESS="unix:path=$stage/no-bus" \
  gio launch "$stage/usr/share/applications/com.quorvane.Vistarel.desktop" "$videos/a.mp4" "$videos/b.mkv"
pid=
await_main_window || fail "the main window did not appear when launched through GIO"
pid=$(xdotool getwindowpid "$window")
click_and_answer 268 298 Return 120   # Start Extracting Metadata; "Done."
click_and_answer 136 575 Return       # Copy Results To Clipboard; how to paste
for _ in $(seq 100); do xclip -o -selection clipboard 2>/dev/null | grep -q "^$videos/" && break; sleep 0.1; done
listed=$(xclip -o -selection clipboard | tr -d '\r' | cut -f1 | sed 's/ *$//')
[ "$listed" = "$videos/a.mp4"$'\n'"$videos/b.mkv" ] || fail "launched with two videos, the list held: $listed"
echo "launched through GIO with two videos: both listed"
"$close_window" Vistarel >/dev/null || fail "no window to close"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program launched through GIO did not end when its window closed"
echo "ended cleanly"
