#!/usr/bin/env bash
# Installs puppeteer-core for the browser tests and the web benchmark with
# `npm ci`: the first time, and again only when package-lock.json changes.
# Several callers at once wait for one install.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
for tool in node npm /usr/bin/chromium; do
  command -v "$tool" >/dev/null || {
    echo "$tool is missing: run tools/install-deps.sh webtest" >&2
    exit 1
  }
done
(
  flock 9
  if ! cmp -s "$here/package-lock.json" "$here/node_modules/.kestrune-lock"; then
    (cd "$here" && npm ci --no-audit --no-fund)
    cp "$here/package-lock.json" "$here/node_modules/.kestrune-lock"
  fi
) 9>"$here/.npm-ci.lock"
