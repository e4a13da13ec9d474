// The browser tests' common ground: the built site served on 127.0.0.1, headless Chromium
// (playwright-core driving Debian's chromium), the native core's answers for comparison, pages
// on Playwright's fake clock, and a small runner. Each *.test.mjs beside it imports it.
// Exit 77 (skipped) when chromium, playwright-core or the built site is missing.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';

const SKIP = 77;
export const site = process.env.ZARQ_WEB_SITE || path.resolve('build-web/site');
export const reference = process.env.ZARQ_REFERENCE;
export const simulator = process.env.ZARQ_SIMULATOR;
export const shots = process.env.ZARQ_SHOTS || path.join(os.tmpdir(), 'zarq-web-shots');
const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';

function skip(why) {
  console.log('SKIPPED: ' + why);
  process.exit(SKIP);
}
if (!fs.existsSync(chromiumPath)) skip(`no chromium at ${chromiumPath} (scripts/install-deps.sh installs it)`);
if (!fs.existsSync(path.join(site, 'zarq.wasm'))) skip(`no built site in ${site} (run make web)`);
let chromium;
try {
  ({ chromium } = await import(new URL('./node_modules/playwright-core/index.mjs', import.meta.url)));
} catch (e) {
  skip('playwright-core is not installed (scripts/install-deps.sh runs npm ci in tests/web)');
}
if (!reference || !fs.existsSync(reference)) skip('no web_reference program (build the native tests)');
fs.mkdirSync(shots, { recursive: true });

// ---- A static server on 127.0.0.1 --------------------------------------------------------
const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.wasm': 'application/wasm',
  '.css': 'text/css', '.png': 'image/png', '.jpg': 'image/jpeg', '.webp': 'image/webp', '.svg': 'image/svg+xml',
  '.wav': 'audio/wav', '.txt': 'text/plain',
  '.webmanifest': 'application/manifest+json', '.json': 'application/json' };
// `headers`: sent with every file besides its type (a Cache-Control, say).
export function serve(dir, headers = {}) {
  const sockets = new Set();
  const server = http.createServer((req, res) => {
    let p = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    if (p.endsWith('/')) p += 'index.html';
    const file = path.join(dir, path.normalize(p));
    if (!file.startsWith(dir) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404);
      res.end();
      return;
    }
    res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream', ...headers });
    fs.createReadStream(file).pipe(res);
  });
  server.on('connection', (s) => { sockets.add(s); s.on('close', () => sockets.delete(s)); });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise((done) => { for (const s of sockets) s.destroy(); server.close(done); }),
  })));
}

// ---- The native core's answers -----------------------------------------------------------
export function native(events, queries, sound = false) {
  const args = [...(sound ? ['--sound'] : []), ...events, '--', ...queries.map(String)];
  const r = spawnSync(reference, args, { encoding: 'utf8' });
  if (r.status !== 0) throw new Error('web_reference failed: ' + r.stderr);
  const lit = {};
  const sounds = [];
  const speaker = [];
  for (const line of r.stdout.split('\n')) {
    const [kind, ms, ...rest] = line.split(' ');
    if (kind === 'lit') lit[ms] = rest.join(' ');
    if (kind === 'sound') sounds.push([Number(ms), rest[0]]);
    if (kind === 'speaker') speaker.push([Number(ms), Number(rest[0])]);
  }
  return { lit, sounds, speaker };
}

// ---- Pages ---------------------------------------------------------------------------------
export const PHONE = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
export const DESKTOP = { viewport: { width: 1920, height: 1080 }, deviceScaleFactor: 1 };
export const DESKTOP2 = { viewport: { width: 1920, height: 1080 }, deviceScaleFactor: 2 };

export let browser;
export let server;
export const consoleErrors = [];

// `url`: an address on the server other than the page's own (a link to a play, say);
// `before`: called with the context before the page opens (to route its requests, say).
export async function open(options = {}, { clock = true, init = null, url = null, before = null } = {}) {
  const context = await browser.newContext({ ...DESKTOP, acceptDownloads: true, ...options });
  if (before) await before(context);
  if (clock) await context.clock.install({ time: 1_000_000 });
  const page = await context.newPage();
  // On a static host the page's question for a scoreboard is answered 404, which the browser
  // notes as a failed load: that is the page learning there is none, not an error.
  const noBoard = (m) => /status of 404/.test(m.text()) && /\/api\/scores\?/.test(m.location().url);
  page.on('console', (m) => { if (m.type() === 'error' && !noBoard(m)) consoleErrors.push(m.text()); });
  page.on('pageerror', (e) => consoleErrors.push(e.message));
  if (init) await page.addInitScript(init);
  await page.goto(url || server.url);
  await page.waitForFunction(() => window.zarq && window.zarq.ready, null, { polling: 50 });
  if (clock) await page.clock.pauseAt(await page.evaluate(() => Date.now()) + 1000);
  return { context, page };
}

// "- PLAY -" with the given choices, the first-run note closed.
export async function play(page, { sound = false, hum = true } = {}) {
  await page.setChecked('#sound', sound);
  await page.setChecked('#hum', hum);
  await page.click('#play');
  await page.waitForSelector('#message:not([hidden])');
  await page.click('#message-ok');
  // The pictures arrive on the real clock, the frames that draw them come on the fake one.
  for (let i = 0; i < 400; i++) {
    if (await page.evaluate(() => document.body.dataset.painted === '1')) return;
    await page.clock.runFor(16);
    await new Promise((resolve) => setTimeout(resolve, 25));
  }
  throw new Error('the panel was never drawn');
}

// Waits (on the real clock, up to 30 s) until the async `fn` gives a truthy value in the page;
// page.waitForFunction would take its promise itself for a truthy value.
export async function untilInPage(page, fn, arg, what) {
  for (let i = 0; i < 300; i++) {
    if (await page.evaluate(fn, arg)) return;
    await page.waitForTimeout(100);
  }
  throw new Error('waited in vain ' + what);
}

export const pageNow = (page) => page.evaluate(() => Math.floor(performance.now()));
export async function runTo(page, t) {
  const now = await pageNow(page);
  if (t > now) await page.clock.runFor(t - now);
}
// A point of the panel (toy pixels) in the page's coordinates.
export async function at(page, x, y) {
  const box = await page.locator('#panel').boundingBox();
  const s = box.width / 490;
  return { x: box.x + x * s, y: box.y + y * s };
}
export const SWITCH = [245, 440];
export const UP_ARROW = [98, 414];
export const SPEED = [393, 440];

export async function click(page, [x, y]) {
  const p = await at(page, x, y);
  await page.mouse.click(p.x, p.y);
}

// Touches through the browser's own touch input: `points` are the fingers put down (touchStart)
// or lifted (touchEnd; none: every finger).
const sessions = new WeakMap();
export async function touch(page, type, points) {
  // One session per page: the browser keeps the fingers down per session.
  if (!sessions.has(page)) sessions.set(page, await page.context().newCDPSession(page));
  const cdp = sessions.get(page);
  const touchPoints = [];
  for (const [id, x, y] of points) {
    const p = await at(page, x, y);
    touchPoints.push({ x: p.x, y: p.y, id, radiusX: 4, radiusY: 4, force: 1 });
  }
  await cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
}

// Switches the toy on by a tap on the switch; returns the page time it happened at.
export async function switchOn(page) {
  const t0 = await pageNow(page);
  await click(page, SWITCH);
  return t0;
}

export async function litAt(page, t0, queries) {
  const lit = {};
  for (const q of queries) {
    await runTo(page, t0 + q);
    lit[q] = await page.evaluate(() => window.zarq.lit());
  }
  return lit;
}

export function sameLit(got, want, queries, what) {
  for (const q of queries) {
    if (got[q] !== want[q]) throw new Error(`${what}: at ${q} ms the page shows\n  ${got[q]}\nthe native core\n  ${want[q]}`);
  }
}

// The page as shown after painting only the changes (the display on its own layer) equals the
// page after the whole panel is painted anew, and that again without the display's layer: the
// layer lies on the panel to the device pixel and nothing is left stale. At a device pixel
// ratio of 1 the browser shows canvases unscaled.
export async function sameAsWholeRepaint(page) {
  const shown = await page.screenshot();
  await page.evaluate(() => window.dispatchEvent(new Event('resize')));  // everything anew
  const whole = await page.screenshot();
  await page.evaluate(() => { document.getElementById('display').style.visibility = 'hidden'; });
  const bare = await page.screenshot();
  await page.evaluate(() => { document.getElementById('display').style.visibility = ''; });
  const worst = await page.evaluate(async (shots) => {
    const pixels = await Promise.all(shots.map(async (b64) => {
      const img = new Image();
      img.src = 'data:image/png;base64,' + b64;
      await img.decode();
      const c = document.createElement('canvas');
      c.width = img.width;
      c.height = img.height;
      const g = c.getContext('2d');
      g.drawImage(img, 0, 0);
      return g.getImageData(0, 0, c.width, c.height).data;
    }));
    const most = (a, b) => a.reduce((m, v, i) => Math.max(m, Math.abs(v - b[i])), 0);
    return [most(pixels[0], pixels[1]), most(pixels[1], pixels[2])];
  }, [shown, whole, bare].map((b) => b.toString('base64')));
  // Two rasterisations of the same pictures may differ by a rounding step, an edge by far more.
  if (worst[0] > 2) throw new Error(`the page painted by changes differs from a whole repaint by up to ${worst[0]}`);
  if (worst[1] > 2) throw new Error(`the display's layer differs from the panel beneath by up to ${worst[1]}`);
}

// ---- Run ---------------------------------------------------------------------------------------
const tests = [];
export const test = (name, fn) => tests.push([name, fn]);
// Thrown by a test that needs what this machine lacks: it is reported as skipped, with why.
export class Skipped extends Error {}

// Runs the tests given to `test` (those whose name holds the first argument, if any) and exits.
export async function run() {
  server = await serve(site);
  browser = await chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox'] });
  let passed = 0;
  let failed = 0;
  let skipped = 0;
  const only = process.argv[2];
  for (const [name, fn] of tests) {
    if (only && !name.includes(only)) continue;
    const errorsBefore = consoleErrors.length;
    try {
      await fn();
      if (consoleErrors.length > errorsBefore) throw new Error('console errors: ' + consoleErrors.slice(errorsBefore).join(' | '));
      console.log(`ok - ${name}`);
      passed++;
    } catch (e) {
      if (e instanceof Skipped) {
        console.log(`ok - ${name} # SKIP ${e.message}`);
        skipped++;
        continue;
      }
      console.log(`not ok - ${name}\n  ${String(e.stack || e).split('\n').join('\n  ')}`);
      failed++;
    }
  }
  await browser.close();
  await server.close();
  console.log(`${passed} passed, ${failed} failed` + (skipped ? `, ${skipped} skipped` : ''));
  process.exit(failed ? 1 : 0);
}
