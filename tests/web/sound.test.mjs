// The game's sound in a page: no Web Audio before the player's first gesture,
// then a context that runs and pulls the game's mix, loud once a race's
// engine turns.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { openGame, startRace, withGame } from './harness.mjs';

// Keeps count of the contexts the page makes and of the blocks its mix fills,
// and the loudest sample in them.
function listenIn() {
  const heard = (window.kestruneHeard = { contexts: [], blocks: 0, loudest: 0 });
  const Context = window.AudioContext;
  const handler = Object.getOwnPropertyDescriptor(ScriptProcessorNode.prototype, 'onaudioprocess');
  window.AudioContext = class extends Context {
    constructor(...options) {
      super(...options);
      heard.contexts.push(this);
    }
    createScriptProcessor(...shape) {
      const node = super.createScriptProcessor(...shape);
      Object.defineProperty(node, 'onaudioprocess', {
        get: () => handler.get.call(node),
        set: (fill) =>
          handler.set.call(node, fill && ((event) => {
            fill(event);
            heard.blocks += 1;
            for (let c = 0; c < event.outputBuffer.numberOfChannels; c++) {
              for (const sample of event.outputBuffer.getChannelData(c)) {
                heard.loudest = Math.max(heard.loudest, Math.abs(sample));
              }
            }
          })),
      });
      return node;
    }
  };
}

test('no sound before the first click; after it the mix is pulled and the engine heard', () =>
  withGame(async ({ page, errors, url }) => {
    await openGame(page, url);
    // The splash draws no frames; a moment of it is enough.
    await new Promise((settle) => setTimeout(settle, 500));
    assert.equal(await page.evaluate(() => window.kestruneHeard.contexts.length), 0,
      'no audio context before a gesture');

    await startRace(page);
    await page.waitForFunction(() => {
      const heard = window.kestruneHeard;
      return heard.contexts.length === 1 && heard.contexts[0].state === 'running' && heard.blocks > 4;
    });
    await page.waitForFunction(() => window.kestruneHeard.loudest > 0.02);
    assert.deepEqual(errors, []);
  }, { name: 'sound', setUp: (page) => page.evaluateOnNewDocument(listenIn) }));
