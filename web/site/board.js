// The scoreboard of the server that serves the page (zarq-scoreboard), loaded only when that
// server answers for one: its two boards in a sheet of their own, and Submit for each kept play.
// The server replays every play it is sent before it lists it; the page only shows its answers,
// names as text.
import {onSheetOpen} from './bar.js';
import {boardHooks, copyLink, say} from './best.js';
import {fit} from './drawing.js';
import {$, api} from './toy.js';

const PAGE = 20;
let board = 'all';
let shown = 0;  // entries listed so far

const el = (tag, text, cls) => {
  const e = document.createElement(tag);
  if (text) e.textContent = text;
  if (cls) e.className = cls;
  return e;
};
const points = (n) => (n === 1 ? '1 point' : n + ' points');
const lengthText = (ms) => Math.floor(ms / 60000) + ':' + String(Math.floor(ms / 1000) % 60).padStart(2, '0');
const shortLink = (id) => new URL('/p/' + id, location.href).href;

// The kept plays sent to the board: a kept play's id -> [its entry's id, its place].
const read = (name, fallback) => { try { return JSON.parse(localStorage.getItem(name)) || fallback; } catch (e) { return fallback; } };
const write = (name, value) => { try { localStorage.setItem(name, JSON.stringify(value)); } catch (e) { /* this visit only */ } };
const sent = () => read('ScoreboardSent', {});
function remember(keptId, entry) {
  const all = sent();
  if (entry) all[keptId] = [entry.id, entry.rank];
  else delete all[keptId];
  write('ScoreboardSent', all);
}

function tell(text) {
  $('board-why').textContent = text;
}

// A page of the chosen board, after those listed (or from its top).
function list(more) {
  if (!more) shown = 0;
  tell('');
  $('board-link').hidden = true;
  document.querySelectorAll('[data-board]').forEach((b) => b.setAttribute('aria-pressed', String(b.dataset.board === board)));
  const asked = board;
  fetch(`api/scores?board=${board}&offset=${shown}&limit=${PAGE}`).then((r) => r.json()).then((answer) => {
    if (asked !== board || !Array.isArray(answer.entries)) return;
    const ol = $('board-list');
    if (!more) ol.replaceChildren();
    for (const e of answer.entries) {
      const li = el('li');
      li.dataset.id = e.id;
      li.append(el('b', `${e.rank}. ${e.name}`), el('span', `${points(e.score)} · ${new Date(e.played).toLocaleDateString()} · ${lengthText(e.length_ms)}`, 'small'));
      const acts = el('div', '', 'acts');
      acts.append(el('button', 'Watch'), el('button', 'Copy link'));
      acts.firstChild.dataset.act = 'watch';
      acts.lastChild.dataset.act = 'link';
      li.append(acts);
      ol.append(li);
    }
    shown += answer.entries.length;
    if (!shown) ol.append(el('li', board === 'week' ? 'No play was sent this week yet.' : 'No play was sent yet.', 'small'));
    $('board-more').hidden = !answer.more;
  }).catch(() => tell('The scoreboard could not be reached: try again later.'));
}

// A kept play sent under a name the player gives (offered again next time); the answer told.
function submit(id) {
  const given = prompt('Your name on the scoreboard (1 to 24 characters):', read('ScoreboardName', ''));
  if (given === null) return;
  const name = given.trim();
  if (!name || [...name].length > 24) { say('The play was not sent: a name has 1 to 24 characters.'); return; }
  write('ScoreboardName', name);
  say('Sending the play…');
  fetch('api/plays?name=' + encodeURIComponent(name), {method: 'POST', body: api.bestRecording(id)})
    .then((r) => r.json().catch(() => ({})).then((answer) => {
      if (r.status === 200 || r.status === 201) {
        remember(id, answer);
        say(r.status === 201 ? `Your play is on the scoreboard at place ${answer.rank}.`
          : `This play is already on the scoreboard as ${answer.name}, at place ${answer.rank}.`);
        showPlace(id);
      } else if (r.status === 429) {
        const wait = Number(r.headers.get('Retry-After')) || 5;
        say(`Too many plays were sent from here: try again in ${wait} second${wait === 1 ? '' : 's'}.`);
      } else if (r.status >= 500) {
        say('The scoreboard is not available now: try again later.');
      } else {
        say(answer.error || `The scoreboard refused the play (${r.status}).`);
      }
    }), () => say('The scoreboard could not be reached: try again later.'));
}

// The board's place beside a kept play that was sent.
function showPlace(id, li = document.querySelector(`#best-list li[data-id="${CSS.escape(id)}"]`)) {
  const entry = sent()[id];
  let span = li && li.querySelector('.place');
  if (!entry && span) span.remove();
  if (!li || !entry) return;
  if (!span) li.querySelector('.small').after(span = el('span', '', 'small place'));
  span.textContent = `On the scoreboard at place ${entry[1]}`;
}

export function setupBoard() {
  $('board-open').hidden = false;
  if (!$('bar').hidden) fit();  // the bar may take another row
  onSheetOpen.board = () => list(false);
  document.querySelectorAll('[data-board]').forEach((b) => b.addEventListener('click', () => { board = b.dataset.board; list(false); }));
  $('board-more').addEventListener('click', () => list(true));
  $('board').addEventListener('click', (e) => {
    const b = e.target.closest('li button');
    if (!b) return;
    const id = b.closest('li').dataset.id;
    if (b.dataset.act === 'link') copyLink(shortLink(id), 'board');
    else location.href = '/p/' + id;  // back with the play's link, checked before it plays
  });

  boardHooks.submit = submit;
  boardHooks.link = (id) => sent()[id] && shortLink(sent()[id][0]);
  boardHooks.entry = (id, li) => {
    const b = el('button', 'Submit');
    b.dataset.act = 'submit';
    li.querySelector('.acts').append(b);
    showPlace(id, li);
  };
  // The places of the listed plays sent, as the board has them now.
  const opened = onSheetOpen.best;
  onSheetOpen.best = () => {
    opened();
    const listed = JSON.parse(api.bestList()).entries.map((e) => e.id);
    for (const [id, [entry]] of Object.entries(sent())) {
      if (listed.includes(id)) fetch('api/plays/' + entry).then((r) => (r.status === 404 ? null : r.ok ? r.json() : undefined)).then((e) => {
        if (e === undefined) return;
        remember(id, e);
        showPlace(id);
      }, () => {});
    }
  };
}
