// The web edition's measurements: the compressed transfer of a first play on three screens, the
// time from loading to the first drawn panel on 127.0.0.1 in headless Chromium, the CPU the
// browser takes while racing at the fast speed, and --verify of an hour of play in wasm.
//   node bench/web/measure.mjs SITE_DIR WEB_BUILD_DIR
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';

const site = path.resolve(process.argv[2] || 'build-web/site');
const build = path.resolve(process.argv[3] || 'build-web');
const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';
const results = [];
function report(name, value, unit, limit) {
  const ok = value < limit;
  results.push(ok);
  console.log(`${name}: ${value.toFixed(unit === 'kB' ? 0 : 2)} ${unit} (limit ${limit} ${unit}) ${ok ? 'ok' : 'OVER'}`);
}

// --verify of an hour of play, compiled to wasm, under node.
const verify = path.join(build, 'web_verify_bench.js');
if (fs.existsSync(verify)) {
  const r = spawnSync(process.execPath, ['--no-experimental-fetch', verify], { encoding: 'utf8' });
  const m = /([\d.]+) ms/.exec(r.stdout);
  if (r.status === 0 && m) report('verify of an hour of play in wasm', Number(m[1]) / 1000, 's', 0.1);
  else console.log('verify of an hour of play in wasm: failed\n' + r.stdout + r.stderr);
} else {
  console.log(`verify of an hour of play in wasm: not built (${verify})`);
}

let chromium;
try {
  ({ chromium } = await import(new URL('../../tests/web/node_modules/playwright-core/index.mjs', import.meta.url)));
} catch (e) {
  console.log('browser measurements skipped: playwright-core is not installed (scripts/install-deps.sh)');
  process.exit(0);
}
if (!fs.existsSync(chromiumPath) || !fs.existsSync(path.join(site, 'zarq.wasm'))) {
  console.log('browser measurements skipped: no chromium or no built site');
  process.exit(0);
}

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css',
  '.png': 'image/png', '.jpg': 'image/jpeg', '.webp': 'image/webp', '.svg': 'image/svg+xml', '.txt': 'text/plain',
  '.webmanifest': 'application/manifest+json' };
const server = http.createServer((req, res) => {
  let p = decodeURIComponent(new URL(req.url, 'http://x').pathname);
  if (p.endsWith('/')) p += 'index.html';
  const file = path.join(site, path.normalize(p));
  if (!file.startsWith(site) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) { res.writeHead(404); res.end(); return; }
  res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
  fs.createReadStream(file).pipe(res);
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'] });

// The transfer of a first play: everything the page fetches until its panel is drawn, and
// everything the service worker keeps at installation, each file gzip-compressed once.
const SCREENS = [
  ['a 1280 x 900 window at ratio 1', { viewport: { width: 1280, height: 900 }, deviceScaleFactor: 1 }, 500],
  ['a 1280 x 900 window at ratio 2', { viewport: { width: 1280, height: 900 }, deviceScaleFactor: 2 }, 500],
  ['a 390 x 844 phone at ratio 3', { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true }, 800],
];
const worker = fs.readFileSync(path.join(site, 'sw.js'), 'utf8');
const keptAtInstall = [...worker.matchAll(/^\s*"([^"]+)",$/gm)].map((m) => '/' + m[1].replace(/^\.\//, ''));
for (const [name, options, limit] of SCREENS) {
  const context = await browser.newContext(options);
  const fetched = new Set();
  context.on('request', (r) => { const u = new URL(r.url()); if (u.origin + '/' === url) fetched.add(u.pathname); });
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.zarq && window.zarq.ready);
  await page.click('#play');
  await page.waitForFunction(() => document.body.dataset.painted === '1');
  for (const p of keptAtInstall) fetched.add(p);
  const files = [];
  for (let p of fetched) {
    if (p.endsWith('/')) p += 'index.html';
    const file = path.join(site, p);
    if (fs.existsSync(file) && fs.statSync(file).isFile() && !files.some(([q]) => q === p)) {
      files.push([p, zlib.gzipSync(fs.readFileSync(file), { level: 9 }).length]);
    }
  }
  const bytes = files.reduce((a, [, b]) => a + b, 0);
  report(`transfer of a first play on ${name}, gzip`, bytes / 1024, 'kB', limit);
  files.sort((a, b) => b[1] - a[1]);
  const big = files.filter(([, b]) => b >= 4096).map(([p, b]) => `${p.slice(1)} ${(b / 1024).toFixed(0)}`);
  const small = files.filter(([, b]) => b < 4096);
  const rest = small.reduce((a, [, b]) => a + b, 0);
  console.log(`  ${big.join(', ')}; ${small.length} more files ${(rest / 1024).toFixed(0)} kB`);
  await context.close();
}

// Load to the first drawn panel: the page ready for play, then "- PLAY -" to the panel drawn.
{
  const times = [];
  for (let i = 0; i < 3; i++) {
    const context = await browser.newContext({ viewport: { width: 1280, height: 900 } });
    const page = await context.newPage();
    await page.goto(url);
    await page.waitForFunction(() => window.zarq && window.zarq.ready);
    await page.setChecked('#sound', false);
    await page.click('#play');
    await page.waitForFunction(() => document.body.dataset.painted === '1');
    times.push(await page.evaluate(() => (window.zarq.readyAt + (window.zarq.firstPaint - window.zarq.playAt)) / 1000));
    await context.close();
  }
  report('load to first drawn panel on 127.0.0.1', Math.min(...times), 's', 1);
}

// CPU while racing at the fast speed. Every thread of every browser process is counted over ten
// seconds, to the nanosecond where the kernel keeps scheduler statistics (clock ticks would
// make a tenth of a second's noise per thread), headless, so painting is done in software. The
// same browser showing an empty
// page for as long is taken off: that idle floor is the browser's own, any tab costs it. What
// remains is the page's work, shown by where it is done: drawing (the page's main thread, its
// compositor and the GPU process), sound (the page's audio thread and the audio service) and
// game controllers (the browser polls them for as long as a page listens for one).
const hz = Number(spawnSync('getconf', ['CLK_TCK'], { encoding: 'utf8' }).stdout) || 100;
function cpuTicks() {
  const parents = new Map();
  for (const pid of fs.readdirSync('/proc').filter((d) => /^\d+$/.test(d))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      parents.set(Number(pid), Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]));
    } catch (e) { /* gone */ }
  }
  const mine = new Set([process.pid]);
  let grew = true;
  while (grew) {
    grew = false;
    for (const [pid, ppid] of parents) if (!mine.has(pid) && mine.has(ppid)) { mine.add(pid); grew = true; }
  }
  const byPart = {};
  for (const pid of mine) {
    if (pid === process.pid) continue;
    let type = 'browser';
    try {
      const m = /--type=([a-z-]+)/.exec(fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8'));
      if (m) type = m[1];
      for (const tid of fs.readdirSync(`/proc/${pid}/task`)) {
        const stat = fs.readFileSync(`/proc/${pid}/task/${tid}/stat`, 'utf8');
        const name = stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')'));
        const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
        let ticks = Number(fields[11]) + Number(fields[12]);
        try {
          ticks = (Number(fs.readFileSync(`/proc/${pid}/task/${tid}/schedstat`, 'utf8').split(' ')[0]) * hz) / 1e9;
        } catch (e) { /* no scheduler statistics: clock ticks */ }
        let part = 'browser';
        if (/^Audio/.test(name) && (type === 'utility' || type === 'renderer')) part = 'sound';
        else if (name === 'Gamepad polling') part = 'game controllers';
        else if (type === 'renderer' || type === 'gpu-process') part = 'drawing';
        byPart[part] = (byPart[part] || 0) + ticks;
      }
    } catch (e) { /* gone */ }
  }
  return byPart;
}
// Percent of a core per part over `ms` of waiting on `page`.
async function cpuOver(page, ms) {
  const before = cpuTicks();
  const start = Date.now();
  await page.waitForTimeout(ms);
  const after = cpuTicks();
  const seconds = (Date.now() - start) / 1000;
  const parts = {};
  for (const part of Object.keys(after)) parts[part] = (100 * (after[part] - (before[part] || 0))) / hz / seconds;
  return parts;
}
const sum = (parts) => Object.values(parts).reduce((a, b) => a + b, 0);
const shown = (parts) => Object.entries(parts).map(([k, v]) => `${k} ${v.toFixed(1)} %`).join(', ');

async function idleCpu() {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  const page = await context.newPage();
  await page.goto('about:blank');
  await page.waitForTimeout(2000);
  const parts = await cpuOver(page, 10000);
  await context.close();
  return parts;
}
async function racingCpu(sound) {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.zarq && window.zarq.ready);
  await page.setChecked('#sound', sound);
  await page.click('#play');
  await page.waitForSelector('#message:not([hidden])');
  await page.click('#message-ok');
  const box = await page.locator('#panel').boundingBox();
  const s = box.width / 490;
  await page.mouse.click(box.x + 245 * s, box.y + 440 * s);
  await page.waitForTimeout(13000);  // the race has started
  await page.keyboard.down('Control');  // the fast speed
  const painted = await page.evaluate(() => window.zarq.painted);
  const parts = await cpuOver(page, 10000);
  parts.paints = (await page.evaluate(() => window.zarq.painted)) - painted;
  const lit = await page.evaluate(() => window.zarq.lit());
  await page.keyboard.up('Control');
  if (!/Im_Bar/.test(lit)) console.log('  (the race was not running: ' + lit + ')');
  await context.close();
  return parts;
}
// For comparison, the browser's own price of showing a change: a page that only fills a small
// rectangle of a canvas the size of the game display, drawn as the page draws (desynchronized,
// at once), as often as the racing page drew.
async function referenceCpu(paintsPerSecond) {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  const page = await context.newPage();
  await page.setContent(`<body style="margin:0"><canvas id="c" width="350" height="150"></canvas><script>
    const g = c.getContext('2d', {desynchronized: true});
    let i = 0;
    setInterval(() => { g.fillStyle = i++ % 2 ? '#f00' : '#0f0'; g.fillRect(100, 100, 60, 20); },
                ${Math.round(1000 / Math.max(1, paintsPerSecond))});
  </script></body>`);
  await page.waitForTimeout(2000);
  const parts = await cpuOver(page, 10000);
  await context.close();
  return parts;
}
// The machine's own drift (other work, the clock's speed) moves both alike: each racing run is
// taken right after its own empty page.
for (const sound of [true, false]) {
  const idle = await idleCpu();
  console.log(`  the browser with an empty page: ${sum(idle).toFixed(1)} % of a core (${shown(idle)})`);
  const racing = await racingCpu(sound);
  const paints = racing.paints / 10;
  delete racing.paints;
  const work = {};
  for (const part of Object.keys(racing)) work[part] = Math.max(0, racing[part] - (idle[part] || 0));
  console.log(`  racing: ${sum(racing).toFixed(1)} % of a core in all; less the empty page: ${shown(work)}`);
  report(`CPU of the page while racing at the fast speed, ${sound ? 'with sound' : 'silent'}`, sum(racing) - sum(idle), '% of a core', 3);
  if (!sound) {
    const reference = await referenceCpu(paints);
    console.log(`  (a bare canvas changed ${paints.toFixed(1)} times a second: ${(sum(reference) - sum(idle)).toFixed(1)} % of a core less the empty page)`);
  }
}

await browser.close();
server.close();
