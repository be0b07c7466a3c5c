// "velmo.htm": the help page the Help menu opens in the browser. One file,
// its style inline, nothing fetched from anywhere.
#include "image_files.h"
#include "media_writers.h"

namespace {

const char* const helpPage = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Kestrune - How to play</title>
<style>
body { font-family: "Liberation Sans", Arial, Helvetica, sans-serif; background: #10183a; color: #e8ecff;
       margin: 0; line-height: 1.5; }
header { background: linear-gradient(#1c3cc8, #2850ff); padding: 24px 32px; border-bottom: 4px solid #ffd628; }
h1 { margin: 0; font-size: 44px; color: #ffd628; text-shadow: 3px 3px 0 #00002a; }
header p { margin: 4px 0 0; font-size: 18px; }
main { max-width: 760px; padding: 8px 32px 32px; }
h2 { color: #ffd628; border-bottom: 1px solid #34408a; padding-bottom: 4px; margin-top: 28px; }
table { border-collapse: collapse; width: 100%; }
td, th { border: 1px solid #34408a; padding: 6px 10px; text-align: left; vertical-align: top; }
th { background: #1c2660; }
kbd { background: #e8ecff; color: #10183a; border-radius: 3px; padding: 0 5px; font-weight: bold; }
.message { color: #ff60ff; font-weight: bold; }
</style>
</head>
<body>
<header>
<h1>Kestrune</h1>
<p>Five laps of a country circuit, thirty-one trees and four drunken Zorveks.</p>
</header>
<main>

<h2>Starting a race</h2>
<p>Choose <b>File &gt; Start</b>, or click the lower part of the title picture (where it says
<i>Click here to start</i>). The race is set up and waits for you: click once in the picture to
start the clock.</p>
<p>Press <kbd>Esc</kbd> at any time in a race, waiting for the click or after its end too, to
leave it and return to the title picture. Start again whenever you like.</p>

<h2>Pausing</h2>
<p>Press <kbd>P</kbd> (or <kbd>Pause</kbd>, or a controller's Start) during a race to pause it:
the clock stands, nothing moves and the race falls silent, and the picture says
<span class="message">Paused: press P, Start or click to go on</span>. Press the same key again,
or click in the picture, to go on. The race also pauses by itself when another program takes
the keyboard or the window is minimised; it waits for you to press <kbd>P</kbd> or click, so
the car never drives off before your hand is back.</p>

<h2>Driving with the mouse</h2>
<p>Where the cursor stands in the picture sets how you drive:</p>
<table>
<tr><th>Cursor</th><th>Car</th></tr>
<tr><td>Above the centre</td><td>Drives forward; the higher, the faster.</td></tr>
<tr><td>Below the centre</td><td>Drives backward; the lower, the faster.</td></tr>
<tr><td>Left of the centre</td><td>Turns left; the further out, the sharper.</td></tr>
<tr><td>Right of the centre</td><td>Turns right; the further out, the sharper.</td></tr>
<tr><td>At the centre</td><td>Stands still.</td></tr>
</table>
<p>The car does exactly what the cursor asks, with no run-out: bring the cursor back to the
centre and it stops at once. Off the tarmac the car crawls at an eighth of its speed, so keep
to the road. Dragging the cursor out of the picture with the button held steers as from the
picture's edge, no harder.</p>

<h2>Driving with the keys</h2>
<p>The keys drive as the cursor does, for players without a mouse or on a touchpad:</p>
<table>
<tr><th>Key</th><th>Car</th></tr>
<tr><td><kbd>&uarr;</kbd> or <kbd>W</kbd></td><td>Drives forward.</td></tr>
<tr><td><kbd>&darr;</kbd> or <kbd>S</kbd></td><td>Drives backward.</td></tr>
<tr><td><kbd>&larr;</kbd> or <kbd>A</kbd></td><td>Turns left.</td></tr>
<tr><td><kbd>&rarr;</kbd> or <kbd>D</kbd></td><td>Turns right.</td></tr>
<tr><td><kbd>Space</kbd> or <kbd>Enter</kbd></td><td>The click: starts the race clock, or goes on
with a paused race.</td></tr>
</table>
<p>A key takes a fifth of a second to steer fully, so a tap steers a little and a held key all
the way; let go, the car eases back to standing still. Mouse, keys and controller can all be
used: whichever moved last steers.</p>

<h2>Playing with a controller</h2>
<p>A game controller plays the game as well, plugged in before the game starts or while it
runs; the first one connected is the one that counts. The mouse and the keys still work beside
it: whichever moved last steers.</p>
<table>
<tr><th>Controller</th><th>Does</th></tr>
<tr><td>Left stick</td><td>Steers as the cursor does: up drives forward, down backward, left
and right turn, and pushed to its end it is the cursor at the edge of the picture. Let go, the
car stands still.</td></tr>
<tr><td>Right trigger, left trigger</td><td>Drive forward, backward: another way to give the
stick's up and down.</td></tr>
<tr><td>A (the lower face button)</td><td>The click: starts a race from the title picture, then
starts the clock.</td></tr>
<tr><td>Start</td><td>In a race, pauses it and goes on (as <kbd>P</kbd>); elsewhere
File &gt; Start.</td></tr>
<tr><td>B (the right face button) or Back</td><td><kbd>Esc</kbd>: leaves the race.</td></tr>
<tr><td>Y (the upper face button)</td><td>Opens the menu bar, as <kbd>F10</kbd> does. In a menu
the D-pad moves, A chooses, B, Back or Y closes it; in Options or About the D-pad goes from
control to control, A ticks or presses the one marked, Start is OK and B is Cancel.</td></tr>
</table>
<p>The controller is only listened to while the game's window is in front, windowed or full
screen. Where it has motors, it shakes briefly at every hit and longer when the car is
wrecked.</p>

<h2>The rules</h2>
<ul>
<li>Drive <b>five laps</b> of the circuit. A lap counts when you cross the start line
having driven through every part of the course since the start or since your last lap, either
way round; rocking back and forth over the line counts nothing.</li>
<li><b>Trees</b> stand close to the road, and the corners are lined with them: cutting a
corner is asking for trouble.</li>
<li><b>Zorveks</b>, the wandering robots, stagger towards your car. You will hear one call
out when it is near.</li>
<li>Every tree or Zorvek you touch damages the car. The <b>fourth hit wrecks it</b> and the
race is over.</li>
<li>The score counts the races you finish in a row; a wreck sets it back to zero. The best
time of the races you finish is kept from game to game (see <i>Records and the ghost</i>).</li>
<li>A white fence runs round the edge of the world: the car stops against it, and you can
turn and drive back.</li>
</ul>

<h2>Messages</h2>
<p>The line at the top of the picture tells you how things stand:</p>
<table>
<tr><th>Message</th><th>Meaning</th></tr>
<tr><td class="message">Welcome to Kestrune! Use mouse to drive.</td><td>The race is ready: click to start.</td></tr>
<tr><td class="message">Avoid trees and drunken Zorveks.</td><td>First hit.</td></tr>
<tr><td class="message">You've damaged the front end.</td><td>Second hit.</td></tr>
<tr><td class="message">You've torn off the side moulding.</td><td>Third hit: one more and the car is done.</td></tr>
<tr><td class="message">GAME OVER</td><td>The fourth hit wrecked the car.</td></tr>
<tr><td class="message">You made it 5 laps!</td><td>Race finished; enjoy the music.</td></tr>
</table>
<p>The line at the bottom shows the lap and the race time while you drive
(<span class="message">Lap:2 Time:31.40</span>), and between races the score and the best
time (<span class="message">SCORE: 1 BEST TIME: 74.25</span>). Click to start the next race.</p>

<h2>Records and the ghost</h2>
<p>Your best race time and your best lap are kept when you finish a race, and shown again the
next time you play: the bottom line shows the best time from the start. A wrecked race keeps
nothing.</p>
<p>After each lap its time shows at the left of the picture for four seconds, with your best
lap of all finished races (<span class="message">Lap 2: 15.84</span>,
<span class="message">Best lap: 15.21</span>); when you finish, every lap of the race shows
there until you click for the next one.</p>
<p>Your best race also drives with you: its <b>ghost</b>, a pale see-through car, follows the
path your car took in that race, moment by moment. It hits nothing and counts no laps: it only
shows you where you stood at that time. Press <kbd>G</kbd> during a race to hide the ghost, and
again to show it.</p>
<p>The records and the ghost are kept in <code>~/.local/share/kestrune/</code> (or
<code>$XDG_DATA_HOME/kestrune/</code>): <code>records.txt</code>, which you can read, and
<code>ghost.kgh</code>. Delete them to start afresh. A damaged file is left aside as
<code>records.txt.damaged</code> or <code>ghost.kgh.damaged</code> and the game starts
without it.</p>

<h2>Options</h2>
<p><b>File &gt; Options...</b> opens the options. They are saved when you press OK and take
effect at the next start.</p>
<table>
<tr><th>Option</th><th>Effect</th></tr>
<tr><td>Windowed</td><td>Play in the window; unticked, the game fills the screen.</td></tr>
<tr><td>Window Size</td><td>The picture size for full-screen play: 640 x 480, 800 x 600 or 1024 x 768,
or Desktop: your screen's own size, the view as tall as the others and wider on a wide screen.
The picture keeps its shape: on a wider or taller screen it is shown as large as fits, centred,
with black bars beside it or above and below it. With the cursor over a bar the car steers as
with the cursor at the picture's edge.</td></tr>
<tr><td>Lights</td><td>Race at night, by the light of your headlamp.</td></tr>
<tr><td>Background Music</td><td>Remembered with the other options.</td></tr>
</table>

<h2>Window or full screen</h2>
<p>Press <kbd>Alt</kbd>+<kbd>Enter</kbd> to switch between the window and full screen, as the
Windowed option does; the choice is saved with the options.
In a race it takes effect at once, and the race goes on where it was.
On the title picture it takes effect when the next race starts.</p>

<h2>Menus</h2>
<table>
<tr><th>Command</th><th>Does</th></tr>
<tr><td>File &gt; Start</td><td>Starts a race.</td></tr>
<tr><td>File &gt; Options...</td><td>Opens the options.</td></tr>
<tr><td>File &gt; Exit</td><td>Closes the game.</td></tr>
<tr><td>Help &gt; HTML Help...</td><td>Opens this page.</td></tr>
<tr><td>Help &gt; About ...</td><td>Shows who made the game (also <kbd>Alt</kbd>+<kbd>?</kbd>).</td></tr>
</table>
</main>
</body>
</html>
)";

}  // namespace

bool WriteHelpPage(const std::string& folder) {
    return WriteText(folder + "/velmo.htm", helpPage);
}
