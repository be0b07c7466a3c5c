#!/bin/sh
# The golden replay in the browser build: runs the wasm build's replay
# program under node on the desktop build's media. Exit 77 (skipped) when
# node or the program is not there, as before the web build has run; a
# failure then when KESTRUNE_WEB_REQUIRED is set (tools/test.sh, once it has
# built the page).
#
#   golden_replay_wasm.sh KESTRUNE_REPLAY_JS MEDIA_FOLDER REPLAY_FILE
skip=77
[ -n "${KESTRUNE_WEB_REQUIRED:-}" ] && skip=1
program=$1
media=$2
replay=$3
if ! command -v node >/dev/null 2>&1; then
  echo "golden_replay_wasm: skipped: no node to run the wasm replay"
  exit $skip
fi
if [ ! -f "$program" ]; then
  echo "golden_replay_wasm: skipped: $program is not built (the web build's kestrune-replay target)"
  exit $skip
fi
exec node --no-experimental-fetch "$program" "$media" "$replay"
