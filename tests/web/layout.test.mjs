// The page on small screens held either way and its own sheets: the start box, "- PLAY -", the
// bar and About, Readme and What's new all in reach; the sheets open over a play without ending
// it or its recording; the switch works from the keyboard and the panel says its state.
import fs from 'node:fs';
import path from 'node:path';
import { shots, native, DESKTOP, open, play, pageNow, runTo, click, litAt, sameLit, SWITCH, test, run } from './harness.mjs';

// The whole of an element inside the window.
async function inView(page, selector, what) {
  const box = await page.locator(selector).boundingBox();
  const { width, height } = page.viewportSize();
  if (!box) throw new Error(`${what}: ${selector} is not shown`);
  if (box.x < -0.5 || box.y < -0.5 || box.x + box.width > width + 0.5 || box.y + box.height > height + 0.5)
    throw new Error(`${what}: ${selector} lies at ${JSON.stringify(box)}, outside ${width}x${height}`);
  return box;
}
const overlap = (a, b) => a.x < b.x + b.width - 0.5 && b.x < a.x + a.width - 0.5 && a.y < b.y + b.height - 0.5 && b.y < a.y + a.height - 0.5;

// A full page of a scoreboard (the server's answer), with names as long as it takes, so that its
// sheet is there and is as long as it gets.
const board = (context) => context.route('**/api/scores?*', (route) => route.fulfill({
  contentType: 'application/json',
  body: JSON.stringify({ board: 'all', offset: 0, limit: 20, more: true, entries: Array.from({ length: 20 }, (_, i) => ({
    id: 1000 + i, rank: i + 1, name: 'W'.repeat(24), score: 99999 - i, played: '2026-12-07T10:00:00Z', length_ms: 3599000,
  })) }),
}));

test('on phones held either way the start box, PLAY, the bar and every sheet are in reach', async () => {
  for (const [width, height] of [[320, 568], [568, 320], [390, 844], [844, 390], [915, 412], [640, 360]]) {
    const what = `${width}x${height}`;
    const { context, page } = await open({ viewport: { width, height }, deviceScaleFactor: 2, isMobile: true, hasTouch: true }, { before: board });
    await page.waitForSelector('#board-open:not([hidden])', { state: 'attached' });
    await inView(page, '#start', what);
    await inView(page, '#play', what);
    await page.screenshot({ path: path.join(shots, `small-${what}-start.png`) });
    await play(page);
    const panel = await inView(page, '#panel', what);
    for (const button of await page.locator('#bar button').all()) {
      const box = await button.boundingBox();
      if (!box || box.x < 0 || box.y < 0 || box.x + box.width > width + 0.5 || box.y + box.height > height + 0.5)
        throw new Error(`${what}: the bar's "${await button.textContent()}" lies outside the window`);
      if (overlap(box, panel)) throw new Error(`${what}: the bar's "${await button.textContent()}" covers the panel`);
    }
    await page.screenshot({ path: path.join(shots, `small-${what}-panel.png`) });
    for (const sheet of ['about', 'readme', 'whatsnew', 'best', 'board']) {
      await page.click(`[data-sheet="${sheet}"]`);
      await inView(page, `#${sheet}`, `${what} ${sheet}`);
      if (sheet === 'board') {
        await page.waitForSelector('#board-list li[data-id]');
        await inView(page, '#board', `${what} board with its entries`);
        await page.screenshot({ path: path.join(shots, `small-${what}-board.png`) });
      }
      // A sheet longer than the screen scrolls inside itself down to its Close.
      await page.click(`#${sheet} .close`);
      if (await page.isVisible(`#${sheet}`)) throw new Error(`${what}: ${sheet} did not close`);
    }
    await context.close();
  }
});

test('About, Readme and F1 during a recording open over the panel, and the recording goes on to its file', async () => {
  const { context, page } = await open();
  await play(page);
  const address = page.url();
  await page.click('#record');
  const t0 = await pageNow(page);
  await click(page, SWITCH);
  await runTo(page, t0 + 3000);
  await page.keyboard.press('F1');
  if (!(await page.isVisible('#about'))) throw new Error('F1 did not open About');
  await page.screenshot({ path: path.join(shots, 'about-over-panel.png') });
  // The toy goes on beneath; keys belong to the sheet and Escape closes it.
  await runTo(page, t0 + 6000);
  await page.keyboard.press('Escape');
  if (await page.isVisible('#about')) throw new Error('Escape did not close About');
  await page.click('[data-sheet="readme"]');
  await page.click('#readme .close');
  await page.click('[data-sheet="whatsnew"]');
  await page.keyboard.press('F3');
  if (page.url() !== address) throw new Error(`the page went to ${page.url()}`);
  if (await page.evaluate(() => window.zarq.api.recording()) !== 1) throw new Error('the recording stopped');
  const queries = [8000, 13000];
  sameLit(await litAt(page, t0, queries), native(['0:switch-on'], queries).lit, queries, 'beneath the sheets');
  await page.click('#whatsnew .close');
  const saved = page.waitForEvent('download');
  await click(page, SWITCH);
  const file = path.join(shots, 'recording-past-sheets.zrec');
  await (await saved).saveAs(file);
  const text = fs.readFileSync(file, 'utf8');
  if (!/\nend switched-off /.test(text)) throw new Error('not a finished recording:\n' + text);
  await context.close();
});

test('the switch works from the keyboard and the panel says whether the toy is on and its score', async () => {
  const { context, page } = await open(DESKTOP);
  await play(page);
  if (!/switched off$/.test(await page.getAttribute('#panel', 'aria-label'))) throw new Error('the panel does not say it is off');
  await page.focus('#power');
  const t0 = await pageNow(page);
  await page.keyboard.press('Enter');
  const queries = [2000, 12490, 14000];
  sameLit(await litAt(page, t0, queries), native(['0:switch-on'], queries).lit, queries, 'switched on by Enter');
  if (await page.getAttribute('#power', 'aria-pressed') !== 'true') throw new Error('the switch does not say it is on');
  if (await page.textContent('#status') !== 'Switched on') throw new Error('switching on was not said');
  await runTo(page, t0 + 20000);
  const label = await page.getAttribute('#panel', 'aria-label');
  if (!/switched on, score [1-9]\d*$/.test(label)) throw new Error(`the panel says "${label}" after a race's first points`);
  await context.close();
});

await run();
