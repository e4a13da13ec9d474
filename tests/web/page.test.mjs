// The web edition in headless Chromium: the page loads cleanly, plays on Playwright's fake
// clock exactly as the native core does for the same inputs (keys, taps, several touches, a game
// controller), its sound calls land on Web Audio at the toy's times, a recording made in it
// verifies with the native program, and a reload with the server gone is served by the service
// worker. Screenshots go to $ZARQ_SHOTS.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {
  site, simulator, shots, serve, native, untilInPage, PHONE, DESKTOP, DESKTOP2, browser, server, consoleErrors, open, play,
  pageNow, runTo, at, click, touch, switchOn, litAt, sameLit, sameAsWholeRepaint, SWITCH, UP_ARROW, SPEED, test, run,
} from './harness.mjs';


test('the page loads with no console error and screenshots look right on three screens', async () => {
  for (const [name, options] of [['phone', PHONE], ['desktop-dpr1', DESKTOP], ['desktop-dpr2', DESKTOP2]]) {
    const { context, page } = await open(options);
    if (!(await page.isVisible('#start')) || !(await page.isEnabled('#play'))) throw new Error('no start overlay');
    await page.screenshot({ path: path.join(shots, `${name}-start.png`) });
    await play(page);
    await runTo(page, (await pageNow(page)) + 100);
    await page.screenshot({ path: path.join(shots, `${name}-rest.png`) });
    const t0 = await switchOn(page);
    await runTo(page, t0 + 14000);
    await page.screenshot({ path: path.join(shots, `${name}-race.png`) });
    if (name === 'desktop-dpr1') await sameAsWholeRepaint(page);
    // The canvas holds device pixels for the panel's size on the screen: no pixel doubling.
    const sizes = await page.evaluate(() => {
      const c = document.getElementById('panel');
      return [c.width, c.getBoundingClientRect().width * devicePixelRatio];
    });
    if (Math.abs(sizes[0] - sizes[1]) > 1) throw new Error(`canvas ${sizes[0]} px for ${sizes[1]} device px`);
    await page.click('#fullscreen');
    await page.clock.runFor(100);
    await page.screenshot({ path: path.join(shots, `${name}-fullscreen.png`) });
    await context.close();
  }
});

test('the power-on sequence and the race are lit as the native core lights them', async () => {
  const { context, page } = await open();
  await play(page);
  const queries = [0, 100, 2000, 6000, 12489, 12490, 12700, 13500];
  const t0 = await switchOn(page);
  const got = await litAt(page, t0, queries);
  const want = native(['0:switch-on'], queries).lit;
  sameLit(got, want, queries, 'switch-on');
  await context.close();
});

const TURN = ['0:switch-on', '13000:down:38', '13040:up:38'];
const TURN_QUERIES = [13000, 13040, 13300, 14000, 15000];

test('a key, a chosen key and a tap on the pad each turn the cycle as the native core does', async () => {
  const want = native(TURN, TURN_QUERIES).lit;
  const still = native(['0:switch-on'], TURN_QUERIES).lit;
  if (TURN_QUERIES.every((q) => want[q] === still[q])) throw new Error('the turn changes nothing natively');
  for (const how of ['key', 'chosen key', 'mouse', 'touch']) {
    const { context, page } = await open(how === 'touch' ? PHONE : DESKTOP);
    await play(page);
    if (how === 'chosen key') {
      // W for the pad's up, chosen in the controls dialog and stored under the desktop's name.
      await page.click('#keys');
      await page.click('#controls [data-control="0"]');
      await page.keyboard.press('w');
      if ((await page.textContent('#controls [data-control="0"]')) !== 'W') throw new Error('W was not taken');
      await page.click('#keys-close');
      if (await page.evaluate(() => localStorage.getItem('KeyUp')) !== 'W') throw new Error('W was not stored as KeyUp');
    }
    const t0 = await switchOn(page);
    await runTo(page, t0 + 13000);
    if (how === 'chosen key') await page.keyboard.down('w');
    if (how === 'chosen key') await page.keyboard.press('ArrowUp');  // no longer a control
    if (how === 'key') await page.keyboard.down('ArrowUp');
    if (how === 'mouse') { const p = await at(page, ...UP_ARROW); await page.mouse.move(p.x, p.y); await page.mouse.down(); }
    if (how === 'touch') await touch(page, 'touchStart', [[1, ...UP_ARROW]]);
    await runTo(page, t0 + 13040);
    if (how === 'key') await page.keyboard.up('ArrowUp');
    if (how === 'chosen key') await page.keyboard.up('w');
    if (how === 'mouse') await page.mouse.up();
    if (how === 'touch') await touch(page, 'touchEnd', []);
    sameLit(await litAt(page, t0, TURN_QUERIES), want, TURN_QUERIES, how);
    await context.close();
  }
});

test('a game controller is looked for while keys and touches rest, and its press turns the cycle', async () => {
  const stub = () => {
    window.__pad = 0;
    window.__listening = 0;  // the browser polls for controllers while the page listens
    const add = window.addEventListener;
    const remove = window.removeEventListener;
    window.addEventListener = function (type, ...rest) {
      if (type === 'gamepadconnected') window.__listening++;
      return add.call(this, type, ...rest);
    };
    window.removeEventListener = function (type, ...rest) {
      if (type === 'gamepadconnected') window.__listening--;
      return remove.call(this, type, ...rest);
    };
    navigator.getGamepads = () => [{ index: 0, connected: true, mapping: 'standard', axes: [0, 0, 0, 0],
      buttons: Array.from({ length: 17 }, (_, i) => ({ pressed: (window.__pad & (1 << i)) !== 0, value: (window.__pad & (1 << i)) ? 1 : 0 })) }];
  };
  const { context, page } = await open(DESKTOP, { init: stub });
  const listening = () => page.evaluate(() => window.__listening);
  await play(page);
  if (await listening() !== 1) throw new Error('the page does not listen for controllers at the start');
  // The switch tapped: no controller is looked for until 15 s after the last tap or key.
  const t0 = await switchOn(page);
  await runTo(page, t0 + 14990);
  if (await listening() !== 0) throw new Error('the page listens for controllers while a tap plays');
  await runTo(page, t0 + 15010);
  if (await listening() !== 1) throw new Error('the page does not listen again once the hands rest');
  await runTo(page, t0 + 16000);
  await page.evaluate(() => { window.__pad = 1 << 12; });  // the d-pad's up
  await runTo(page, t0 + 16040);
  await page.evaluate(() => { window.__pad = 0; });
  const queries = [16300, 17000, 18000];
  const got = await litAt(page, t0, queries);
  // The controller is looked at once a frame: the press reaches the toy within one frame.
  let matched = false;
  for (let d = 16000; d <= 16017 && !matched; d++) {
    const want = native(['0:switch-on', `${d}:down:38`, `${d + 40}:up:38`], queries).lit;
    matched = queries.every((q) => got[q] === want[q]);
  }
  const still = native(['0:switch-on'], queries).lit;
  if (queries.every((q) => got[q] === still[q])) throw new Error('the controller press did nothing');
  if (!matched) throw new Error('the controller press did not give what the native core gives for it');
  // A controller in use is read whatever the keys do.
  await page.keyboard.press('ArrowDown');
  if (await listening() !== 1) throw new Error('a key stopped the page reading the connected controller');
  await context.close();
});

test('a held touch on speed holds speed while a second touch steers', async () => {
  const { context, page } = await open(PHONE);
  await play(page);
  const t0 = await switchOn(page);
  await runTo(page, t0 + 13000);
  await touch(page, 'touchStart', [[1, ...SPEED]]);
  await runTo(page, t0 + 13600);
  await touch(page, 'touchStart', [[1, ...SPEED], [2, ...UP_ARROW]]);
  await runTo(page, t0 + 13640);
  await touch(page, 'touchEnd', [[2, ...UP_ARROW]]);
  await runTo(page, t0 + 15000);
  await touch(page, 'touchEnd', []);
  const queries = [15001, 15500, 16000, 17000];
  const got = await litAt(page, t0, queries);
  // Speed held from 13000 ms repeats as a held key does: after half a second, every 33 ms.
  const events = ['0:switch-on', '13000:down:17'];
  for (let t = 13500; t < 15000; t += 33) {
    if (t >= 13600 && events.indexOf('13600:down:38') < 0) events.push('13600:down:38');
    events.push(`${t}:down:17`);
  }
  events.push('13640:up:38', '15000:up:17');
  events.sort((a, b) => parseInt(a) - parseInt(b));
  const want = native(events, queries).lit;
  const slow = native(['0:switch-on', '13600:down:38', '13640:up:38'], queries).lit;
  if (queries.every((q) => want[q] === slow[q])) throw new Error('holding speed changes nothing natively');
  sameLit(got, want, queries, 'speed and steer');
  await context.close();
});

test('the race starts at 12490 ms and every sound call reaches Web Audio at the toy\'s context time', async () => {
  const fake = () => {
    const log = [];
    window.__audioLog = log;
    class Param {
      constructor(name) { this.name = name; this.value = 0; }
      setValueAtTime(v, t) { log.push([this.name, v, t]); }
      setTargetAtTime(v, t) { log.push([this.name, v, t]); }
      cancelScheduledValues() {}
    }
    const node = () => ({ connect: (x) => x, gain: new Param('gain') });
    window.AudioContext = class {
      constructor() { this.destination = {}; }
      get currentTime() { return performance.now() / 1000; }
      createGain() { return node(); }
      createWaveShaper() { return node(); }
      createOscillator() { return { type: '', connect: (x) => x, start() {}, frequency: new Param('frequency') }; }
      createBufferSource() {
        return { buffer: null, connect() {}, start(when) { log.push(['start', this.buffer.length, when]); }, stop() {} };
      }
      createBuffer(channels, length, sampleRate) {
        return { length, sampleRate, duration: length / sampleRate, copyToChannel() {} };
      }
      resume() { return Promise.resolve(); }
      suspend() { log.push(['suspend']); return Promise.resolve(); }
    };
  };
  // The samples the page made, told apart by their lengths: each is its wave file's.
  const sizes = {};
  const sounds = new URL('../../assets/SOUND/', import.meta.url);
  for (const f of fs.readdirSync(sounds)) sizes[(fs.statSync(new URL(f, sounds)).size - 44) / 2] = f.replace('.wav', '');
  const { context, page } = await open(DESKTOP, { init: fake });
  await play(page, { sound: true, hum: true });
  const t0 = await switchOn(page);
  await runTo(page, t0 + 13000);
  await page.keyboard.down('ArrowUp');
  await runTo(page, t0 + 13040);
  await page.keyboard.up('ArrowUp');
  await runTo(page, t0 + 20000);
  const log = await page.evaluate(() => window.__audioLog);
  const want = native(TURN.concat([]), [20000], true);
  const starts = log.filter((e) => e[0] === 'start').map(([, tag, when]) => [sizes[tag], when]);
  if (starts.length !== want.sounds.length || starts.length < 2)
    throw new Error(`${starts.length} samples started, the native core plays ${want.sounds.length}`);
  const [firstMs] = want.sounds[0];
  const firstWhen = starts[0][1];
  starts.forEach(([stem, when], i) => {
    const [ms, wantStem] = want.sounds[i];
    if (stem !== wantStem) throw new Error(`sample ${i}: ${stem}, the native core plays ${wantStem}`);
    if (Math.abs((when - firstWhen) - (ms - firstMs) / 1000) > 1e-6)
      throw new Error(`${stem} starts at ${when - firstWhen} s, the toy played it at ${(ms - firstMs) / 1000} s`);
  });
  // Each a fixed lead after the toy's moment, never in the context's past.
  const lead = firstWhen - (t0 + firstMs) / 1000;
  if (!(lead > 0 && lead < 0.2)) throw new Error(`the first sample starts ${lead} s after its moment`);
  // The hum: every tone the toy's port writes give, at its moment on the same clock.
  const tones = log.filter((e) => e[0] === 'frequency').map(([, hz, when]) => [hz, when]);
  const wantTones = want.speaker.filter(([, hz]) => hz > 0);
  // The race starts, and its engine hum with it, 12490 ms after the switch.
  if (!wantTones.length || wantTones[0][0] !== 12490) throw new Error('the native race does not start at 12490 ms');
  if (wantTones.length === 0 || tones.length !== wantTones.length)
    throw new Error(`${tones.length} tones set, the native core's ports give ${wantTones.length}`);
  tones.forEach(([hz, when], i) => {
    const [ms, wantHz] = wantTones[i];
    if (Math.abs(hz - wantHz) > 1e-3 || Math.abs(when - lead - (t0 + ms) / 1000) > 1e-6)
      throw new Error(`tone ${i}: ${hz} Hz at ${when} s, the toy: ${wantHz} Hz at ${ms} ms`);
  });
  await context.close();
});

test('a recording made in the page, a hidden tab in it, verifies with the native program and plays back in the page', async () => {
  const { context, page } = await open();
  await play(page);
  await page.click('#record');
  // The bar's button tells the state, written only when it changes.
  const recordButton = () => page.textContent('#record');
  if (await recordButton() !== 'Stop recording') throw new Error('the record button does not offer to stop');
  const t0 = await switchOn(page);
  for (const [t, down] of [[13000, true], [13040, false], [14500, true], [14560, false]]) {
    await runTo(page, t0 + t);
    if (down) await page.keyboard.down('ArrowRight'); else await page.keyboard.up('ArrowRight');
  }
  // Hidden for five seconds: the toy is held as by a hold-up, and the recording says so.
  await runTo(page, t0 + 16000);
  await page.evaluate(() => {
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => window.__hidden === true });
    window.__hidden = true;
    document.dispatchEvent(new Event('visibilitychange'));
  });
  const litHidden = await page.evaluate(() => window.zarq.lit());
  await runTo(page, t0 + 21000);
  if (await page.evaluate(() => window.zarq.lit()) !== litHidden) throw new Error('the toy went on in a hidden tab');
  await page.evaluate(() => { window.__hidden = false; document.dispatchEvent(new Event('visibilitychange')); });
  await runTo(page, t0 + 23000);
  const saved = page.waitForEvent('download');
  await click(page, SWITCH);  // off: the recording ends and is saved
  const download = await saved;
  const file = path.join(shots, 'page-recording.zrec');
  await download.saveAs(file);
  if (await recordButton() !== 'Record') throw new Error('the record button still offers to stop');
  await context.close();
  const text = fs.readFileSync(file, 'utf8');
  if (!/^zarq-recording 1\n/.test(text) || !/\nend switched-off /.test(text)) throw new Error('not a finished recording:\n' + text);
  if (!/\n\d+ \d+ held \d+\n/.test(text)) throw new Error('the hidden tab left no hold-up in the recording:\n' + text);
  if (simulator && fs.existsSync(simulator)) {
    const r = spawnSync(simulator, ['--verify', file], { encoding: 'utf8' });
    if (r.status !== 0) throw new Error(`--verify says ${r.status}: ${r.stdout}${r.stderr}`);
  } else {
    console.log('# no native zarq-simulator: --verify not run');
  }
  // Back in a page, by the file picker: it plays to its end without leaving its recording.
  const again = await open();
  await play(again.page);
  await again.page.setInputFiles('#file', file);
  await again.page.waitForFunction(() => window.zarq.api.playing() === 1, null, { polling: 50 });
  await again.page.clock.runFor(30000);
  if (await again.page.evaluate(() => window.zarq.api.playing())) throw new Error('the playback did not end');
  if (await again.page.isVisible('#message')) throw new Error(await again.page.textContent('#message'));
  await again.context.close();
});

test('a recording the desktop program made in its window on the real clock plays in the page to its end', async () => {
  // The desktop's own recording test plays in the real window and keeps its file here.
  const appTests = process.env.ZARQ_APP_TESTS;
  if (!appTests || !fs.existsSync(appTests)) {
    console.log('# SKIPPED: no desktop app_tests program to make a desktop recording with');
    return;
  }
  const file = path.join(shots, 'desktop-recording.zrec');
  fs.rmSync(file, { force: true });
  const r = spawnSync(appTests, ['--gtest_filter=RecordedWindow.APlayOnTheRealClockVerifiesAndReplaysExactly'], {
    encoding: 'utf8',
    env: { ...process.env, QT_QPA_PLATFORM: 'offscreen', SDL_AUDIODRIVER: 'dummy', ZARQ_KEEP_RECORDING: file },
  });
  if (r.status !== 0 || !fs.existsSync(file)) throw new Error('the desktop recording was not made:\n' + r.stdout + r.stderr);
  const { context, page } = await open();
  await play(page);
  const atRest = await page.evaluate(() => window.zarq.lit());
  await page.setInputFiles('#file', file);
  await page.waitForFunction(() => window.zarq.api.playing() === 1, null, { polling: 50 });
  // The page's replay checks every step against the file and stops with a message at the first
  // that differs; the play switched the toy on, so the panel showed more than at rest.
  let shownOn = false;
  for (let t = 0; t < 30000 && await page.evaluate(() => window.zarq.api.playing()); t += 100) {
    await page.clock.runFor(100);
    shownOn = shownOn || (await page.evaluate(() => window.zarq.lit())) !== atRest;
  }
  if (await page.evaluate(() => window.zarq.api.playing())) throw new Error('the playback did not end');
  if (await page.isVisible('#message')) throw new Error(await page.textContent('#message'));
  if (!shownOn) throw new Error('the playback never showed the toy switched on');
  await context.close();
});

test('without JavaScript or WebAssembly the page says what is missing', async () => {
  const off = await browser.newContext({ ...DESKTOP, javaScriptEnabled: false });
  const page = await off.newPage();
  await page.goto(server.url);
  if (!/needs JavaScript/.test(await page.textContent('body'))) throw new Error('no word about JavaScript');
  await off.close();
  const { context, page: bare } = await (async () => {
    const c = await browser.newContext(DESKTOP);
    const p = await c.newPage();
    await p.addInitScript(() => { delete window.WebAssembly; });
    await p.goto(server.url);
    return { context: c, page: p };
  })();
  await bare.waitForSelector('#nowasm:not([hidden])');
  if (await bare.isVisible('#start')) throw new Error('the start overlay shows without WebAssembly');
  await context.close();
});

test('with the server stopped, a reload is served by the service worker', async () => {
  const own = await serve(site);
  const context = await browser.newContext(DESKTOP);
  const page = await context.newPage();
  page.on('pageerror', (e) => consoleErrors.push(e.message));
  await page.goto(own.url);
  await page.waitForFunction(() => navigator.serviceWorker && navigator.serviceWorker.controller, null, { polling: 100, timeout: 30000 });
  await page.waitForFunction(() => window.zarq && window.zarq.ready, null, { polling: 50 });
  // Once the worker has kept a whole set of pictures (the one the page fetched for this screen).
  await untilInPage(page, async () => {
    const api = window.zarq.api;
    for (const set of [1, 2, 3]) {
      let all = true;
      for (let i = 0; i < api.pictureCount() && all; i++) all = !!await caches.match(new URL(api.pictureFile(i, set), location.href).href);
      if (all) return true;
    }
    return false;
  }, null, 'for a set of pictures kept');
  await own.close();
  await page.reload();
  await page.waitForFunction(() => window.zarq && window.zarq.ready, null, { polling: 50, timeout: 30000 });
  await page.click('#play');
  await page.waitForFunction(() => document.body.dataset.painted === '1', null, { polling: 50 });
  await context.close();
});

await run();
