#!/usr/bin/env bash
# Installs what is missing, builds everything into build/ with warnings as
# errors, the web page into build-web/ (tools/build-web.sh), and runs the
# tests.
#
#   tools/test.sh            every test: what CI runs
#   tools/test.sh --quick    only the tests labelled "quick" (a few seconds):
#                            no whole-program runs over damaged media, no long
#                            races, no private X server
#   tools/test.sh --help     this text
#
# Every test carries one label: quick, slow (whole-program runs that take
# seconds each), e2e (the game under a private X server) or web (the page in
# headless chromium). Pick others with
#   ctest --test-dir build -L slow
set -euo pipefail
cd "$(dirname "$0")/.."

labels=()
web=true
case "${1:-}" in
  "") ;;
  --quick)
    labels=(-L quick)
    web=false
    ;;
  --help | -h)
    sed -n '2,15s/^# \{0,1\}//p' "$0"
    exit 0
    ;;
  *)
    echo "usage: $0 [--quick | --help]" >&2
    exit 2
    ;;
esac

tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_WERROR=ON
cmake --build build -j"$(nproc)"
if $web; then
  tools/install-deps.sh webtest
  tools/build-web.sh
  # The page is built: a web test or the wasm replay that finds nothing to
  # run is a fault here, not a skip.
  export KESTRUNE_WEB_REQUIRED=1
fi
ctest --test-dir build --output-on-failure -j"$(nproc)" "${labels[@]}"
