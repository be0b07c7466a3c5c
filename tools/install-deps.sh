#!/usr/bin/env bash
# Installs, from Debian's packages, everything the game, its tools and its tests
# need. Idempotent: when every package is already installed it does nothing.
#
#   tools/install-deps.sh        the game, its tools and its tests
#   tools/install-deps.sh fuzz   the same, and clang with libFuzzer for tools/fuzz.sh
#   tools/install-deps.sh format the same, and clang-format for tools/check-format.sh
#   tools/install-deps.sh web    the same, and node, npm and chromium for tests/web
#                                and tools/bench-web.sh
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config
  # tests
  googletest libgtest-dev xvfb xdotool x11-utils
  # window-manager tests: a real window manager under Xvfb
  openbox
  # sound
  libsdl2-dev
  # images and meshes
  libpng-dev libjpeg62-turbo-dev zlib1g-dev
  # font
  libfreetype-dev libfontconfig-dev fonts-liberation2
  # rendering: OpenGL through libepoxy, EGL surfaceless for headless work
  libepoxy-dev libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri
  # window, menus and dialogs
  libfltk1.3-dev xdg-utils
  # the desktop entry and the AppStream metainfo, checked by the install tests
  desktop-file-utils appstream
  # the commit's time that dates the package, and the reproducibility check
  git
  # the Debian package as a packager checks it
  lintian
)

for extra in "$@"; do
  case "$extra" in
    fuzz) packages+=(clang libfuzzer-14-dev) ;;
    format) packages+=(clang-format) ;;
    web)
      # The machine's Node.js may bring its own npm, which Debian's npm conflicts with.
      packages+=(nodejs chromium)
      command -v npm >/dev/null || packages+=(npm)
      ;;
    --help | -h)
      sed -n '2,9s/^# \{0,1\}//p' "$0"
      exit 0
      ;;
    *)
      echo "usage: $0 [fuzz] [format] [web]" >&2
      exit 2
      ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
