// Best scores and replay links in the page: a play the toy plays in the page ends up in the list
// and in the page's database; its link, copied from the list and opened in another page, is
// checked and plays at the real pace to the same end; links that do not decode or do not
// replay as they claim are refused with their reason and nothing plays; a full storage is said
// and leaves the list as the database holds it; the desktop program opens a page's link, and the
// page plays a link the desktop program copied.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { simulator, server, open, play, pageNow, runTo, switchOn, untilInPage, Skipped, test, run } from './harness.mjs';

const CLIPBOARD = { permissions: ['clipboard-read', 'clipboard-write'] };
const status = (page) => page.evaluate(() => window.zarq.api.status());
const lit = (page) => page.evaluate(() => window.zarq.lit());
const stored = (page) => page.evaluate(() => new Promise((resolve, reject) => {
  const request = indexedDB.open('zarq', 1);
  request.onsuccess = () => {
    const get = request.result.transaction('best').objectStore('best').getAll();
    get.onsuccess = () => { request.result.close(); resolve(get.result); };
    get.onerror = () => reject(get.error);
  };
  request.onerror = () => reject(request.error);
}));
// The sheet's entries as the player reads them.
async function listed(page) {
  if (!(await page.isVisible('#best'))) await page.click('[data-sheet="best"]');
  await page.clock.runFor(50);
  return page.locator('#best-list li[data-id] b').allTextContents();
}

// A play left to itself: switched on, and no key pressed until the game-over display. Returns
// the page time it began, its score as the panel said it, and what was lit when it ended.
async function playUnattended(page) {
  const t0 = await switchOn(page);
  await runTo(page, t0 + 60000);
  const score = Number(/score (\d+)$/.exec(await status(page))[1]);
  if (!(score > 0)) throw new Error('the play scored nothing: ' + await status(page));
  // The game-over display comes up by itself; the play has ended once the toy said it kept it,
  // or that it could not (the database answers on the real clock, not on the page's).
  const told = () => !document.getElementById('notice').hidden || !document.getElementById('message').hidden;
  for (let t = 60000; t <= 120000 && !(await page.evaluate(told)); t += 1000) await runTo(page, t0 + t);
  await untilInPage(page, told, null, 'for the play to end by itself within two minutes and be told');
  return { t0, score };
}

let made = null;  // the play of the first test, its link and recording

test('a play in the page is listed and kept, and its copied link plays to the same end in another page', async () => {
  const { context, page } = await open({}, {});
  await context.grantPermissions(CLIPBOARD.permissions, { origin: server.url });
  await play(page);
  const { t0, score } = await playUnattended(page);
  if (await page.textContent('#notice') !== 'Your play is kept among the best scores, at place 1.')
    throw new Error('the kept play was told as: ' + await page.textContent('#notice'));
  const rows = await listed(page);
  if (rows.join('|') !== `1. ${score} points`) throw new Error(`listed after a play of ${score}: ${rows.join('|')}`);
  const [record] = await stored(page);
  if (!record || !new RegExp(`\nend game-over clock=\\d+ ticks=\\d+ score=${score} `).test(record.recording))
    throw new Error('the database holds ' + JSON.stringify(record).slice(0, 300));
  const end = Number(/\nend game-over clock=(\d+)/.exec(record.recording)[1]);
  // What the panel showed when the play ended, in this page.
  await runTo(page, t0 + end);
  const ended = { lit: await lit(page), status: await status(page) };

  await page.click('#best-list li[data-id] [data-act="link"]');
  await page.waitForFunction(() => /copied/.test(document.getElementById('best-why').textContent), null, { polling: 50 });
  const link = await page.evaluate(() => navigator.clipboard.readText());
  if (!link.startsWith(server.url + '#play=')) throw new Error('the link copied: ' + link.slice(0, 100));
  if (process.env.ZARQ_LINK_OUT_PAGE) fs.writeFileSync(process.env.ZARQ_LINK_OUT_PAGE, link + '\n');
  made = { link, score, recording: record.recording };
  // Listed again from the database by a page opened anew.
  const again = await context.newPage();
  await again.goto(server.url);
  await again.waitForFunction(() => window.zarq && window.zarq.ready, null, { polling: 50 });
  await again.evaluate(() => localStorage.removeItem('FirstRun'));  // its note shown again
  await play(again);
  if ((await listed(again)).join('|') !== `1. ${score} points`) throw new Error('the list read back: ' + (await listed(again)).join('|'));
  await context.close();

  // Another browser opens the link: the start box says the play was checked; after "- PLAY -"
  // it plays at the real pace under the line, and ends as the play ended.
  const { context: other, page: viewer } = await open({}, { url: link });
  const note = await viewer.textContent('#start-link');
  if (note !== `The link's play of ${score} points is checked: press PLAY to watch it.`) throw new Error('the start box says: ' + note);
  await play(viewer);
  const started = await pageNow(viewer);
  if (await viewer.evaluate(() => window.zarq.api.playing()) !== 1) throw new Error('the link does not play');
  const line = await viewer.textContent('#watch-text');
  if (!line.startsWith(`A play of ${score} points, `)) throw new Error('the line says: ' + line);
  const [lineBox, panelBox] = [await viewer.locator('#watch').boundingBox(), await viewer.locator('#panel').boundingBox()];
  if (lineBox.y + lineBox.height > panelBox.y + 0.5) throw new Error(`the line ${JSON.stringify(lineBox)} lies over the panel ${JSON.stringify(panelBox)} ` + await viewer.evaluate(() => getComputedStyle(document.documentElement).getPropertyValue("--line") + " " + JSON.stringify(document.getElementById("stage").getBoundingClientRect())));
  // At the real pace: still playing a second before its end, over at its end.
  await runTo(viewer, started + end - 1000);
  if (await viewer.evaluate(() => window.zarq.api.playing()) !== 1) throw new Error('the link ended early');
  await runTo(viewer, started + end + 100);
  if (await viewer.evaluate(() => window.zarq.api.playing()) !== 0) throw new Error('the link plays past its end');
  const shown = { lit: await lit(viewer), status: await status(viewer) };
  if (JSON.stringify(shown) !== JSON.stringify(ended))
    throw new Error(`the link's play ended as\n  ${JSON.stringify(shown)}\nthe play as\n  ${JSON.stringify(ended)}`);
  if (await viewer.isVisible('#message')) throw new Error('the playback was told as: ' + await viewer.textContent('#message'));
  await viewer.click('#watch-back');
  if (await viewer.isVisible('#watch') || viewer.url() !== server.url) throw new Error('back to playing left ' + viewer.url());
  await other.close();
});

test('links that do not decode or claim another score are refused with the reason, and nothing plays', async () => {
  if (!made) throw new Error('needs the play of the first test');
  const { context, page } = await open({}, { url: server.url + '#play=not*base64' });
  const refusal = await page.textContent('#start-link');
  await play(page);
  if (await page.textContent('#watch-text') !== refusal || !/^The link.*[^.]\.$/.test(refusal) || /\n/.test(refusal))
    throw new Error(`the broken link was told as "${refusal}", then "${await page.textContent('#watch-text')}"`);
  // The recording's end line edited to claim five points more: opened while the page plays.
  const edited = made.recording.replace(/(\nend .* score=)(\d+)/, (_, head, n) => head + (Number(n) + 5));
  const data = zlib.deflateRawSync(Buffer.from(edited)).toString('base64url');
  await page.evaluate((hash) => { location.hash = hash; }, '#play=' + data);
  await page.waitForFunction((refusal) => document.getElementById('watch-text').textContent !== refusal, refusal, { polling: 50 });
  const told = await page.textContent('#watch-text');
  if (!told.startsWith("The link's play is refused: its play does not replay as it says: ") || !told.includes(`claims score ${made.score + 5}`))
    throw new Error('the edited link was told as: ' + told);
  const t = await pageNow(page);
  await runTo(page, t + 5000);
  if (await page.evaluate(() => window.zarq.api.playing()) !== 0 || await status(page) !== 'switched off')
    throw new Error('a refused link plays: ' + await status(page));
  await context.close();
});

test('a full storage is said when a play ranks, and the list stays as the database holds it', async () => {
  if (!made) throw new Error('needs the play of the first test');
  const full = () => {
    const put = IDBObjectStore.prototype.put;
    IDBObjectStore.prototype.put = function (...args) {
      if (window.__full) throw new DOMException('The quota has been exceeded.', 'QuotaExceededError');
      return put.apply(this, args);
    };
  };
  const { context, page } = await open({}, { init: full });
  // The first test's play, put in the database as the page keeps it, is read at the next load.
  // Dated earlier: this page's clock starts where the first test's did, and the same play on
  // the same date would be the same recording, which is never kept twice.
  const earlier = made.recording.replace(/\ndate \S+/, '\ndate 2020-01-01T00:00:00Z');
  await page.evaluate((recording) => new Promise((resolve, reject) => {
    const request = indexedDB.open('zarq', 1);
    request.onsuccess = () => {
      const tx = request.result.transaction('best', 'readwrite');
      tx.objectStore('best').put({ id: 'kept-before', recording });
      tx.oncomplete = () => { request.result.close(); resolve(); };
      tx.onabort = () => reject(tx.error);
    };
  }), earlier);
  await page.reload();
  await page.waitForFunction(() => window.zarq && window.zarq.ready, null, { polling: 50 });
  await play(page);
  const before = await listed(page);
  if (before.join('|') !== `1. ${made.score} points`) throw new Error('listed from the database: ' + before.join('|'));
  await page.click('#best .close');
  await page.evaluate(() => { window.__full = true; });
  await playUnattended(page);
  await page.waitForSelector('#message:not([hidden])');
  const told = await page.textContent('#message-text');
  if (told !== "The best score could not be kept: the browser's storage is full.") throw new Error('a full storage was told as: ' + told);
  await page.click('#message-ok');
  const after = await listed(page);
  const kept = (await stored(page)).map((r) => r.id);
  if (after.join('|') !== before.join('|') || kept.join() !== 'kept-before')
    throw new Error(`after the failed keep the list shows ${after.join('|')}, the database holds ${kept.join()}`);
  await context.close();
});

test('the desktop program opens a link made in the page and verifies it to the same score', async () => {
  if (!made) throw new Error('needs the play of the first test');
  if (!simulator || !fs.existsSync(simulator)) throw new Skipped(`no desktop program at ${simulator} (build zarq-simulator)`);
  const env = { ...process.env, QT_QPA_PLATFORM: 'offscreen', SDL_AUDIODRIVER: 'dummy' };
  const r = spawnSync(simulator, ['--verify', made.link], { encoding: 'utf8', env });
  if (r.status !== 0 || !new RegExp(`^score +${made.score}$`, 'm').test(r.stdout))
    throw new Error(`--verify gave ${r.status}:\n${r.stdout}${r.stderr}`);
  // --playback takes it too: its window comes up (and the program ends at its first paint).
  const shown = spawnSync(simulator, ['--playback', made.link], { encoding: 'utf8', timeout: 60000, env: { ...env, ZARQ_QUIT_AFTER_FIRST_PAINT: '1' } });
  if (shown.status !== 0) throw new Error(`--playback gave ${shown.status}:\n${shown.stderr}`);
  const broken = spawnSync(simulator, ['--playback', made.link.slice(0, -40)], { encoding: 'utf8', timeout: 60000, env: { ...env, ZARQ_QUIT_AFTER_FIRST_PAINT: '1' } });
  // A cut one is refused with its reason (the program then shows it in a box, as for a file).
  if (!/^The link's data .*cut short/m.test(broken.stderr)) throw new Error(`a cut link gave ${broken.status}:\n${broken.stderr}`);
});

test('a link the desktop program copied plays in the page to its end and score', async () => {
  const desktop = process.env.ZARQ_BEST_SCORES_TESTS;
  if (!desktop || !fs.existsSync(desktop)) throw new Skipped(`no desktop best scores tests at ${desktop}`);
  const out = path.join(os.tmpdir(), `zarq-desktop-link-${process.pid}.txt`);
  const r = spawnSync(desktop, ['--gtest_filter=BestScoresDialogTest.CopyLink*'], { encoding: 'utf8', env: { ...process.env, QT_QPA_PLATFORM: 'offscreen', ZARQ_LINK_OUT: out } });
  if (r.status !== 0 || !fs.existsSync(out)) throw new Error(`the desktop's copy link test gave ${r.status}:\n${r.stdout.slice(-2000)}`);
  const [copied, scoreText] = fs.readFileSync(out, 'utf8').split('\n');
  fs.rmSync(out);
  const score = Number(scoreText);
  const data = copied.slice(copied.indexOf('#play='));
  const recording = zlib.inflateRawSync(Buffer.from(data.slice(6), 'base64url')).toString();
  const end = /\nend (\S+) clock=(\d+) .*score=(\d+)/.exec(recording);
  if (!end || Number(end[3]) !== score) throw new Error('the desktop copied ' + copied.slice(0, 120));
  // The desktop's link names another host: the same fragment after this page's address.
  const { context, page } = await open({}, { url: server.url + data });
  const note = await page.textContent('#start-link');
  if (note !== `The link's play of ${score} points is checked: press PLAY to watch it.`) throw new Error('the start box says: ' + note);
  await play(page);
  const started = await pageNow(page);
  await runTo(page, started + Number(end[2]) - 1000);
  if (await page.evaluate(() => window.zarq.api.playing()) !== 1) throw new Error('the link ended early');
  await runTo(page, started + Number(end[2]) + 100);
  if (await page.evaluate(() => window.zarq.api.playing()) !== 0) throw new Error('the link plays past its end');
  if (await page.isVisible('#message')) throw new Error('the playback was told as: ' + await page.textContent('#message'));
  const now = await status(page);
  if (end[1] === 'game-over' ? !now.endsWith(`score ${score}`) : now !== 'switched off')
    throw new Error(`the desktop's play (${end[1]}, ${score}) ended in the page as: ${now}`);
  await context.close();
});

await run();
