#!/usr/bin/env bash
# Installs what is missing, builds the game and its media into build/ (no
# tests, no tools) and starts it.
#
#   tools/play.sh           build and play
#   tools/play.sh --help    this text
#
# Warnings do not stop this build: a newer compiler than ours may warn about
# things we have not seen, and the game should still start.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  "") ;;
  --help | -h)
    sed -n '2,9s/^# \{0,1\}//p' "$0"
    exit 0
    ;;
  *)
    echo "usage: $0 [--help]" >&2
    exit 2
    ;;
esac
tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_WERROR=OFF
# What `cmake --install build` lays out comes along: icons and release notes.
cmake --build build -j"$(nproc)" --target kestrune media icons release_notes
exec build/kestrune
