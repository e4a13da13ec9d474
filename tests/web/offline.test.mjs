// The page's weight and its life offline, seen from the browser: what a first play fetches, a
// new build reaching a returning visitor, and a phone turned round with the server gone.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { site, serve, server, PHONE, DESKTOP, browser, consoleErrors, at, SWITCH, untilInPage, test, run } from './harness.mjs';

// A page on the real clock (the service worker lives on it), its errors collected.
async function visit(options, url) {
  const context = await browser.newContext(options);
  const page = await context.newPage();
  page.on('pageerror', (e) => consoleErrors.push(e.message));
  await page.goto(url);
  await ready(page);
  return { context, page };
}
const ready = (page) => page.waitForFunction(() => window.zarq && window.zarq.ready, null, { polling: 50, timeout: 30000 });
const controlled = (page) => page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { polling: 100, timeout: 30000 });

// "- PLAY -" without sound, the first-run note closed if it shows, the panel drawn.
async function playDrawn(page) {
  await page.setChecked('#sound', false);
  // A click of the element itself: on a landscape phone the dialog reaches past the screen.
  await page.evaluate(() => document.getElementById('play').click());
  await page.waitForFunction(() => document.body.dataset.painted === '1', null, { polling: 50, timeout: 30000 });
  if (await page.isVisible('#message')) await page.click('#message-ok');
}

// The panel's canvas: its size, and each pixel's colour and alpha.
function panelPixels(page) {
  return page.evaluate(() => {
    const c = document.getElementById('panel');
    const copy = document.createElement('canvas');
    copy.width = c.width;
    copy.height = c.height;
    const g = copy.getContext('2d');
    g.drawImage(c, 0, 0);
    return { width: c.width, height: c.height, data: Array.from(g.getImageData(0, 0, c.width, c.height).data) };
  });
}

test('a first play on a 1280 x 900 window at ratio 1 fetches the 2x pictures only, and no sound file', async () => {
  const fetched = [];
  const context = await browser.newContext({ viewport: { width: 1280, height: 900 }, deviceScaleFactor: 1 });
  context.on('request', (r) => fetched.push(new URL(r.url()).pathname));
  const page = await context.newPage();
  await page.goto(server.url);
  await ready(page);
  await playDrawn(page);
  // The panel's pictures (the dialogs' are another matter).
  const pictures = fetched.filter((p) => p.startsWith('/pictures/') && !/^\/pictures\/Im_(Piccina|Foto)/.test(p));
  // The panel is 1.48 times the toy's pixels here: the 2x set, every picture of it.
  const count = await page.evaluate(() => window.zarq.api.pictureCount());
  const twice = new Set(pictures.filter((p) => /@2x\.webp$/.test(p)));
  if (twice.size !== count) throw new Error(`${twice.size} pictures of the 2x set fetched, the panel has ${count}`);
  const others = pictures.filter((p) => !/@2x\.webp$/.test(p) && p !== '/pictures/Outline.svg');
  if (others.length) throw new Error('pictures of other sets fetched: ' + others.join(' '));
  const sounds = fetched.filter((p) => /\.(wav|mp3|ogg)$/.test(p));
  if (sounds.length) throw new Error('sound files fetched: ' + sounds.join(' '));
  await context.close();
});

test('a new build of the site reaches a returning visitor at the second load, and the first says it is coming', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zarq-site-'));
  fs.cpSync(site, dir, { recursive: true });
  const worker = fs.readFileSync(path.join(dir, 'sw.js'), 'utf8');
  const keep = /const KEEP = 'zarq-([0-9a-f]{16})';/.exec(worker);
  if (!keep) throw new Error('the worker names no version: ' + /const KEEP.*/.exec(worker));
  // Every file may come from the browser's HTTP cache for a day, as many servers allow.
  const own = await serve(dir, { 'Cache-Control': 'max-age=86400' });
  const { context, page } = await visit(DESKTOP, own.url);
  await controlled(page);
  const firstTitle = await page.title();
  if (await page.isVisible('#notice')) throw new Error('a first visit is told of a new version: ' + await page.textContent('#notice'));

  // The second build: another page, and a worker of another version.
  const index = fs.readFileSync(path.join(dir, 'index.html'), 'utf8');
  fs.writeFileSync(path.join(dir, 'index.html'), index.replace('<title>', '<title>Second build: '));
  const second = keep[1] === '0123456789abcdef' ? 'fedcba9876543210' : '0123456789abcdef';
  fs.writeFileSync(path.join(dir, 'sw.js'), worker.replace(keep[0], keep[0].replace(keep[1], second)));

  await page.reload();
  await ready(page);
  await page.waitForSelector('#notice:not([hidden])', { timeout: 30000 });
  const notice = await page.textContent('#notice');
  if (!/new version/.test(notice)) throw new Error('the notice says: ' + notice);
  await page.reload();
  await ready(page);
  const title = await page.title();
  if (title !== 'Second build: ' + firstTitle) throw new Error(`the second load shows "${title}", not the second build`);
  await context.close();
  await own.close();
  fs.rmSync(dir, { recursive: true, force: true });
});

test('played once in portrait on a phone, offline and turned to landscape, the panel is drawn from the set kept', async () => {
  const own = await serve(site);
  const { context, page } = await visit(PHONE, own.url);
  await controlled(page);
  // The author's photograph for this screen, as the about page shows it (never shown online).
  const photo = () => page.evaluate(() => new Promise((resolve) => {
    const img = new Image();
    img.onload = () => resolve(img.naturalWidth);
    img.onerror = () => resolve(0);
    img.src = 'pictures/Im_Foto@3x.webp';
  }));
  await playDrawn(page);
  const portraitSet = await page.evaluate(() => window.zarq.api.setFor(390 / 490 * 3));
  // The worker keeps the set the screen needed (which came before it looked after the page).
  await untilInPage(page, async (set) => {
    const api = window.zarq.api;
    for (let i = 0; i < api.pictureCount(); i++) {
      if (!await caches.match(new URL(api.pictureFile(i, set), location.href).href)) return false;
    }
    return true;
  }, portraitSet, `for the ${portraitSet}x set to be kept`);
  await untilInPage(page, async () => !!await caches.match(new URL('pictures/Im_Foto@3x.webp', location.href).href), null,
    'for the photograph to be kept');
  await own.close();

  await page.reload();
  await ready(page);
  await playDrawn(page);
  const failed = new Set();
  page.on('requestfailed', (r) => failed.add(new URL(r.url()).pathname));
  await page.setViewportSize({ width: 800, height: 360 });
  // Laid out anew at the landscape size (the bar moves beside the panel first).
  await page.waitForFunction(() => {
    const r = document.getElementById('stage').getBoundingClientRect();
    return r.width > r.height && document.getElementById('panel').width === Math.round(490 * Math.min(r.width / 490, r.height / 580) * 3);
  }, null, { polling: 50, timeout: 10000 });
  const landscapeSet = await page.evaluate(() => {
    const r = document.getElementById('stage').getBoundingClientRect();
    return window.zarq.api.setFor(Math.min(r.width / 490, r.height / 580) * 3);
  });
  if (landscapeSet === portraitSet) throw new Error(`both ways round need the ${portraitSet}x set`);
  // The landscape set was asked for and could not be had: every one of its pictures failed.
  const wanted = await page.evaluate((set) => {
    const api = window.zarq.api;
    return Array.from({ length: api.pictureCount() }, (_, i) => '/' + api.pictureFile(i, set));
  }, landscapeSet);
  for (let i = 0; i < 300 && !wanted.every((p) => failed.has(p)); i++) await page.waitForTimeout(100);
  if (!wanted.every((p) => failed.has(p))) throw new Error(`the ${landscapeSet}x set was never asked for offline`);
  await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
  const offline = await panelPixels(page);
  const covered = offline.data.filter((v, i) => i % 4 === 3 && v === 255).length / (offline.width * offline.height);
  if (covered < 0.8) throw new Error(`only ${(covered * 100).toFixed(0)} % of the panel is drawn offline`);
  if (offline.data[3] !== 0) throw new Error('the panel is not cut to the toy\'s outline at its top left corner');

  // The same panel online, from the set it needs: the same picture, to the resampling.
  const online = await serve(site);
  const fresh = await visit({ ...PHONE, viewport: { width: 800, height: 360 } }, online.url);
  await playDrawn(fresh.page);
  const want = await panelPixels(fresh.page);
  await fresh.context.close();
  await online.close();
  if (want.width !== offline.width || want.height !== offline.height)
    throw new Error(`the panel is ${offline.width} x ${offline.height} offline, ${want.width} x ${want.height} online`);
  let sum = 0;
  for (let i = 0; i < want.data.length; i++) sum += Math.abs(want.data[i] - offline.data[i]);
  const mean = sum / want.data.length;
  if (mean > 4) throw new Error(`the panel drawn from the ${portraitSet}x set differs from the ${landscapeSet}x set's by ${mean.toFixed(1)} on average`);

  // It plays, and the photograph is there too.
  const p = await at(page, ...SWITCH);
  await page.mouse.click(p.x, p.y);
  await page.waitForFunction(() => /Puls_On/.test(window.zarq.lit()), null, { polling: 50, timeout: 10000 });
  if (!(await photo() > 0)) throw new Error('the photograph does not load offline');
  await context.close();
});

await run();
