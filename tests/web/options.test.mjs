// The Options dialog's choices are kept in the browser's profile.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  checked, control, dropProfile, keepShot, newProfile, openDialog, openGame, pickMenu, waitForSplash, withGame,
} from './harness.mjs';

// The store takes nothing, as a full one or one the browser turned off.
function refuseTheStore() {
  IDBObjectStore.prototype.put = function () {
    throw new DOMException('The store is full.', 'QuotaExceededError');
  };
}

test('options chosen and confirmed with OK survive a reload of the page', async () => {
  const profile = newProfile();
  try {
    let lightsBefore;
    let origin;
    await withGame(
      async ({ page, errors, url, port }) => {
        origin = port;
        await openGame(page, url);
        await pickMenu(page, 'File', 32772);
        let dialog = await openDialog(page, 'Options');
        assert.equal(await checked(await control(dialog, '640 x 480')), true, 'the default size');
        const lights = await control(dialog, 'Lights');
        lightsBefore = await checked(lights);
        await lights.click();
        await (await control(dialog, '800 x 600')).click();
        await (await control(dialog, 'OK')).click();
        await page.waitForFunction((d) => !d.open, {}, dialog);
        // The store is written behind the save; a player does not reload in
        // the same instant either.
        await new Promise((done) => setTimeout(done, 1000));

        // A reload, with the same profile, reads them back.
        await page.reload({ waitUntil: 'load' });
        await waitForSplash(page);
        await pickMenu(page, 'File', 32772);
        dialog = await openDialog(page, 'Options');
        await keepShot(page, 'options-after-reload', { whole: true });
        assert.equal(await checked(await control(dialog, 'Lights')), !lightsBefore, 'Lights kept after a reload');
        assert.equal(await checked(await control(dialog, '800 x 600')), true, 'the size kept after a reload');
        assert.equal(await checked(await control(dialog, '640 x 480')), false);
        await (await control(dialog, 'Cancel')).click();
        assert.deepEqual(errors, []);
      },
      { name: 'options', profile },
    );
    // The next visit, in a new browser on the same profile, still has them.
    await withGame(
      async ({ page, errors, url }) => {
        await openGame(page, url);
        await pickMenu(page, 'File', 32772);
        const dialog = await openDialog(page, 'Options');
        assert.equal(await checked(await control(dialog, 'Lights')), !lightsBefore, 'kept after the browser closed');
        assert.equal(await checked(await control(dialog, '800 x 600')), true);
        assert.deepEqual(errors, []);
      },
      { name: 'options', profile, port: origin },
    );
  } finally {
    dropProfile(profile);
  }
});

test("a refused IndexedDB shows the options' save message", () =>
  withGame(
    async ({ page, errors, url }) => {
      await openGame(page, url);
      await pickMenu(page, 'File', 32772);
      const dialog = await openDialog(page, 'Options');
      await (await control(dialog, 'Lights')).click();
      await (await control(dialog, 'OK')).click();
      const box = await page.waitForSelector('dialog.kestrune-message[open]');
      await keepShot(page, 'options-refused', { whole: true });
      assert.equal(
        await box.$eval('.text', (e) => e.textContent),
        'Error saving the options file [/player/config/kestrune/options.kvz].',
      );
      // The box's OK closes it and then the Options dialog.
      await (await control(box, 'OK')).click();
      await page.waitForFunction((d) => !d.isConnected, {}, dialog);
      assert.deepEqual(errors, []);
    },
    { name: 'options-refused', setUp: (page) => page.evaluateOnNewDocument(refuseTheStore) },
  ));
