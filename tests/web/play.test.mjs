// A player's first race: the splash, File > Start, a click, the mouse drives.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  keepShot, onCanvas, openGame, pickMenu, pictureChange, status, waitForStatus, waitFrames, withGame,
} from './harness.mjs';

const Waiting = 1;
const Racing = 2;

test('the splash, File > Start and a click start a race the mouse drives, with the lap line shown', () =>
  withGame(async ({ page, errors, url }) => {
    await openGame(page, url);
    const splash = await status(page);
    assert.equal(splash.running, false, 'no race runs on the splash');
    assert.ok(await page.$eval('#canvas', (c) => c.offsetWidth > 0 && c.offsetHeight > 0), 'the canvas is shown');
    await keepShot(page, 'play-1-splash');

    await pickMenu(page, 'File', 32771);
    await waitForStatus(page, (phase) => window.kestrune.status().phase === phase, Waiting);
    await keepShot(page, 'play-2-waiting');

    // A click at the centre starts the clock and steers nowhere: the car stands.
    const centre = await onCanvas(page, 0.5, 0.5);
    await page.mouse.click(centre.x, centre.y);
    await waitForStatus(page, (phase) => window.kestrune.status().phase === phase, Racing);
    const standing = await keepShot(page, 'play-3-standing');
    await waitFrames(page, 30);
    const stood = await keepShot(page, 'play-4-stood');
    const atRest = await status(page);

    // Above the middle and to the left: forward and turning.
    for (let i = 1; i <= 5; i++) {
      const to = await onCanvas(page, 0.5 - 0.05 * i, 0.5 - 0.08 * i);
      await page.mouse.move(to.x, to.y, { steps: 3 });
    }
    await waitFrames(page, 30);
    const driven = await keepShot(page, 'play-5-driven');
    const moving = await status(page);

    assert.equal(moving.phase, Racing);
    assert.equal(moving.running, true);
    assert.ok(moving.raceTime > atRest.raceTime, `the race clock runs (${atRest.raceTime} -> ${moving.raceTime})`);
    assert.match(moving.scoreLine, /^Lap:\d+ Time:\d+\.\d\d\s*$/, 'the HUD shows the lap line');
    const still = await pictureChange(page, standing, stood);
    const drive = await pictureChange(page, stood, driven);
    assert.ok(drive > still, `driving changes the picture more than standing (${drive} vs ${still})`);
    assert.deepEqual(errors, []);
  }, { name: 'play' }));
