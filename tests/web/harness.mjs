// What every browser test shares: a static server for the page's folder,
// headless chromium with a profile of the test's own, a watch on errors, and
// small steps a player takes (menus, dialogs, waiting for the game).
import assert from 'node:assert/strict';
import { createReadStream, mkdirSync, mkdtempSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';

export const pageDir = resolve(process.env.KESTRUNE_WEB_PAGE_DIR || 'build-web/page');
export const shotDir = resolve(process.env.KESTRUNE_WEB_SHOTS || 'build/web-shots');
// An upper bound against a hung page, not a speed requirement: software
// WebGL on a busy machine can take long to compile and to load the data.
export const patience = Number(process.env.KESTRUNE_WEB_PATIENCE || 120000);

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.mjs': 'text/javascript',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.css': 'text/css',
  '.png': 'image/png',
  '.jpg': 'image/jpeg',
  '.htm': 'text/html; charset=utf-8',
};

// Serves `dir` on 127.0.0.1 at `port`, or one the system picks, and `extra`
// pages given by path and text; resolves to the base address, the port and a
// close function.
export async function serve(dir, port = 0, extra = {}) {
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    if (extra[path] !== undefined) {
      response.writeHead(200, { 'Content-Type': types['.html'] }).end(extra[path]);
      return;
    }
    if (path === '/favicon.ico') {
      response.writeHead(204).end();
      return;
    }
    const file = normalize(join(dir, path === '/' ? 'kestrune.html' : path));
    let size = -1;
    try {
      if (file.startsWith(dir)) size = statSync(file).isFile() ? statSync(file).size : -1;
    } catch {
      size = -1;
    }
    if (size < 0) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': types[extname(file)] || 'application/octet-stream',
      'Content-Length': size,
      'Cache-Control': 'no-store',
    });
    createReadStream(file).pipe(response);
  });
  await new Promise((done) => server.listen(port, '127.0.0.1', done));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    port: server.address().port,
    close: () => new Promise((done) => server.close(done)),
  };
}

export const chromiumFlags = [
  '--no-sandbox',
  '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader',
  '--autoplay-policy=no-user-gesture-required',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--no-first-run',
  '--disable-quic',
  // A headless tab counts as hidden to some checks; the game pauses when
  // hidden, so keep it in the foreground.
  '--disable-background-timer-throttling',
  '--disable-renderer-backgrounding',
  '--disable-backgrounding-occluded-windows',
];

export function newProfile() {
  return mkdtempSync(join(tmpdir(), 'kestrune-profile-'));
}

export function dropProfile(dir) {
  rmSync(dir, { recursive: true, force: true });
}

export function launch(profile, extraFlags = []) {
  return puppeteer.launch({
    executablePath: process.env.KESTRUNE_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: [...chromiumFlags, ...extraFlags],
    defaultViewport: { width: 800, height: 700 },
  });
}

// Opens a tab that records every uncaught exception and console error;
// `errors` is what the test asserts empty at its end.
export async function openTab(browser, setUp) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(`page error: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(`console error: ${message.text()}`);
  });
  page.setDefaultTimeout(patience);
  // A race pauses when its tab loses the focus.
  await page.bringToFront();
  if (setUp) await setUp(page);
  return { page, errors };
}

export async function waitForSplash(page) {
  await page.waitForFunction(() => Boolean(window.kestrune && window.kestrune.ready));
  await page.evaluate(() => window.kestrune.ready);
}

// Loads the page and waits for the splash.
export async function openGame(page, url) {
  await page.goto(url, { waitUntil: 'load' });
  await waitForSplash(page);
}

export function status(page) {
  return page.evaluate(() => window.kestrune.status());
}

export function waitForStatus(page, predicate, arg) {
  return page.waitForFunction(predicate, { polling: 50 }, arg);
}

// Waits until `count` more frames have been presented.
export async function waitFrames(page, count) {
  const start = (await status(page)).frames;
  await waitForStatus(page, (n) => window.kestrune.status().frames >= n, start + count);
}

// The game's phases as status() reports them.
export const NewRace = 0;
export const Waiting = 1;
export const Racing = 2;

// File > Start, then a click at the canvas's centre, which starts the clock
// and steers nowhere.
export async function startRace(page) {
  await pickMenu(page, 'File', 32771);
  await waitForStatus(page, (phase) => window.kestrune.status().phase === phase, Waiting);
  const centre = await onCanvas(page, 0.5, 0.5);
  await page.mouse.click(centre.x, centre.y);
  await waitForStatus(page, (phase) => window.kestrune.status().phase === phase, Racing);
}

// Opens a top menu of the menu bar and picks the item with that command id.
export async function pickMenu(page, menu, command) {
  const [top] = await page.$$(`xpath/.//nav[@id="menubar"]//button[normalize-space(.)="${menu}"]`);
  assert.ok(top, `no "${menu}" menu in #menubar`);
  await top.click();
  const item = await page.waitForSelector(`#menubar [data-command="${command}"]`, { visible: true });
  await item.click();
}

// The open dialog with that caption (the caption's own text, not its buttons').
export async function openDialog(page, caption) {
  return page.waitForFunction(
    (text) =>
      [...document.querySelectorAll('dialog.kestrune-dialog')].find((d) => {
        const title = d.querySelector('.caption')?.cloneNode(true);
        title?.querySelectorAll('button').forEach((b) => b.remove());
        return d.open && title?.textContent.trim() === text;
      }),
    {},
    caption,
  );
}

// The control whose visible label is `label`: a button by its text, an input
// by its label element (wrapping or `for`).
export async function control(dialog, label) {
  const handle = await dialog.evaluateHandle((d, text) => {
    const name = (e) => e.textContent.replace(/\s+/g, ' ').trim();
    for (const input of d.querySelectorAll('input')) {
      if ([...(input.labels || [])].some((l) => name(l) === text)) return input;
    }
    return [...d.querySelectorAll('button')].find((b) => name(b) === text) || null;
  }, label);
  const element = handle.asElement();
  assert.ok(element, `no control "${label}" in the dialog`);
  return element;
}

export function checked(input) {
  return input.evaluate((e) => e.checked);
}

// Keeps a screenshot of the canvas under the shots folder and returns it.
export async function keepShot(page, name, { whole } = {}) {
  mkdirSync(shotDir, { recursive: true });
  const path = join(shotDir, `${name}.png`);
  const png = await (whole ? page : await page.$('#canvas')).screenshot({ path });
  console.log(`screenshot: ${path}`);
  return png;
}

// The share of pixels that differ between two screenshots, decoded in the
// page so that no image library is needed here.
export function pictureChange(page, a, b) {
  return page.evaluate(
    async (one, two) => {
      const pixels = async (base64) => {
        const image = new Image();
        image.src = `data:image/png;base64,${base64}`;
        await image.decode();
        const c = document.createElement('canvas');
        c.width = image.width;
        c.height = image.height;
        const g = c.getContext('2d');
        g.drawImage(image, 0, 0);
        return g.getImageData(0, 0, c.width, c.height).data;
      };
      const [p, q] = [await pixels(one), await pixels(two)];
      if (p.length !== q.length) return 1;
      let changed = 0;
      for (let i = 0; i < p.length; i += 4) {
        if (Math.abs(p[i] - q[i]) + Math.abs(p[i + 1] - q[i + 1]) + Math.abs(p[i + 2] - q[i + 2]) > 24)
          changed++;
      }
      return changed / (p.length / 4);
    },
    Buffer.from(a).toString('base64'),
    Buffer.from(b).toString('base64'),
  );
}

// The page point of a canvas position given in fractions of its size.
export async function onCanvas(page, fx, fy) {
  const box = await (await page.$('#canvas')).boundingBox();
  return { x: box.x + fx * box.width, y: box.y + fy * box.height };
}

// Runs `body` with a served page, a browser on a fresh profile (or the one
// given) and an error watch; closes everything whatever happens. A profile's
// stores belong to the page's origin, so a later visit reuses the port.
// A failing test keeps the whole page as it was, as `<name>-failed.png`.
export async function withGame(body, { name, profile, port, extraFlags, setUp } = {}) {
  const own = !profile;
  const dir = profile || newProfile();
  const server = await serve(pageDir, port);
  const browser = await launch(dir, extraFlags);
  let tab;
  try {
    tab = await openTab(browser, setUp);
    await body({ ...tab, browser, url: server.url, port: server.port });
  } catch (error) {
    if (tab && name) await keepShot(tab.page, `${name}-failed`, { whole: true }).catch(() => {});
    throw error;
  } finally {
    await browser.close();
    await server.close();
    if (own) dropProfile(dir);
  }
}
