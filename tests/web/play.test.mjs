// A player's first race: the splash, File > Start, a click, the mouse drives.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  keepShot, onCanvas, openGame, pickMenu, pictureChange, Racing, startRace, status, Waiting, waitForStatus, waitFrames,
  withGame,
} from './harness.mjs';

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

test('another tab brought to the front pauses the race, which stands until P goes on', () =>
  withGame(
    async ({ page, errors, url, browser }) => {
      await openGame(page, url);
      await startRace(page);
      await waitFrames(page, 10);

      // The page is hidden and loses the focus, as a player's other tab takes it.
      const other = await browser.newPage();
      await other.bringToFront();
      await waitForStatus(page, () => window.kestrune.status().paused);
      const paused = await status(page);
      await waitFrames(page, 10);
      assert.equal((await status(page)).raceTime, paused.raceTime, 'the clock stands while hidden');

      // Coming back does not go on by itself.
      await page.bringToFront();
      await page.waitForFunction(() => document.visibilityState === 'visible' && document.hasFocus());
      await waitFrames(page, 10);
      const back = await status(page);
      assert.equal(back.paused, true, 'still paused on coming back');
      assert.equal(back.raceTime, paused.raceTime);
      await keepShot(page, 'play-6-paused');

      await page.keyboard.press('KeyP');
      await waitForStatus(page, (phase) => window.kestrune.status().phase === phase, Racing);
      await waitFrames(page, 10);
      const going = await status(page);
      assert.equal(going.paused, false);
      assert.ok(going.raceTime > paused.raceTime, `P set the clock going (${paused.raceTime} -> ${going.raceTime})`);
      assert.deepEqual(errors, []);
    },
    { name: 'play-paused' },
  ));
