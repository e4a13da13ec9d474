// The best scores and replay links. The toy keeps the ten best plays with their recordings and
// checks each by replaying it; the page keeps them in a database of its own (IndexedDB), lists
// them in a sheet, and opens a link to a play (`#play=` and its data) after the toy has checked
// it. A change of the database finishes later: when it fails the page says so and loads the
// list anew from what the database holds.
import {onSheetOpen, showMessage} from './bar.js';
import {fit} from './drawing.js';
import {save} from './files.js';
import {showNotice} from './storage.js';
import {$, afterToy, api, now, playing, wake, withBytes} from './toy.js';

const DB = 'zarq';
const STORE = 'best';

// A text handed to the toy as bytes (a long recording or link would not fit on its stack).
function withText(text, fn) {
  return withBytes(new TextEncoder().encode(text), fn,
                   JSON.stringify({error: 'There is not enough memory for it here.'}));
}

// ---- The database ------------------------------------------------------------------------
let database = null;  // a promise of it
let unusable = '';    // why it cannot be used (the end of a sentence), or ''
const keys = new Map();  // a listed id -> its key in the store, as kept

function reason(e) {
  if (e && e.name === 'QuotaExceededError') return "the browser's storage is full.";
  if (e && e.name === 'VersionError') return 'they were kept by a newer version of this page; they are left as they are.';
  const text = (e && (e.message || e.name)) || String(e);
  return text.replace(/\.?$/, '.');
}

function openDatabase() {
  if (!database) {
    database = new Promise((resolve, reject) => {
      if (!window.indexedDB) { reject(new Error('this browser keeps no database for the page')); return; }
      const request = indexedDB.open(DB, 1);
      request.onupgradeneeded = () => request.result.createObjectStore(STORE, {keyPath: 'id'});
      request.onsuccess = () => {
        const db = request.result;
        db.onversionchange = () => { db.close(); database = null; };
        resolve(db);
      };
      request.onerror = () => reject(request.error);
    });
    database.catch(() => { database = null; });
  }
  return database;
}

// Everything `work` does to the store, as one transaction; a failure is told and the list
// loaded anew from the database.
function change(work, failed) {
  openDatabase().then((db) => new Promise((resolve, reject) => {
    const tx = db.transaction(STORE, 'readwrite');
    tx.oncomplete = resolve;
    tx.onabort = () => reject(tx.error || new Error('the change was abandoned'));
    try {
      work(tx.objectStore(STORE));
    } catch (e) {
      try { tx.abort(); } catch (_) { /* already ended */ }
      reject(e);
    }
  })).catch((e) => {
    showMessage(failed + ': ' + reason(e), 'Best scores');
    loadList();
  });
}

// The toy's shelf: the change begins at once, and ends later.
const keyOf = (id) => (keys.has(id) ? keys.get(id) : id);
export const bestShelf = {
  shelfKeep: (id, recording, dropped) => {
    if (unusable) return 'the best scores kept in this browser cannot be read: ' + unusable;
    change((store) => {
      store.put({id, recording});
      if (dropped) store.delete(keyOf(dropped));
    }, 'The best score could not be kept');
    return '';
  },
  shelfRemove: (ids) => {
    if (unusable) return 'the best scores kept in this browser cannot be read: ' + unusable;
    change((store) => ids.forEach((id) => store.delete(keyOf(id))), 'The best scores could not be changed');
    return '';
  },
  // Told from inside the toy's step: the page answers once the step is over.
  bestKept: (rank, error) => queueMicrotask(() => {
    if (error) showMessage(error, 'Best scores');
    else showNotice(`Your play is kept among the best scores, at place ${rank}.`);
    showList();
  }),
};

// Every record read and handed to the toy, which lists it or says why not.
export function loadList() {
  return openDatabase().then((db) => new Promise((resolve, reject) => {
    const request = db.transaction(STORE, 'readonly').objectStore(STORE).getAll();
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  })).then((records) => {
    unusable = '';
    keys.clear();
    api.bestReset();
    for (const r of records) {
      const id = String(r && r.id);
      keys.set(id, r && r.id);
      if (r && typeof r.recording === 'string') withText(r.recording, (at, n) => api.bestLoad(id, at, n));
      else api.bestLoadFailed(id, 'it holds no recording');
    }
  }, (e) => {
    unusable = reason(e);
    api.bestReset();
  }).then(showList);
}

// ---- The sheet -----------------------------------------------------------------------------
const el = (tag, text, cls) => {
  const e = document.createElement(tag);
  if (text) e.textContent = text;
  if (cls) e.className = cls;
  return e;
};
const dateText = (iso) => {
  const d = new Date(iso);
  return isNaN(d) ? iso : d.toLocaleString(undefined, {dateStyle: 'medium', timeStyle: 'short'});
};
const lengthText = (ms) => {
  const s = Math.floor(ms / 1000);
  return Math.floor(s / 60) + ':' + String(s % 60).padStart(2, '0');
};
const points = (n) => (n === 1 ? '1 point' : n + ' points');

export function say(text) {
  $('best-why').textContent = text;
}

// The scoreboard's part in the sheet, when the page's server has one (board.js): a Submit
// button and the board's place for each kept play, and its short link.
export const boardHooks = {};

function showList() {
  if ($('best').hidden) return;
  const list = JSON.parse(api.bestList());
  const ol = $('best-list');
  ol.replaceChildren();
  list.entries.forEach((e, i) => {
    const li = el('li');
    li.dataset.id = e.id;
    li.append(el('b', `${i + 1}. ${points(e.score)}`), el('span', `${dateText(e.date)} · speed ${e.speed} · ${lengthText(e.length)}`, 'small'));
    const acts = el('div', '', 'acts');
    for (const [act, label] of [['watch', 'Watch'], ['save', 'Save as…'], ['link', 'Copy link'], ['delete', 'Delete']]) {
      const b = el('button', label);
      b.dataset.act = act;
      acts.append(b);
    }
    li.append(acts);
    if (boardHooks.entry) boardHooks.entry(e.id, li);
    ol.append(li);
  });
  if (!list.entries.length) ol.append(el('li', unusable ? '' : 'No play is kept yet: a play that scores is kept here when it ends.', 'small'));
  const ul = $('best-dropped-list');
  ul.replaceChildren();
  for (const d of list.dropped) {
    const li = el('li');
    li.dataset.id = d.id;
    li.append(el('b', d.id), el('span', d.why, 'small'));
    const b = el('button', 'Delete');
    b.dataset.act = 'delete';
    const acts = el('div', '', 'acts');
    acts.append(b);
    li.append(acts);
    ul.append(li);
  }
  $('best-dropped').hidden = !list.dropped.length;
  $('best-clear').disabled = !list.entries.length && !list.dropped.length;
  if (unusable) say('The best scores cannot be read: ' + unusable);
}

function act(action, id) {
  say('');
  $('best-link').hidden = true;
  const entry = JSON.parse(api.bestList()).entries.find((e) => e.id === id);
  if (action === 'delete') {
    const error = api.bestRemove(id);
    if (error) say('The play could not be deleted: ' + error);
    showList();
  } else if (!entry) {
    say('This play is no longer kept.');
  } else if (action === 'watch') {
    const error = api.bestWatch(id, now());
    if (error) { say('The play cannot be watched: ' + error); return; }
    document.querySelector('#best .close').click();
    showLine(entry);
    afterToy();
    wake();
  } else if (action === 'save') {
    save(api.bestRecording(id), new Date(entry.date));
  } else if (action === 'submit') {
    boardHooks.submit(id);
  } else if (action === 'link') {
    const short = boardHooks.link && boardHooks.link(id);
    const made = short ? {link: short} : JSON.parse(api.bestLink(location.href.split('#')[0], id));
    if (made.error) { say(made.error); return; }
    copyLink(made.link, 'best');
  }
}

// To the clipboard, or into the sheet's field to be copied by hand; told in the sheet's line.
export function copyLink(link, sheet) {
  window.zarq.lastLink = link;
  const field = $(sheet + '-link');
  const tell = (text) => { $(sheet + '-why').textContent = text; };
  const shown = () => {
    field.value = link;
    field.hidden = false;
    field.select();
    tell('Copy the link from the field below.');
  };
  if (!navigator.clipboard) { shown(); return; }
  navigator.clipboard.writeText(link).then(() => tell('The link is copied: whoever opens it watches this play.'), shown);
}

// ---- Links and the line above the panel ---------------------------------------------------
// The play a link or the list shows, above the panel, with the way back to playing.
function showLine(entry, error) {
  watching = !error;
  $('watch-text').textContent = error || `A play of ${points(entry.score)}, ${dateText(entry.date)}`;
  $('watch').classList.toggle('refused', !!error);
  $('watch').hidden = false;
  fit();
}

let watching = false;  // the line's play is playing back
function back() {
  if (watching && api.playing()) api.playbackStop();
  watching = false;
  if (location.hash) history.replaceState(null, '', location.pathname + location.search);
  if (!$('watch').hidden) {
    $('watch').hidden = true;
    fit();
  }
  afterToy();
  wake();
}

// The page's link checked by the toy (read and replayed to its end line); nothing plays
// before that, and nothing from a link refused.
let checked = null;
function checkLink() {
  checked = location.hash.startsWith('#play=') ? JSON.parse(withText(location.href, api.linkCheck)) : null;
  const note = $('start-link');
  note.hidden = !checked;
  if (checked) note.textContent = checked.error || `The link's play of ${points(checked.score)} is checked: press PLAY to watch it.`;
}

// After "- PLAY -", or at once once playing: the link's play, at the real pace.
export function openLink() {
  if (!checked) return;
  if (checked.error) {
    showLine(null, checked.error);
  } else {
    const error = api.linkPlay(now());
    if (error) showLine(null, error);
    else showLine(checked);
  }
  checked = null;
  afterToy();
  wake();
}

export function setupBest() {
  loadList();
  checkLink();
  window.addEventListener('hashchange', () => {
    checkLink();
    if (playing) openLink();
  });
  onSheetOpen.best = () => {
    say('');
    $('best-link').hidden = true;
    $('best-confirm').hidden = true;
    showList();
    loadList();
  };
  $('best').addEventListener('click', (e) => {
    const b = e.target.closest('button[data-act]');
    if (b) act(b.dataset.act, b.closest('li').dataset.id);
  });
  $('best-clear').addEventListener('click', () => { $('best-confirm').hidden = false; $('best-clear-no').focus(); });
  $('best-clear-no').addEventListener('click', () => { $('best-confirm').hidden = true; });
  $('best-clear-yes').addEventListener('click', () => {
    $('best-confirm').hidden = true;
    const error = api.bestClear();
    say(error ? 'The best scores could not be cleared: ' + error : '');
    showList();
  });
  $('watch-back').addEventListener('click', back);
  // A recording played or stopped from the bar, or a file dropped: the line is no longer its.
  $('open').addEventListener('click', () => { if (!$('watch').hidden) back(); });
  document.addEventListener('drop', () => { if (!$('watch').hidden) back(); });
  // The page left: a play under way ends and is kept when it ranks; shown again from the
  // browser's cache, the page keeps plays again.
  window.addEventListener('pagehide', () => api.close(1));
  window.addEventListener('pageshow', (e) => { if (e.persisted) api.close(0); });
}
