#!/usr/bin/env bash
# Plays the real game under a private X server with real input, as a person
# would: the splash, a race started by a click, driving, Escape back to the
# splash, the Options and About dialogs, and closing the window. A screenshot
# of every step is kept in the artefact folder.
#
#   play_through.sh KESTRUNE X_PROBE ARTEFACT_FOLDER
set -euo pipefail

game=$(realpath "$1")
probe=$(realpath "$2")
out=$3
# The media folder as the game finds it: beside it in the build tree, under
# share/ when installed (share/games/ for a program in games/).
media=$(dirname "$game")/media
if [ ! -d "$media" ]; then
    case $(dirname "$game") in
        */games) media=$(dirname "$game")/../share/games/kestrune/media ;;
        *) media=$(dirname "$game")/../share/kestrune/media ;;
    esac
fi
# The player's options go into a configuration folder of the test's own.
export XDG_CONFIG_HOME=$out/config
# And the records and the ghost into a data folder of its own, empty at the
# start, so that no earlier race's records change what the picture shows.
export XDG_DATA_HOME=$out/data
options=$XDG_CONFIG_HOME/kestrune/options.kvz
# shellcheck source=x_session.sh
. "$(dirname "$(realpath "$0")")/x_session.sh"

require_tools Xvfb xdotool
[ -f "$media/velmo2.bmp" ] || fail "no splash picture in $media: build the media first"

mkdir -p "$out"
rm -f "$out"/*.png "$out"/kestrune.log
# The test starts from the default options (windowed, lights on, 640 wide),
# kept as the player's own so that no file in the media folder stands in.
rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -p "$(dirname "$options")"
printf '\x80\x02\0\0\x01\0\0\0\x01\0\0\0\x01\0\0\0' >"$options"

start_x_server "$out/xvfb.log"

# No step expects a message box: a missing file or a failed save.
while_waiting() { window_absent Tolvarin || fail "a message box while waiting for $1"; }

shot() {  # shot NAME: the whole screen, kept as an artefact
    "$probe" snapshot "$out/$1.png" >/dev/null
}

area_shot() {  # area_shot FILE: the drawing area's splash-sized top-left part
    "$probe" snapshot "$1" "$area_x" "$area_y" 632 426 >/dev/null
}

splash_match() {  # fraction of the area equal to the splash picture
    area_shot "$out/area-now.png"
    "$probe" matches-bmp "$media/velmo2.bmp" "$out/area-now.png"
}

splash_shown() { awk -v m="$(splash_match)" 'BEGIN { exit !(m >= 0.99) }'; }
splash_gone() { awk -v m="$(splash_match)" 'BEGIN { exit !(m < 0.5) }'; }

changed_fraction() {  # changed_fraction BEFORE AFTER
    "$probe" changed "$1" "$2"
}

SDL_AUDIODRIVER=dummy "$game" >"$out/kestrune.log" 2>&1 &
game_pid=$!

# 1. The window opens with the splash picture.
find_drawing_area
echo "drawing area: ${area_width}x${area_height} at $area_x,$area_y"
wait_until "the splash picture" splash_shown
shot 01-splash

# 2. A click below row 350 starts a race: the picture turns to the game. The
# pointer first moves onto the picture and settles, as a hand would.
xdotool mousemove $((area_x + 250)) $((area_y + 300))
sleep 0.3
xdotool mousemove $((area_x + 300)) $((area_y + 380))
sleep 0.3
xdotool click 1
wait_until "the race picture" splash_gone
shot 02-race-waiting

# While the race waits for its click the car stands: only the robots turn.
centre_x=$((area_x + area_width / 2))
xdotool mousemove "$centre_x" $((area_y + area_height / 2))
sleep 0.3
area_shot "$out/waiting-a.png"
sleep 1
area_shot "$out/waiting-b.png"
standing=$(changed_fraction "$out/waiting-a.png" "$out/waiting-b.png")
echo "changed while waiting: $standing"

# 3. A click starts the clock; the cursor at the top of the picture drives the
# car forward at full speed, and the chase camera takes the whole scene along.
xdotool click 1
xdotool mousemove "$centre_x" $((area_y + 2))
area_shot "$out/racing-a.png"
sleep 1.5
area_shot "$out/racing-b.png"
shot 03-racing
driving=$(changed_fraction "$out/racing-a.png" "$out/racing-b.png")
echo "changed while driving: $driving"
awk -v d="$driving" -v s="$standing" 'BEGIN { exit !(d > 0.2 && d > 2 * s) }' ||
    fail "the car did not move: $driving of the picture changed (waiting: $standing)"

# P pauses the race: the picture stands still, robots and all, while the
# cursor still asks for full speed; P again goes on.
xdotool key p
sleep 0.3
area_shot "$out/paused-a.png"
sleep 1
area_shot "$out/paused-b.png"
shot 03-paused
paused=$(changed_fraction "$out/paused-a.png" "$out/paused-b.png")
echo "changed while paused: $paused"
awk -v p="$paused" 'BEGIN { exit !(p < 0.002) }' ||
    fail "the paused race moved: $paused of the picture changed"
xdotool key p

# 4. Escape leaves the race and shows the splash again. xdotool's tap lasts a
# few milliseconds and can fall between two slow frames (as under the
# sanitizers); the game acts on the press itself, so not even that is lost.
xdotool key Escape
wait_until "the splash after Escape" splash_shown
shot 04-splash-again

# 5. File > Options: "Lights" off, then OK writes the 16-byte options file.
xdotool mousemove $((area_x + 300)) $((area_y + 200))
xdotool key alt+f
sleep 0.3
xdotool key o
wait_until "the Options dialog" window_exists Options
dialog=$(window_named Options)
shot 05-options
# Places from the dialog template (210 x 142 dialog units), in the pixels the
# dialog font's cell gives them.
eval "$(xdotool getwindowgeometry --shell "$dialog")"
dialog_units() {  # dialog_units X Y: the pixel offsets of a place in dialog units
    echo $(($1 * WIDTH / 210)) $(($2 * HEIGHT / 142))
}
read -r lights_x lights_y < <(dialog_units 110 38)
xdotool mousemove --window "$dialog" "$lights_x" "$lights_y" click 1
sleep 0.3
shot 06-options-lights-off
read -r ok_x ok_y < <(dialog_units 110 120)
xdotool mousemove --window "$dialog" "$ok_x" "$ok_y" click 1
wait_until "the Options dialog to close" window_absent Options
options_bytes() { od -An -tx1 -v "$options" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
lights_off() { [ "$(options_bytes)" = "80 02 00 00 01 00 00 00 00 00 00 00 01 00 00 00" ]; }
wait_until "the options file with the lights off" lights_off

# 6. Alt+? opens About; OK closes it.
xdotool mousemove $((area_x + 300)) $((area_y + 200))
xdotool key alt+question
wait_until "the About dialog" window_exists About
about=$(window_named About)
shot 07-about
eval "$(xdotool getwindowgeometry --shell "$about")"
xdotool mousemove --window "$about" $(((193 + 15) * WIDTH / 230)) $(((7 + 5) * HEIGHT / 75)) click 1
wait_until "the About dialog to close" window_absent About
shot 08-about-closed

# 7. The close box ends the program with exit code 0.
"$probe" close "$window"
expect_clean_exit "its window was closed"
echo "end-to-end: all steps passed"
