// A pad plays: the browser has none here, so a page script stands in for
// navigator.getGamepads with a standard-mapped pad the test holds.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  keepShot, openGame, pickMenu, pictureChange, status, waitForStatus, waitFrames, withGame,
} from './harness.mjs';

const NewRace = 0;
const Waiting = 1;
const Racing = 2;
const A = 0;
const Back = 8;

function standInPad() {
  const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
  const pad = {
    id: 'Kestrune test pad (STANDARD GAMEPAD)',
    index: 0,
    connected: true,
    mapping: 'standard',
    timestamp: 0,
    axes: [0, 0, 0, 0],
    buttons,
    vibrationActuator: null,
  };
  window.testPad = {
    set(axes, pressed) {
      pad.axes = axes;
      pad.buttons.forEach((b, i) => {
        b.pressed = b.touched = pressed.includes(i);
        b.value = b.pressed ? 1 : 0;
      });
      pad.timestamp = performance.now();
    },
  };
  navigator.getGamepads = () => [pad, null, null, null];
  window.addEventListener('load', () => {
    const event = new Event('gamepadconnected');
    Object.defineProperty(event, 'gamepad', { value: pad });
    window.dispatchEvent(event);
  });
}

const hold = (page, axes, pressed = []) => page.evaluate((x, p) => window.testPad.set(x, p), axes, pressed);

// Holds a button until the game is in `phase`, then lets go.
async function press(page, button, phase) {
  await hold(page, [0, 0, 0, 0], [button]);
  await waitForStatus(page, (p) => window.kestrune.status().phase === p, phase);
  await hold(page, [0, 0, 0, 0]);
}

test('a pad starts the race with A, steers with its left stick and leaves with Back', () =>
  withGame(
    async ({ page, errors, url }) => {
      await openGame(page, url);
      await pickMenu(page, 'File', 32771);
      await waitForStatus(page, (phase) => window.kestrune.status().phase === phase, Waiting);

      // A pad held as it is found is no press: let the game find it at rest.
      await waitFrames(page, 30);
      await press(page, A, Racing);
      const standing = await keepShot(page, 'gamepad-1-standing');
      await waitFrames(page, 30);
      const stood = await keepShot(page, 'gamepad-2-stood');
      const atRest = await status(page);

      // Full left and forward.
      await hold(page, [-1, -1, 0, 0]);
      await waitFrames(page, 30);
      const steered = await keepShot(page, 'gamepad-3-steered');
      const moving = await status(page);
      assert.equal(moving.phase, Racing);
      assert.ok(moving.raceTime > atRest.raceTime, 'the race clock runs');
      const still = await pictureChange(page, standing, stood);
      const drive = await pictureChange(page, stood, steered);
      assert.ok(drive > still, `the stick changes the picture more than standing (${drive} vs ${still})`);

      await press(page, Back, NewRace);
      assert.equal((await status(page)).running, false, 'Back left the race');
      assert.deepEqual(errors, []);
    },
    { name: 'gamepad', setUp: (page) => page.evaluateOnNewDocument(standInPad) },
  ));
