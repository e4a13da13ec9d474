// The web edition when things go wrong: files too large or damaged, a hidden tab, a second tab choosing keys, a key the dialog cannot take, and a
// finger that misses the small switch. Each is seen from outside: what the page says, what the
// toy lights at which millisecond (against the native core), what is stored.
import crypto from 'node:crypto';
import {
  PHONE, DESKTOP, server, native, open, play, pageNow, runTo, touch, switchOn, litAt, sameLit, UP_ARROW,
  test, run,
} from './harness.mjs';

const QUERIES = [13000, 13500, 14000, 15000];

// The message shown, then closed.
async function message(page) {
  await page.waitForSelector('#message:not([hidden])');
  const text = await page.textContent('#message-text');
  await page.click('#message-ok');
  return text;
}

// A short play recorded in a page: switched on, a turn in the race, switched off.
let recorded = null;
async function recording() {
  if (recorded) return recorded;
  const { context, page } = await open();
  await play(page);
  await page.click('#record');
  const t0 = await switchOn(page);
  await runTo(page, t0 + 13000);
  await page.keyboard.down('ArrowUp');
  await runTo(page, t0 + 13040);
  await page.keyboard.up('ArrowUp');
  await runTo(page, t0 + 15000);
  await switchOn(page);  // off: the recording ends
  recorded = await page.evaluate(() => window.zarq.lastRecording);
  await context.close();
  if (!/\nend switched-off .* score=\d+ /.test(recorded)) throw new Error('not a finished recording:\n' + recorded);
  return recorded;
}

// Plays a recording's bytes from the file picker to its end (`bytes` null: the file was handed
// to the page already); whether a message was shown.
async function playToEnd(page, name, bytes) {
  if (bytes !== null) await page.setInputFiles('#file', { name, mimeType: 'text/plain', buffer: Buffer.from(bytes) });
  await page.waitForFunction(() => window.zarq.api.playing() === 1, null, { polling: 50 });
  for (let t = 0; t < 60000 && await page.evaluate(() => window.zarq.api.playing()); t += 1000) await page.clock.runFor(1000);
  if (await page.evaluate(() => window.zarq.api.playing())) throw new Error(`${name} did not end`);
  return page.isVisible('#message');
}

// After whatever happened, a tap on the switch starts the toy as the native core starts it.
async function playable(page, what) {
  const t0 = await switchOn(page);
  const queries = [0, 2000, 12490, 13000];
  sameLit(await litAt(page, t0, queries), native(['0:switch-on'], queries).lit, queries, what);
}

test('a photograph of 3 MB, or any file over 32 MB, is refused with a message while the race goes on', async () => {
  const { context, page } = await open();
  await play(page);
  const t0 = await switchOn(page);
  await runTo(page, t0 + 12500);
  await page.setInputFiles('#file', { name: 'photo.jpg', mimeType: 'image/jpeg', buffer: crypto.randomBytes(3 << 20) });
  const photo = await message(page);
  if (!/^photo\.jpg cannot be played:\n/.test(photo)) throw new Error('the photograph was told as: ' + photo);
  // Dropped on the page: a byte over the limit is refused, saying the limit, before it is read.
  await page.evaluate(() => {
    const dt = new DataTransfer();
    dt.items.add(new File([new Uint8Array((32 << 20) + 1).fill(35)], 'huge.zrec'));
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true, cancelable: true }));
  });
  const huge = await message(page);
  if (huge !== 'huge.zrec cannot be played:\nthe file is 32.1 MB; a recording played here can be at most 32 MB.')
    throw new Error('the file over the limit was told as: ' + huge);
  if (await page.evaluate(() => window.zarq.api.playing())) throw new Error('a refused file is playing');
  sameLit(await litAt(page, t0, QUERIES), native(['0:switch-on'], QUERIES).lit, QUERIES, 'the race after the refused files');
  await context.close();
});

test('a recording of exactly 32 MB, dropped on the page, plays to its end without a word', async () => {
  const text = await recording();
  const { context, page } = await open();
  await play(page);
  // Comment lines make it as long as a file may be; the play is the same. Made in the page, as
  // the module's memory has to grow for it.
  await page.evaluate((text) => {
    const end = text.lastIndexOf('\nend ') + 1;
    const pad = (32 << 20) - text.length;
    const lines = Math.floor(pad / 1000) - 1;
    const line = '#'.repeat(999) + '\n';
    const last = '#'.repeat(pad - lines * 1000 - 1) + '\n';
    const file = new File([text.slice(0, end), line.repeat(lines), last, text.slice(end)], 'long.zrec');
    if (file.size !== 32 << 20) throw new Error('made ' + file.size + ' bytes');
    const dt = new DataTransfer();
    dt.items.add(file);
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true, cancelable: true }));
  }, text);
  if (await playToEnd(page, null, null)) throw new Error(await page.textContent('#message'));
  await playable(page, 'after the long recording');
  await context.close();
});

test('a recording with a NUL byte is refused with the reader\'s reason and the toy stays playable', async () => {
  const text = await recording();
  const at = text.indexOf(' key-down ') + 1;
  const damaged = text.slice(0, at) + '\0' + text.slice(at + 1);
  const { context, page } = await open();
  await play(page);
  await page.setInputFiles('#file', { name: 'nul.zrec', mimeType: 'text/plain', buffer: Buffer.from(damaged) });
  const told = await message(page);
  if (!/^nul\.zrec cannot be played:\nline \d+: .*\\x00/.test(told)) throw new Error('the NUL was told as: ' + told);
  await page.clock.runFor(2000);
  await playable(page, 'after the refused recording');
  await context.close();
});

test('a hidden tab suspends the running audio context and the return resumes it', async () => {
  const fake = () => {
    const log = [];
    window.__audioLog = log;
    const param = () => ({ value: 0, setValueAtTime() {}, setTargetAtTime() {}, cancelScheduledValues() {} });
    const node = () => ({ connect: (x) => x, gain: param() });
    window.AudioContext = class {
      constructor() { this.destination = {}; }
      get currentTime() { return performance.now() / 1000; }
      createGain() { return node(); }
      createWaveShaper() { return node(); }
      createOscillator() { return { type: '', connect: (x) => x, start() {}, frequency: param() }; }
      createBufferSource() { return { buffer: null, connect() {}, start() {}, stop() {} }; }
      createBuffer(channels, length, sampleRate) { return { duration: length / sampleRate, copyToChannel() {} }; }
      resume() { log.push('resume'); return Promise.resolve(); }
      suspend() { log.push('suspend'); return Promise.resolve(); }
    };
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => window.__hidden === true });
    window.__show = (hidden) => { window.__hidden = hidden; document.dispatchEvent(new Event('visibilitychange')); };
  };
  const { context, page } = await open(DESKTOP, { init: fake });
  await play(page, { sound: true, hum: true });
  const t0 = await switchOn(page);
  await runTo(page, t0 + 14000);  // the race and its hum
  const log = () => page.evaluate(() => window.__audioLog.splice(0));
  await log();
  await page.evaluate(() => window.__show(true));
  await runTo(page, t0 + 20000);
  const hidden = await log();
  if (hidden.join() !== 'suspend') throw new Error('hiding the tab gave ' + JSON.stringify(hidden));
  await page.evaluate(() => window.__show(false));
  await runTo(page, t0 + 21000);
  const shown = await log();
  if (shown.join() !== 'resume') throw new Error('showing the tab again gave ' + JSON.stringify(shown));
  await context.close();
});

test('a key chosen in one tab shows in the other, whose next choice keeps it', async () => {
  const { context, page: first } = await open();
  const second = await context.newPage();
  await second.goto(server.url);
  await second.waitForFunction(() => window.zarq && window.zarq.ready, null, { polling: 50 });
  await play(first);
  await first.evaluate(() => localStorage.removeItem('FirstRun'));  // its note shown again
  await play(second);
  await second.click('#keys');
  await first.click('#keys');
  await first.click('#controls [data-control="0"]');
  await first.keyboard.press('w');
  await second.waitForFunction(() => document.querySelector('#controls [data-control="0"]').textContent === 'W', null, { polling: 50, timeout: 5000 });
  await second.click('#controls [data-control="1"]');
  await second.keyboard.press('s');
  const stored = await first.evaluate(() => [localStorage.getItem('KeyUp'), localStorage.getItem('KeyDown')]);
  if (stored.join() !== 'W,S') throw new Error('stored after both tabs chose: ' + stored.join());
  // The first tab, its dialog closed, steers with the second's choice.
  await first.waitForFunction(() => document.querySelector('#controls [data-control="1"]').textContent === 'S', null, { polling: 50, timeout: 5000 });
  await first.click('#keys-close');
  const t0 = await switchOn(first);
  await runTo(first, t0 + 13000);
  await first.keyboard.down('s');
  await runTo(first, t0 + 13040);
  await first.keyboard.up('s');
  const events = ['0:switch-on', '13000:down:40', '13040:up:40'];
  sameLit(await litAt(first, t0, QUERIES), native(events, QUERIES).lit, QUERIES, 'the key chosen in the other tab');
  await context.close();
});

test('a key the controls dialog refuses says why', async () => {
  const { context, page } = await open();
  await play(page);
  await page.click('#keys');
  const why = () => page.textContent('#keys-why');
  const field = (c) => page.textContent(`#controls [data-control="${c}"]`);
  await page.click('#controls [data-control="0"]');
  await page.keyboard.press('ArrowDown');
  if (await why() !== 'Down is already the key of Pad down.') throw new Error('a duplicate was told as: ' + await why());
  if (await field(0) !== 'Up') throw new Error('the refused key was taken');
  await page.click('#controls [data-control="4"]');
  await page.keyboard.press('F1');
  if (await why() !== 'F1 is kept for the page\'s own use.') throw new Error('F1 was told as: ' + await why());
  await page.click('#controls [data-control="4"]');
  await page.keyboard.press('Space');
  if (await why() !== '' || await field(4) !== 'Space') throw new Error('Space was not taken quietly: ' + await why());
  if (await page.evaluate(() => localStorage.getItem('KeyFire')) !== 'Space') throw new Error('Space was not stored');
  await context.close();
});

test('on a phone a finger 20 CSS px beside the switch works it, and the pad still steers', async () => {
  for (const [name, sideways, dx, dy] of [['portrait', false, 20, 0], ['turned sideways', true, 0, 20]]) {
    const { context, page } = await open(PHONE);
    await play(page);
    if (sideways) {
      await page.setViewportSize({ width: 844, height: 390 });
      await page.clock.runFor(100);
    }
    const box = await page.locator('#panel').boundingBox();
    const s = box.width / 490;  // CSS px per toy px
    // The switch's picture (48 x 19 toy px) smaller than a finger's target either way.
    if (!(48 * s < 40)) throw new Error(`${name}: the switch is drawn ${48 * s} CSS px wide`);
    const t0 = await pageNow(page);
    await touch(page, 'touchStart', [[1, 245 + dx / s, 440.5 + dy / s]]);
    await touch(page, 'touchEnd', []);
    const before = [0, 2000, 12490];
    const got = await litAt(page, t0, before);
    await runTo(page, t0 + 13000);
    await touch(page, 'touchStart', [[2, ...UP_ARROW]]);
    await runTo(page, t0 + 13040);
    await touch(page, 'touchEnd', []);
    Object.assign(got, await litAt(page, t0, QUERIES));
    const events = ['0:switch-on', '13000:down:38', '13040:up:38'];
    sameLit(got, native(events, [...before, ...QUERIES]).lit, [...before, ...QUERIES], name);
    await context.close();
  }
});

await run();
