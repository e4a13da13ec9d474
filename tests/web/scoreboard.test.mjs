// The page under the real scoreboard server (zarq-scoreboard, on 127.0.0.1 at a port the system
// picks, SQLite in a scratch folder): a kept play submitted from the Best scores sheet is listed
// under its name and score, its short link follows the redirect and plays to its end in another
// page; a false claim and a bad name are refused with their reasons; a play sent twice keeps its
// one entry.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { site, open, play, pageNow, runTo, switchOn, untilInPage, test, run } from './harness.mjs';

const program = process.env.ZARQ_SCOREBOARD;
if (!program || !fs.existsSync(program)) {
  console.log(`SKIPPED: no zarq-scoreboard program at ${program} (build the zarq-scoreboard target)`);
  process.exit(77);
}

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'zarq-board-'));
const server = spawn(program, ['--listen', '127.0.0.1:0', '--database', `sqlite:${scratch}/s.sqlite`, '--site', site],
  { stdio: ['ignore', 'ignore', 'pipe'] });
const exited = new Promise((resolve) => server.on('exit', (code, signal) => resolve(signal || code)));
process.on('exit', () => { server.kill('SIGKILL'); fs.rmSync(scratch, { recursive: true, force: true }); });
let log = '';
const base = await new Promise((resolve, reject) => {
  server.stderr.on('data', (d) => {
    log += d;
    const m = /^[^\n]*listening on 127\.0\.0\.1:(\d+)/.exec(log);
    if (m) resolve(`http://127.0.0.1:${m[1]}/`);
    else if (log.includes('\n')) reject(new Error('the scoreboard said first: ' + log));
  });
  exited.then((how) => reject(new Error(`the scoreboard ended (${how}): ${log}`)));
});

const CLIPBOARD = ['clipboard-read', 'clipboard-write'];
const NAME = 'Ada <i>L</i> & Co';  // markup in a name is shown as text
const entries = async () => (await (await fetch(`${base}api/scores?board=all`)).json()).entries;
const told = () => !document.getElementById('notice').hidden || !document.getElementById('message').hidden;

// Submit in the sheet for the first kept play, under `name`; returns the default the page
// offered and what the sheet then says.
async function submit(page, name) {
  let offered = null;
  page.once('dialog', (d) => { offered = d.defaultValue(); d.accept(name); });
  await page.evaluate(() => { document.getElementById('best-why').textContent = ''; });
  await page.click('#best-list li[data-id] [data-act="submit"]');
  await untilInPage(page, () => /place|refused|reached/.test(document.getElementById('best-why').textContent), null, 'for the answer');
  return { offered, said: await page.textContent('#best-why') };
}

let made = null;  // the entry and its play

test('a kept play submitted from the page is listed by rank, name and score; its short link plays to its end', async () => {
  const { context, page } = await open({}, { url: base });
  await context.grantPermissions(CLIPBOARD, { origin: base });
  await page.waitForSelector('#board-open:not([hidden])', { state: 'attached' });
  await play(page);
  // Left to itself, the toy plays until the game-over display, which scores.
  const t0 = await switchOn(page);
  await runTo(page, t0 + 60000);
  for (let t = 60000; t <= 120000 && !(await page.evaluate(told)); t += 1000) await runTo(page, t0 + t);
  await untilInPage(page, told, null, 'for the play to end and be kept');
  await page.click('[data-sheet="best"]');
  await page.waitForSelector('#best-list li[data-id] [data-act="submit"]');
  const keptId = await page.getAttribute('#best-list li[data-id]', 'data-id');
  const recording = await page.evaluate((id) => window.zarq.api.bestRecording(id), keptId);
  const score = Number(/\nend game-over .*score=(\d+)/.exec(recording)[1]);

  const first = await submit(page, NAME);
  if (first.said !== 'Your play is on the scoreboard at place 1.') throw new Error('the first submission was told as: ' + first.said);
  const listed = await entries();
  if (listed.length !== 1 || listed[0].name !== NAME || listed[0].score !== score || listed[0].rank !== 1)
    throw new Error(`after a play of ${score} by ${NAME} the board lists ${JSON.stringify(listed)}`);
  const { id } = listed[0];
  if (await page.textContent('#best-list li[data-id] .place') !== 'On the scoreboard at place 1')
    throw new Error('the kept play shows: ' + await page.textContent('#best-list li[data-id]'));
  const sent = await (await fetch(`${base}api/plays/${id}/recording`)).text();
  if (sent !== recording) throw new Error('the board holds another recording than the page kept');

  // The same play again, under another name: the entry it has, its first name kept.
  const second = await submit(page, 'Someone else');
  if (second.offered !== NAME) throw new Error('the name offered the second time: ' + second.offered);
  if (second.said !== `This play is already on the scoreboard as ${NAME}, at place 1.`) throw new Error('the second submission was told as: ' + second.said);
  if (JSON.stringify((await entries()).map((e) => [e.id, e.name])) !== JSON.stringify([[id, NAME]]))
    throw new Error('after the same play twice the board lists ' + JSON.stringify(await entries()));

  // Its link is now the short one.
  await page.click('#best-list li[data-id] [data-act="link"]');
  await page.waitForFunction(() => /copied/.test(document.getElementById('best-why').textContent), null, { polling: 50 });
  const link = await page.evaluate(() => navigator.clipboard.readText());
  if (link !== `${base}p/${id}`) throw new Error('the submitted play\'s link: ' + link);

  // The scoreboard's sheet: the name as text, its score.
  await page.click('#best .close');
  await page.click('#board-open');
  await page.waitForSelector('#board-list li[data-id]');
  const row = await page.$eval('#board-list li[data-id]', (li) => [li.querySelector('b').textContent, li.querySelector('b').children.length, li.querySelector('span').textContent]);
  if (row[0] !== `1. ${NAME}` || row[1] !== 0 || !row[2].startsWith(`${score} points · `)) throw new Error('the board shows ' + JSON.stringify(row));
  // Watch leaves for the short link, which comes back as the page with the play's link, checked.
  await page.click('#board-list li[data-id] [data-act="watch"]');
  await page.waitForURL(base + '#play=*');
  await page.waitForFunction(() => window.zarq && window.zarq.ready, null, { polling: 50 });
  if (await page.textContent('#start-link') !== `The link's play of ${score} points is checked: press PLAY to watch it.`)
    throw new Error('Watch on the board led to a page that says: ' + await page.textContent('#start-link'));
  await context.close();
  made = { id, score, recording };

  // Another browser opens the short link: redirected to the page's own link, checked, and
  // played at the real pace to its end.
  const { context: other, page: viewer } = await open({}, { url: link });
  if (!viewer.url().startsWith(base + '#play=')) throw new Error('the short link led to ' + viewer.url());
  const note = await viewer.textContent('#start-link');
  if (note !== `The link's play of ${score} points is checked: press PLAY to watch it.`) throw new Error('the start box says: ' + note);
  await play(viewer);
  const started = await pageNow(viewer);
  const end = Number(/\nend game-over clock=(\d+)/.exec(recording)[1]);
  await runTo(viewer, started + end - 1000);
  if (await viewer.evaluate(() => window.zarq.api.playing()) !== 1) throw new Error('the short link\'s play ended early');
  await runTo(viewer, started + end + 100);
  if (await viewer.evaluate(() => window.zarq.api.playing()) !== 0) throw new Error('the short link\'s play goes past its end');
  if (await viewer.isVisible('#message')) throw new Error('the playback was told as: ' + await viewer.textContent('#message'));
  if (!(await viewer.evaluate(() => window.zarq.api.status())).endsWith(`score ${score}`)) throw new Error('the play ended elsewhere');
  await other.close();
});

test('a false claim and a name with a control character are refused with their reasons', async () => {
  if (!made) throw new Error('needs the play of the first test');
  const edited = made.recording.replace(/(\nend .* score=)(\d+)/, (_, head, n) => head + (Number(n) + 5));
  const claim = await fetch(`${base}api/plays?name=Cheat`, { method: 'POST', body: edited });
  const refusal = await claim.json();
  if (claim.status !== 422 || !refusal.error.includes('claims score')) throw new Error(`a false claim got ${claim.status}: ${JSON.stringify(refusal)}`);
  const named = await fetch(`${base}api/plays?name=Ada%07`, { method: 'POST', body: made.recording });
  if (named.status !== 400) throw new Error(`a name with a control character got ${named.status}`);
  if ((await entries()).length !== 1) throw new Error('a refused play is listed');
});

test('the server stops on SIGTERM with exit code 0', async () => {
  server.kill('SIGTERM');
  const how = await exited;
  if (how !== 0) throw new Error(`the scoreboard ended with ${how}: ${log.slice(-2000)}`);
});

await run();
