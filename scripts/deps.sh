# Sourced by scripts/run and scripts/test: installs the Debian packages that
# the build, the program and its tests need, and only those that are missing.

VISTAREL_BUILD_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6
  libgtest-dev libgmock-dev
  libmediainfo0v5 libxlsxwriter-dev libglib2.0-dev libxcb1-dev libseccomp-dev
  fonts-liberation2
)
# What only the tests and benchmarks use: the media library's own command line,
# ffmpeg-free archive readers, a virtual display with a window manager to close
# the window through, a non-UTF-8 locale and FUSE to play a slow disk; and for
# the installed program, what builds and checks its Debian package, checks its
# menu entry and metadata, and launches it as the file managers do (GIO).
VISTAREL_TEST_PACKAGES=(
  mediainfo unzip xvfb xauth openbox x11-utils locales xdotool xclip fuse3 libfuse3-dev
  dpkg-dev file lintian desktop-file-utils appstream libglib2.0-bin
)

vistarel_install_packages() {
  local wanted=("$@") missing=() pkg
  for pkg in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || {
      echo "vistarel: these Debian packages are missing and sudo is not available: ${missing[*]}" >&2
      return 1
    }
    sudo=(sudo)
  fi
  echo "vistarel: installing ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
