# shellcheck shell=bash
# Sourced by the end-to-end scripts: a private X server, the game's windows
# found by name, and waiting on the game with a limit. The script sets `out`
# (its artefact folder) and `game_pid` once the game runs; a function named
# `while_waiting`, when the script has one, is asked on every poll whether
# all is still well.

xvfb_pid=""
game_pid=""

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

require_tools() {  # require_tools TOOL...
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is missing (tools/install-deps.sh installs it)"
    done
}

# The sound library takes SIGTERM for itself, so a game left running is
# stopped for good.
stop_session() {
    if [ -n "$game_pid" ]; then
        kill -KILL "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
        game_pid=""
    fi
    stop_x_server
}
trap stop_session EXIT

# start_x_server LOG [XVFB_OPTION...]: a private X server on the first free
# display number, exported as DISPLAY, its screen `xvfb_screen` (1024x768x24
# unless the script sets another). It never resets: by default an X server
# starts afresh whenever its last client leaves, and a game connecting in that
# moment (while xdotool's last look has just ended, say) is turned away.
start_x_server() {
    local log=$1
    shift
    rm -f "$out/display"
    exec 3>"$out/display"
    Xvfb -displayfd 3 -screen 0 "${xvfb_screen:-1024x768x24}" -nolisten tcp -noreset "$@" >"$log" 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    for _ in $(seq 300); do
        [ -s "$out/display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$log")"
        sleep 0.1
    done
    [ -s "$out/display" ] || fail "Xvfb gave no display number"
    export DISPLAY=:$(head -n1 "$out/display")
}

# Waits for the server to be gone: one still shutting down removes its socket
# on the way out, and would take away that of the next server given the same
# display number, whose clients then find no server there.
stop_x_server() {
    [ -n "$xvfb_pid" ] || return 0
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
}

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
window_exists() { [ -n "$(window_named "$1")" ]; }
window_absent() { [ -z "$(window_named "$1")" ]; }

# wait_until WHAT CHECK...: polls until CHECK succeeds; the limit only
# catches a game that hangs.
wait_until() {
    local what=$1
    shift
    for _ in $(seq 300); do
        if "$@"; then return 0; fi
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for $what"
        if declare -F while_waiting >/dev/null; then while_waiting "$what"; fi
        sleep 0.1
    done
    fail "timed out waiting for $what"
}

# find_drawing_area: waits for the game's window and its drawing area, and
# sets `window`, `area_x`, `area_y`, `area_width` and `area_height`. Needs
# `probe`.
find_drawing_area() {
    wait_until "the game's window" window_exists Kestrune
    window=$(window_named Kestrune)
    wait_until "the drawing area" "$probe" area "$window" >/dev/null
    read -r area_x area_y area_width area_height < <("$probe" area "$window")
}

# expect_clean_exit WHAT: the game ends within 30 s after WHAT, with exit
# status 0.
expect_clean_exit() {
    local status=0
    for _ in $(seq 300); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$game_pid" 2>/dev/null && fail "the game did not end after $1"
    wait "$game_pid" || status=$?
    game_pid=""
    [ "$status" -eq 0 ] || fail "the game ended with exit status $status after $1"
}
