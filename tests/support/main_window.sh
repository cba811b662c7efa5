# Sourced by the tests that drive the real program on a virtual display.

# The main window is the one of the designed size; the splash comes first.
main_window() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Vistarel$' 2>/dev/null); do
    xdotool getwindowgeometry "$id" | grep -q 'Geometry: 536x596' && { echo "$id"; return 0; }
  done
  return 1
}

# Sets `window` to the main window once it is shown, at most 15 s on.
# One start in a hundred opens the home page; without a browser here that is
# reported in a box, which start-up waits on: it is answered.
await_main_window() {
  window=
  for _ in $(seq 150); do
    window=$(main_window) && return 0
    if xdotool search --onlyvisible --name '^Application Error$' >/dev/null 2>&1; then
      xdotool key Return
    fi
    sleep 0.1
  done
  return 1
}
