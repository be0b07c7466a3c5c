#!/usr/bin/env bash
# Runs browser tests against a built page in headless chromium.
#
#   tests/web/run.sh PAGE_DIR [SHOTS_DIR [TEST_FILE...]]
#
# PAGE_DIR holds kestrune.html, .js, .wasm and .data; without kestrune.html
# there is nothing to test and the run is skipped (exit 77). Screenshots go to
# SHOTS_DIR (default build/web-shots), named for their test file. With no
# TEST_FILE every *.test.mjs here runs. puppeteer-core is installed with
# `npm ci` the first time and again only when package-lock.json changes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
page="${1:?usage: $0 PAGE_DIR [SHOTS_DIR [TEST_FILE...]]}"
shots="${2:-build/web-shots}"
shift $(($# < 2 ? $# : 2))

if [ ! -f "$page/kestrune.html" ]; then
  # tools/test.sh has built the page: finding none there is a fault.
  if [ -n "${KESTRUNE_WEB_REQUIRED:-}" ]; then
    echo "no page built at $page" >&2
    exit 1
  fi
  echo "skipped: no page built at $page (build the web page first)"
  exit 77
fi
"$here/npm-ci.sh"

tests=("$@")
[ ${#tests[@]} -gt 0 ] || tests=("$here"/*.test.mjs)
for i in "${!tests[@]}"; do
  [[ "${tests[$i]}" == /* ]] || tests[$i]="$here/${tests[$i]}"
done
mkdir -p "$shots"
# Each test's screenshots are named for its file: drop a previous run's, so
# that none is taken for this run's.
for file in "${tests[@]}"; do
  rm -f "$shots/$(basename "$file" .test.mjs)"-*.png "$shots/$(basename "$file" .test.mjs)".png
done
echo "screenshots: $(cd "$shots" && pwd)"
KESTRUNE_WEB_PAGE_DIR="$(cd "$page" && pwd)" KESTRUNE_WEB_SHOTS="$(cd "$shots" && pwd)" \
  exec node --test --test-concurrency=1 --test-reporter=spec "${tests[@]}"
