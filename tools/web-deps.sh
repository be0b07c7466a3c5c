#!/usr/bin/env bash
# Builds the C libraries the web build links (zlib, libpng, libjpeg-turbo,
# FreeType) for WebAssembly, from Debian's own source packages, once, into
# a cache folder outside the source tree:
#
#   tools/web-deps.sh PREFIX
#
# PREFIX/include and PREFIX/lib hold the result; PREFIX/.done names the
# versions built, and a second run with the same versions does nothing.
# Emscripten's ports would download these from the internet; Debian's
# sources are what the desktop build links too, so both builds decode the
# same images with the same code.
set -euo pipefail
prefix=${1:?usage: $0 PREFIX}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
sources="$prefix/sources"

# The source packages, each at the main archive's version: the security
# archive's sources are not served.
packages=(zlib libpng1.6 libjpeg-turbo freetype)

main_version() {
  apt-cache showsrc "$1" 2>/dev/null |
    awk '/^Version:/ {print $2}' | head -1
}

# apt-get source needs a deb-src entry for the main archive.
if ! apt-cache showsrc zlib >/dev/null 2>&1 || [ -z "$(main_version zlib)" ]; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Adding Debian's source archive (deb-src) to apt's sources"
  "${sudo[@]}" tee /etc/apt/sources.list.d/kestrune-deb-src.sources >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  "${sudo[@]}" apt-get update -qq
fi

wanted=""
for package in "${packages[@]}"; do
  version=$(main_version "$package")
  [ -n "$version" ] || { echo "web-deps: no source package for $package" >&2; exit 1; }
  wanted+="$package=$version "
done
# How FreeType is built is part of what was built: a change rebuilds.
freetype_flags="-msimd128 -msse2"
built="${wanted}freetype-cflags=${freetype_flags// /,}"
if [ -f "$prefix/.done" ] && [ "$(cat "$prefix/.done")" = "$built" ]; then
  exit 0
fi

rm -rf "$sources" "$prefix/include" "$prefix/lib"
mkdir -p "$sources"
for spec in $wanted; do
  (cd "$sources" && apt-get source -qq "$spec" >/dev/null 2>&1) ||
    { echo "web-deps: apt-get source $spec failed" >&2; exit 1; }
done

# Each source folder, found by its package's name.
source_folder() {
  find "$sources" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | head -1
}

# CMake's try-run checks run the compiled probe under node; without the
# emulator every type size reads 9.
emulator="$(command -v node);--no-experimental-fetch"
export NODE_PATH=/usr/share/nodejs
common=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix"
  -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" -DBUILD_SHARED_LIBS=OFF)

build() {
  local name=$1
  shift
  local folder
  folder=$(source_folder "$name")
  [ -n "$folder" ] || { echo "web-deps: $name's sources did not unpack" >&2; exit 1; }
  echo "web-deps: building $(basename "$folder")"
  emcmake cmake -S "$folder" -B "$folder/build-wasm" "${common[@]}" "$@" >"$folder/build.log" 2>&1 ||
    { tail -30 "$folder/build.log" >&2; exit 1; }
  cmake --build "$folder/build-wasm" -j"$(nproc)" >>"$folder/build.log" 2>&1 &&
    cmake --install "$folder/build-wasm" >>"$folder/build.log" 2>&1 ||
    { tail -30 "$folder/build.log" >&2; exit 1; }
}

# Debian's zlib source leaves out the Windows resource its CMake list names
# for the shared library, which a wasm build never makes.
zlib=$(source_folder zlib)
mkdir -p "$zlib/win32" && touch "$zlib/win32/zlib1.rc"
build zlib
build libpng1.6 -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
build libjpeg-turbo -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
# FreeType's rasteriser flattens curves in one of two ways, chosen by the
# processor: x86-64 (the desktop's) takes the SSE2 one. With WebAssembly's
# SIMD standing in for SSE2 the page takes it too, and its glyphs are the
# desktop's to the byte.
build freetype -DCMAKE_C_FLAGS="$freetype_flags" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
  -DFT_DISABLE_BROTLI=ON -DFT_REQUIRE_ZLIB=ON \
  -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"

echo "$built" >"$prefix/.done"
