// A browser without WebGL2 gets a plain message, not a blank canvas.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { dropProfile, keepShot, launch, newProfile, pageDir, serve } from './harness.mjs';

test('without WebGL2 the page says so in #kestrune-error and throws nothing', async () => {
  const profile = newProfile();
  const server = await serve(pageDir);
  const browser = await launch(profile);
  try {
    const page = await browser.newPage();
    const thrown = [];
    page.on('pageerror', (error) => thrown.push(error.message));
    await page.evaluateOnNewDocument(() => {
      const real = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
        return kind === 'webgl2' ? null : real.call(this, kind, ...rest);
      };
      window.WebGL2RenderingContext = undefined;
    });
    await page.goto(server.url, { waitUntil: 'load' });
    const message = await page.waitForSelector('#kestrune-error', { visible: true, timeout: 60000 });
    const text = await message.evaluate((e) => e.textContent.trim());
    assert.ok(text.length > 0, 'the message has words');
    // Give a late start-up the chance to throw before looking.
    await page.evaluate(() => new Promise((done) => setTimeout(done, 1000)));
    await keepShot(page, 'no_webgl2', { whole: true });
    assert.deepEqual(thrown, []);
  } finally {
    await browser.close();
    await server.close();
    dropProfile(profile);
  }
});
