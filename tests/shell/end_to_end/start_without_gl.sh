#!/usr/bin/env bash
# Starts the real game where it cannot have what it needs, and checks that it
# says so instead of vanishing or dying:
#   - with no display, or one that does not answer: one line on standard error
#     naming the display, and a failing exit status;
#   - on an X server without GLX, and on one whose OpenGL stops at 2.1: the
#     splash is shown all the same (it needs no OpenGL), and Start gives the
#     "Tolvarin" message box; after OK the game ends with exit status 0.
#
#   start_without_gl.sh KESTRUNE X_PROBE ARTEFACT_FOLDER
set -euo pipefail

game=$(realpath "$1")
probe=$(realpath "$2")
out=$3
media=$(dirname "$game")/media
# shellcheck source=x_session.sh
. "$(dirname "$(realpath "$0")")/x_session.sh"

require_tools Xvfb xdotool
mkdir -p "$out"

# 1. No display at all, then one nobody serves.
status=0
env -u DISPLAY "$game" >"$out/stdout" 2>"$out/stderr" || status=$?
[ "$status" -ne 0 ] || fail "without DISPLAY the game exited with status 0"
[ "$(wc -l <"$out/stderr")" -eq 1 ] && grep -q "DISPLAY" "$out/stderr" ||
    fail "without DISPLAY it said: $(cat "$out/stderr")"
status=0
DISPLAY=:987 "$game" >"$out/stdout" 2>"$out/stderr" || status=$?
[ "$status" -ne 0 ] || fail "with an unreachable display the game exited with status 0"
[ "$(wc -l <"$out/stderr")" -eq 1 ] && grep -q ':987' "$out/stderr" ||
    fail "with an unreachable display it said: $(cat "$out/stderr")"

splash_shown() {
    "$probe" snapshot "$out/area.png" "$area_x" "$area_y" 632 426 >/dev/null
    awk -v m="$("$probe" matches-bmp "$media/velmo2.bmp" "$out/area.png")" \
        'BEGIN { exit !(m >= 0.99) }'
}

# start_refused NAME XVFB_OPTIONS... -- ENVIRONMENT...: the splash, then Start
# refused with the message box, then exit status 0 after OK.
start_refused() {
    local name=$1
    shift
    local server=()
    while [ "$1" != "--" ]; do
        server+=("$1")
        shift
    done
    shift
    start_x_server "$out/xvfb-$name.log" "${server[@]}"

    env "$@" SDL_AUDIODRIVER=dummy "$game" >"$out/kestrune-$name.log" 2>&1 &
    game_pid=$!
    find_drawing_area
    wait_until "the splash picture ($name)" splash_shown
    "$probe" snapshot "$out/$name-splash.png" >/dev/null

    xdotool mousemove $((area_x + 250)) $((area_y + 300))
    sleep 0.3
    xdotool mousemove $((area_x + 300)) $((area_y + 380))
    sleep 0.3
    xdotool click 1
    wait_until "the message box ($name)" window_exists Tolvarin
    "$probe" snapshot "$out/$name-message.png" >/dev/null
    xdotool key --window "$(window_named Tolvarin)" Return 2>/dev/null
    expect_clean_exit "the message ($name)"
    stop_x_server
}

# 2. An X server without GLX: no OpenGL at all.
start_refused no-glx -extension GLX --
# 3. OpenGL 2.1 only: the 3.3 core context is refused with an X error.
start_refused gl-2.1 -- MESA_GL_VERSION_OVERRIDE=2.1
echo "start without OpenGL: all steps passed"
