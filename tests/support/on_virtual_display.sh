#!/usr/bin/env bash
# Runs a command on a virtual display of its own and ends the display after it.
# The server picks a free display number itself and says which (-displayfd), so
# two tests that start at once never reach for the same one, as `xvfb-run -a`
# does when both see the same number free. The server is never reset: by
# default it resets whenever its last client leaves, and a program that
# connects just then is turned away (a `xdotool` that looks for the window
# before the program is up is such a last client).
#   on_virtual_display.sh "-screen 0 1024x768x24" COMMAND [ARGS...]
set -euo pipefail

screen=$1
shift
command -v Xvfb >/dev/null || { echo "skipped: Xvfb is not installed"; exit 77; }

said=$(mktemp)
server=
cleanup() {
  [ -z "$server" ] || { kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; }
  rm -f "$said"
}
trap cleanup EXIT

# shellcheck disable=SC2086  # the screen options are words on purpose
Xvfb -displayfd 3 -nolisten tcp -noreset $screen 3>"$said" 2>/dev/null &
server=$!
# The number comes once the server listens; a server that dies says nothing.
for _ in $(seq 200); do
  [ "$(wc -l <"$said")" -ge 1 ] && break
  kill -0 "$server" 2>/dev/null || { echo "FAIL: the virtual display did not start"; exit 1; }
  sleep 0.05
done
number=$(head -n1 "$said")
[ -n "$number" ] || { echo "FAIL: the virtual display gave no number within 10 s"; exit 1; }

status=0
DISPLAY=":$number" "$@" || status=$?
exit "$status"
