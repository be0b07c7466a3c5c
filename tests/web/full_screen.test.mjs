// The browser's full screen: Alt+Enter takes it in a race; the browser keeps
// Escape to leave it, which leaves the race as Escape does on the desktop.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  checked, control, keepShot, NewRace, openDialog, openGame, pickMenu, Racing, startRace, status,
  waitForSplash, waitForStatus, waitFrames, withGame,
} from './harness.mjs';

const menuBarShown = (page) => page.$eval('nav#menubar', (m) => m.offsetHeight > 0);

// A windowed race (the first start's form) switched with Alt+Enter.
async function altEnterInARace(page, url) {
  await openGame(page, url);
  await startRace(page);
  assert.equal(await page.evaluate(() => document.fullscreenElement), null, 'the race starts in a window');
  await page.keyboard.down('Alt');
  await page.keyboard.press('Enter');
  await page.keyboard.up('Alt');
  await page.waitForFunction(() => document.fullscreenElement !== null);
}

test("Alt+Enter in a race takes the browser's full screen and hides the menu bar", () =>
  withGame(
    async ({ page, errors, url }) => {
      await altEnterInARace(page, url);
      await waitFrames(page, 10);
      await keepShot(page, 'full_screen-race', { whole: true });
      assert.equal(await menuBarShown(page), false, 'the menu bar is hidden');
      assert.equal((await status(page)).phase, Racing, 'the race goes on');

      // Alt+Enter saved the choice: the next visit's Options show it.
      await page.reload({ waitUntil: 'load' });
      await waitForSplash(page);
      await pickMenu(page, 'File', 32772);
      const dialog = await openDialog(page, 'Options');
      assert.equal(await checked(await control(dialog, 'Windowed')), false, '"Windowed" turned off');
      await (await control(dialog, 'Cancel')).click();
      assert.deepEqual(errors, []);
    },
    { name: 'full_screen' },
  ));

test("leaving the browser's full screen (Escape) leaves the race and shows the menu bar again", () =>
  withGame(
    async ({ page, errors, url }) => {
      await altEnterInARace(page, url);
      // Escape is the browser's own here and never reaches the page: the
      // page sees full screen end, as the browser ends it.
      await page.evaluate(() => document.exitFullscreen());
      await waitForStatus(page, (phase) => window.kestrune.status().phase === phase, NewRace);
      await page.waitForFunction(() => document.querySelector('nav#menubar').offsetHeight > 0);
      await keepShot(page, 'full_screen-left', { whole: true });
      assert.equal((await status(page)).running, false, 'the race is left');
      assert.equal(await page.evaluate(() => document.fullscreenElement), null);
      assert.deepEqual(errors, []);
    },
    { name: 'full_screen-left' },
  ));
