#!/usr/bin/env bash
# Full screen on displays of another shape than the picture's: the race is
# started full screen on a wide and on a tall private X server, and the
# screenshot must show the picture at its own 4:3 shape, centred between black
# bars; the cursor at the picture's centre must hold the car still (no
# steering), and over a bar it must steer as at the picture's edge. Alt+Enter
# takes the race into the window and back. The Desktop choice fills the
# display.
#
#   full_screen.sh KESTRUNE X_PROBE ARTEFACT_FOLDER
set -euo pipefail

game=$(realpath "$1")
probe=$(realpath "$2")
out=$3
media=$(dirname "$game")/media
export XDG_CONFIG_HOME=$out/config
options=$XDG_CONFIG_HOME/kestrune/options.kvz
# shellcheck source=x_session.sh
. "$(dirname "$(realpath "$0")")/x_session.sh"

require_tools Xvfb xdotool
[ -f "$media/velmo2.bmp" ] || fail "no splash picture in $media: build the media first"
mkdir -p "$out"

while_waiting() { window_absent Tolvarin || fail "a message box while waiting for $1"; }

screen_shot() { "$probe" snapshot "$1" >/dev/null; }
whole_screen() {  # whole_screen WIDTH HEIGHT: the drawing area covers the display
    local x y w h
    read -r x y w h < <("$probe" area "$window") || return 1
    [ "$x" -eq 0 ] && [ "$y" -eq 0 ] && [ "$w" -eq "$1" ] && [ "$h" -eq "$2" ]
}
picture_shown() {  # sets picture_x, picture_y, picture_width, picture_height
    screen_shot "$out/now.png"
    read -r picture_x picture_y picture_width picture_height < <("$probe" picture "$out/now.png")
    [ "$picture_width" -gt 0 ]
}

# play DISPLAY_WIDTH DISPLAY_HEIGHT OPTIONS_WIDTH [ALT_ENTER]: one full-screen
# race; with "yes", Alt+Enter twice in it.
play() {
    local width=$1 height=$2 size=$3 alt_enter=${4:-no} name="$1x$2-$3"
    rm -rf "$XDG_CONFIG_HOME"
    mkdir -p "$(dirname "$options")"
    # Full screen at SIZE, lights off: the day sky has no black in it, so the
    # picture's edges are all colour.
    printf "$(printf '\\x%02x\\x%02x' $((size & 255)) $((size >> 8)))"'\0\0\0\0\0\0\0\0\0\0\x01\0\0\0' >"$options"
    xvfb_screen=${width}x${height}x24
    start_x_server "$out/xvfb-$name.log"
    SDL_AUDIODRIVER=dummy "$game" >"$out/kestrune-$name.log" 2>&1 &
    game_pid=$!
    find_drawing_area
    xdotool mousemove $((area_x + 300)) $((area_y + 200))
    xdotool key alt+f
    sleep 0.3
    xdotool key s
    wait_until "full screen at ${width}x${height}" whole_screen "$width" "$height"
    wait_until "the race picture" picture_shown
    sleep 0.5
    picture_shown
    cp "$out/now.png" "$out/$name.png"
    echo "$name: picture ${picture_width}x$picture_height at $picture_x,$picture_y"

    picture_width_before=$picture_width
    # The Desktop choice (width 0) fills the display, its view widened.
    if [ "$size" -eq 0 ]; then
        [ "$picture_width" -eq "$width" ] && [ "$picture_height" -eq "$height" ] ||
            fail "$name: the picture is ${picture_width}x$picture_height, not the display's size"
    fi
    # 4:3 within a pixel, centred within a pixel, with bars on the long sides.
    local aspect_error=$((picture_width * 3 - picture_height * 4))
    [ "$size" -ne 0 ] || aspect_error=0
    [ "${aspect_error#-}" -le 4 ] || fail "$name: the picture is ${picture_width}x$picture_height, not 4:3"
    local left_bar=$picture_x right_bar=$((width - picture_x - picture_width))
    local top_bar=$picture_y bottom_bar=$((height - picture_y - picture_height))
    local side=$((left_bar - right_bar)) end=$((top_bar - bottom_bar))
    [ "${side#-}" -le 1 ] && [ "${end#-}" -le 1 ] ||
        fail "$name: the picture is not centred: bars $left_bar, $right_bar, $top_bar, $bottom_bar"
    if [ "$size" -eq 0 ]; then
        :
    elif [ $((width * 3)) -gt $((height * 4)) ]; then
        [ "$left_bar" -gt 0 ] || fail "$name: no black bars beside the picture"
    else
        [ "$top_bar" -gt 0 ] || fail "$name: no black bars above and below the picture"
    fi

    # The cursor at the picture's centre asks for neither speed nor a turn:
    # once the race runs only the robots move. Over the left bar it counts as
    # at the picture's left edge: the car turns at full rate.
    local centre_x=$((picture_x + picture_width / 2)) centre_y=$((picture_y + picture_height / 2))
    local region="$picture_x $picture_y $picture_width $picture_height"
    xdotool mousemove "$centre_x" "$centre_y"
    sleep 0.3
    xdotool click 1
    sleep 0.3
    # shellcheck disable=SC2086
    "$probe" snapshot "$out/centre-a.png" $region >/dev/null
    sleep 1
    # shellcheck disable=SC2086
    "$probe" snapshot "$out/centre-b.png" $region >/dev/null
    xdotool mousemove 0 "$centre_y"
    sleep 0.3
    # shellcheck disable=SC2086
    "$probe" snapshot "$out/bar-a.png" $region >/dev/null
    sleep 1
    # shellcheck disable=SC2086
    "$probe" snapshot "$out/bar-b.png" $region >/dev/null
    local still turning
    still=$("$probe" changed "$out/centre-a.png" "$out/centre-b.png")
    turning=$("$probe" changed "$out/bar-a.png" "$out/bar-b.png")
    echo "$name: changed with the cursor at the centre $still, over the bar $turning"
    awk -v s="$still" -v t="$turning" 'BEGIN { exit !(t > 0.3 && s < t / 3) }' ||
        fail "$name: the centre did not hold the car still ($still) or the bar did not steer ($turning)"

    # Alt+Enter takes the running race into the window and back at once.
    if [ "$alt_enter" = yes ]; then
        not_whole_screen() { ! whole_screen "$width" "$height"; }
        xdotool key alt+Return
        wait_until "the race in a window after Alt+Enter" not_whole_screen
        # Without a window manager the keys go to the window under the pointer.
        find_drawing_area
        xdotool mousemove $((area_x + 300)) $((area_y + 200))
        sleep 0.3
        xdotool key alt+Return
        wait_until "full screen again after Alt+Enter" whole_screen "$width" "$height"
        wait_until "the race picture after Alt+Enter" picture_shown
        sleep 0.5
        picture_shown
        [ "$picture_width" -eq "$picture_width_before" ] ||
            fail "$name: after Alt+Enter the picture is $picture_width wide, not $picture_width_before"
    fi

    xdotool key Escape
    sleep 0.5
    "$probe" close "$window"
    expect_clean_exit "its window was closed ($name)"
    stop_x_server
}

play 1920 1080 640 yes
play 1280 1024 1024
play 1920 1080 0
echo "full screen: all steps passed"
