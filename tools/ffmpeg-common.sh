# Sourced by the media scripts: checks for ffmpeg and gives them `exact` (the
# flags that keep encoder version strings out of the files) and `make NAME ARGS`
# (runs ffmpeg with ARGS into $out/NAME and prints the size).
command -v ffmpeg >/dev/null || {
  echo "$(basename "$0"): ffmpeg is missing (apt-get install ffmpeg)" >&2
  exit 1
}

exact=(-fflags +bitexact -flags:v +bitexact -flags:a +bitexact -map_metadata -1)

make() {
  local name=$1
  shift
  ffmpeg -hide_banner -loglevel error -y "$@" "$out/$name"
  echo "$name: $(stat -c %s "$out/$name") bytes"
}
