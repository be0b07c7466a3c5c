// The web page's figures on this machine, in one run: page load to splash,
// race frames per second at 640 x 480 beside a clear-only page of the same
// size, and the compressed download. Called by tools/bench-web.sh.
import { readFileSync, statSync } from 'node:fs';
import { loadavg } from 'node:os';
import { join } from 'node:path';
import { brotliCompressSync, constants, gzipSync } from 'node:zlib';
import {
  checked, control, dropProfile, launch, newProfile, onCanvas, openDialog, openGame, openTab, pickMenu, serve, status,
  waitForStatus,
} from '../../../tests/web/harness.mjs';

const [pageDir, loadsText = '5', secondsText = '10'] = process.argv.slice(2);
const loads = Number(loadsText);
const seconds = Number(secondsText);
const downloadTarget = 5 * 1000 * 1000;
const Racing = 2;

function row(figure, measured, baseline = '', ratio = '', target = '', met = '') {
  console.log(
    `${figure.padEnd(44)} ${String(measured).padStart(11)}  ${baseline.padEnd(22)} ${ratio.padStart(8)}  ${target.padEnd(9)} ${met}`,
  );
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// A WebGL2 canvas that only clears and presents, one colour a frame, at the
// size given in the address.
const clearOnly = `<!doctype html><canvas id="canvas"></canvas><script>
const size = new URLSearchParams(location.search);
const canvas = document.getElementById('canvas');
canvas.width = Number(size.get('w'));
canvas.height = Number(size.get('h'));
const gl = canvas.getContext('webgl2');
let frames = 0;
window.clearFrames = () => frames;
(function frame() {
  gl.clearColor((frames & 255) / 255, 0.5, 0.7, 1);
  gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
  frames++;
  requestAnimationFrame(frame);
})();
</script>`;

// The time in the page from navigation to the splash: the ready promise is
// caught as the page installs it.
function catchSplash() {
  let game;
  Object.defineProperty(window, 'kestrune', {
    configurable: true,
    get: () => game,
    set(value) {
      game = value;
      if (value && value.ready) value.ready.then(() => (window.splashAt = performance.now()));
    },
  });
}

async function loadToSplash(browser, url) {
  const { page, errors } = await openTab(browser, (p) => p.evaluateOnNewDocument(catchSplash));
  const started = Date.now();
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => Boolean(window.kestrune && window.kestrune.ready));
  await page.evaluate(() => window.kestrune.ready);
  const wall = Date.now() - started;
  const inPage = await page.evaluate(() => window.splashAt);
  await page.close();
  if (errors.length) throw new Error(errors.join('\n'));
  return inPage ?? wall;
}

// Frames presented per second over `seconds`, counted by the page itself,
// and the time per frame the page's main thread was busy (the game's wasm,
// the page's JS and the WebGL calls, which wait when the GPU process falls
// behind). What a frame takes beyond that is the browser's own.
async function framesPerSecond(page, count) {
  const take = async () => [
    ...(await page.evaluate(async (c) => [await eval(c), performance.now()], count)),
    await page.metrics(),
  ];
  const [f0, t0, m0] = await take();
  await new Promise((done) => setTimeout(done, seconds * 1000));
  const [f1, t1, m1] = await take();
  const frames = Math.max(1, f1 - f0);
  return {
    fps: ((f1 - f0) * 1000) / (t1 - t0),
    taskMs: ((m1.TaskDuration - m0.TaskDuration) * 1000) / frames,
  };
}

// A race in the window, or full screen at 640 x 480: the browser's full screen
// is its viewport, so the viewport is made that size.
async function raceFramesPerSecond(browser, url, fullScreen) {
  const { page, errors } = await openTab(browser);
  await page.setViewport(fullScreen ? { width: 640, height: 480 } : { width: 900, height: 700 });
  await openGame(page, url);
  await pickMenu(page, 'File', 32772);
  const dialog = await openDialog(page, 'Options');
  const windowed = await control(dialog, 'Windowed');
  if ((await checked(windowed)) === fullScreen) await windowed.click();
  await (await control(dialog, '640 x 480')).click();
  await (await control(dialog, 'OK')).click();
  await page.waitForFunction((d) => !d.open, {}, dialog);
  await pickMenu(page, 'File', 32771);
  await waitForStatus(page, () => window.kestrune.status().phase === 1);
  const centre = await onCanvas(page, 0.5, 0.5);
  await page.mouse.click(centre.x, centre.y);
  await waitForStatus(page, (phase) => window.kestrune.status().phase === phase, Racing);
  const ahead = await onCanvas(page, 0.5, 0.3);
  await page.mouse.move(ahead.x, ahead.y, { steps: 4 });
  const size = await page.$eval('#canvas', (c) => ({ w: c.width, h: c.height }));
  const { fps, taskMs } = await framesPerSecond(page, 'window.kestrune.status().frames');
  const end = await status(page);
  await page.close();
  if (errors.length) throw new Error(errors.join('\n'));
  return { fps, taskMs, size, racing: end.phase === Racing, form: fullScreen ? 'full screen' : 'window' };
}

async function clearFramesPerSecond(browser, url, { w, h }) {
  const { page } = await openTab(browser);
  await page.goto(`${url}clear-only.html?w=${w}&h=${h}`, { waitUntil: 'load' });
  const { fps } = await framesPerSecond(page, 'window.clearFrames()');
  await page.close();
  return fps;
}

const before = loadavg()[0];
const profile = newProfile();
const server = await serve(pageDir, 0, { '/clear-only.html': clearOnly });
const browser = await launch(profile, ['--disable-gpu-vsync', '--disable-frame-rate-limit']);
let splash = [];
let races = [];
let clears = [];
try {
  for (let i = 0; i < loads; i++) splash.push(await loadToSplash(browser, server.url));
  for (const fullScreen of [true, false]) {
    const race = await raceFramesPerSecond(browser, server.url, fullScreen);
    races.push(race);
    clears.push(await clearFramesPerSecond(browser, server.url, race.size));
  }
} finally {
  await browser.close();
  await server.close();
  dropProfile(profile);
}
const after = loadavg()[0];

const sizes = ['kestrune.wasm', 'kestrune.data'].map((name) => {
  const bytes = readFileSync(join(pageDir, name));
  return {
    name,
    raw: statSync(join(pageDir, name)).size,
    gzip: gzipSync(bytes, { level: 9 }).length,
    brotli: brotliCompressSync(bytes, {
      params: { [constants.BROTLI_PARAM_QUALITY]: 11, [constants.BROTLI_PARAM_SIZE_HINT]: bytes.length },
    }).length,
  };
});
const mb = (n) => (n / 1e6).toFixed(2);

console.log(`Kestrune web benchmark: headless chromium, software WebGL2 (SwiftShader); page ${pageDir}`);
console.log(`load average (1 min): ${before.toFixed(2)} before, ${after.toFixed(2)} after`);
console.log('');
row('figure', 'measured', 'baseline', 'ratio', 'target', 'met');
row(`page load to splash, ms (median of ${loads})`, median(splash).toFixed(0), `runs ${splash.map((t) => t.toFixed(0)).join(' ')}`);
races.forEach((race, i) => {
  const at640 = race.size.w === 640 && race.size.h === 480;
  row(
    `race ${race.size.w}x${race.size.h} ${race.form}: frames per second`,
    race.fps.toFixed(1),
    `clear only ${clears[i].toFixed(0)}`,
    `${(clears[i] / race.fps).toFixed(1)}x`,
    at640 ? '>= 60' : '',
    at640 ? (race.racing && race.fps >= 60 ? 'yes' : 'NO') : '',
  );
  row('  page main thread busy per frame, ms', race.taskMs.toFixed(1), 'wasm, JS and WebGL calls', '', '', '');
  row('  the rest of a frame, ms', Math.max(0, 1000 / race.fps - race.taskMs).toFixed(1), 'the browser between', '', '', '');
  if (!race.racing) console.log('note: that race had ended before the count closed');
});
for (const s of sizes) row(`download ${s.name}, MB`, mb(s.raw), `gzip -9 ${mb(s.gzip)}`, '', '', '');
for (const s of sizes) row(`  ${s.name} brotli 11, MB`, mb(s.brotli));
const total = (k) => sizes.reduce((sum, s) => sum + s[k], 0);
row('download wasm + data, gzip -9, MB', mb(total('gzip')), `raw ${mb(total('raw'))}`, '', '< 5 MB', total('gzip') < downloadTarget ? 'yes' : 'NO');
row('download wasm + data, brotli 11, MB', mb(total('brotli')), '', '', '< 5 MB', total('brotli') < downloadTarget ? 'yes' : 'NO');
