#!/usr/bin/env bash
# Checks that the game's folders include only folders below them:
#
#   shell/                 start-up, window, dialogs: may include everything below
#   drive/                 the car, the track map, trees and robots
#   render/  sound/        drawing and sound: neither includes the other
#   race/                  the race state and the frame step
#   core/                  the options, the media path, the random generator, the camera
#   platform/              the Windows stand-ins: include nothing of the game
#   web/                   the web page's entry point: may include everything
#   third_party/           others' code the game builds: includes nothing of it
#
# Subfolders (platform/web/) are held to their folder's rule.
# A folder may always include its own headers. Prints every include that
# points up or sideways and exits 1 if there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A level=([third_party]=-1 [platform]=0 [core]=1 [race]=2 [render]=3 [sound]=3 [drive]=4 [shell]=5 [web]=6)

status=0
for folder in "${!level[@]}"; do
  while IFS= read -r file; do
    while IFS= read -r line; do
      included=${line#*\"}
      included=${included%%\"*}
      target=${included%%/*}
      [ "$target" = "$folder" ] && continue
      [ -n "${level[$target]+set}" ] || continue
      if [ "${level[$target]}" -ge "${level[$folder]}" ]; then
        echo "$file: includes $included, which is not below $folder/"
        status=1
      fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$file" || true)
  done < <(find "$folder" -name '*.cpp' -o -name '*.h' -o -name '*.c' | sort)
done
[ "$status" -eq 0 ] && echo "check-layers: every include points down"
exit "$status"
