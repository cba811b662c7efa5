#!/usr/bin/env bash
# Runs a command under openbox on the display it is given (DISPLAY), and ends
# openbox after it.
#   with_openbox.sh COMMAND [ARGS...]
set -euo pipefail

for tool in openbox xprop; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
openbox >/dev/null 2>&1 &
manager=$!
trap 'kill "$manager" 2>/dev/null || true; wait "$manager" 2>/dev/null || true' EXIT
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
for _ in $(seq 100); do managed && break; sleep 0.1; done
managed || { echo "FAIL: openbox did not take the display within 10 s"; exit 1; }

status=0
"$@" || status=$?
exit "$status"
