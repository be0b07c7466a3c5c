#!/usr/bin/env bash
# The web page's benchmark on this machine: page load to splash, a race's
# frames per second at 640 x 480 beside a clear-only page, and the compressed
# download of wasm + data against the 5 MB target, with the load average.
#
#   tools/bench-web.sh [PAGE_DIR [LOADS [SECONDS]]]
#
# PAGE_DIR defaults to build-web/page; LOADS (default 5) page loads give the
# median; each frame count runs SECONDS (default 10).
set -euo pipefail
cd "$(dirname "$0")/.."
page="${1:-build-web/page}"
if [ ! -f "$page/kestrune.html" ]; then
  echo "no page built at $page" >&2
  exit 1
fi
tests/web/npm-ci.sh >&2
exec node tools/bench/web/bench.mjs "$(cd "$page" && pwd)" "${2:-5}" "${3:-10}"
