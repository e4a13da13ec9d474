// The page's own controls around the toy: the bar (full screen, recording and playback, the
// About, Readme and What's new sheets), the switch's button and the toy's state in words, the
// controls dialog, and the messages the toy sends. The bar's keys and an open dialog's take a
// key before the toy does.
import {canvas, fit} from './drawing.js';
import {releaseAll} from './input.js';
import {$, api, now, playing, wake} from './toy.js';

function toggleFullscreen() {
  if (document.fullscreenElement) {
    document.exitFullscreen();
  } else if (document.documentElement.requestFullscreen) {
    document.documentElement.requestFullscreen({navigationUI: 'hide'}).catch(() => {});
  }
}

// Called at every wake-up: a button's text is written only when it changes, since each
// write makes the browser lay out and repaint the bar (most of the page's work at a race).
function setText(element, text) {
  if (element.textContent !== text) element.textContent = text;
}

let wasPlaying = false;
// The bar follows the recording and the playback; the page itself is touched only when one
// of them changed, so that a step of a game changes nothing on the page but the display.
let barState = '';
export function updateBar() {
  const rec = api.recording() === 1;
  const back = api.playing() === 1;
  if (barState === `${rec} ${back}`) return;
  barState = `${rec} ${back}`;
  setText($('record'), rec ? 'Stop recording' : 'Record');
  $('record').classList.toggle('on', rec);
  setText($('open'), back ? 'Stop playback' : 'Play recording…');
  if (wasPlaying && !back) {
    const failure = api.playbackFailure();
    if (failure) showMessage(failure, 'Play recording');
  }
  wasPlaying = back;
}

// ---- About, Readme and What's new ------------------------------------------------------
// Shown over the panel: the toy and a recording go on beneath, and the keys stay with the
// sheet until it is closed.
const SHEET_KEYS = {F1: 'about', F2: 'readme', F3: 'whatsnew'};
// What a sheet does as it opens, by its name.
export const onSheetOpen = {};
let openSheetName = null;
let focusBefore = null;
function openSheet(name) {
  if (openSheetName === name) return;
  if (openSheetName) $(openSheetName).hidden = true;
  else focusBefore = document.activeElement;
  releaseAll();
  openSheetName = name;
  const sheet = $(name);
  sheet.hidden = false;
  sheet.scrollTop = 0;
  if (onSheetOpen[name]) onSheetOpen[name]();
  // The sheet itself takes the focus, so that it opens at its top; Tab reaches Close.
  sheet.focus({preventScroll: true});
}
function closeSheet() {
  if (!openSheetName) return;
  $(openSheetName).hidden = true;
  openSheetName = null;
  if (focusBefore && focusBefore.focus) focusBefore.focus();
  focusBefore = null;
}

// ---- The toy's state in words ----------------------------------------------------------
// The panel's name carries the toy's state, looked at no more than once a second while the
// display changes; switching on or off is also said aloud.
let statusAt = -Infinity;
let statusTimer = 0;
let wasOn = false;
export function tellStatus(atOnce) {
  const t = now();
  if (!atOnce && t - statusAt < 1000) {
    if (!statusTimer) statusTimer = setTimeout(() => { statusTimer = 0; tellStatus(true); }, statusAt + 1000 - t);
    return;
  }
  statusAt = t;
  const text = api.status();
  const label = "The toy's front panel, " + text;
  if (canvas.getAttribute('aria-label') !== label) canvas.setAttribute('aria-label', label);
  const on = text !== 'switched off';
  if (on !== wasOn) {
    wasOn = on;
    $('power').setAttribute('aria-pressed', String(on));
    $('status').textContent = on ? 'Switched on' : 'Switched off';
  }
}

// ---- The controls dialog and messages --------------------------------------------------
// A field waits for the next key, which the toy decides about. A key the toy refuses is told
// under the fields, in the toy's words.
let waitingFor = null;
export function showKeys(why = '') {
  document.querySelectorAll('#controls .keys button').forEach((b) => {
    const c = Number(b.dataset.control);
    b.textContent = waitingFor === c ? 'Press a key…' : api.keyOf(c);
  });
  setText($('keys-why'), why);
}

const messages = [];
export function showMessage(text, caption) {
  messages.push([text, caption]);
  if ($('message').hidden) nextMessage();
}
function nextMessage() {
  const m = messages.shift();
  if (!m) { $('message').hidden = true; return; }
  $('message-caption').textContent = m[1];
  $('message-text').textContent = m[0];
  $('message').hidden = false;
  $('message-ok').focus();
}

// Whether the dialogs or the bar take the key (pressed: `down`), so that the toy does not.
export function takesKey(down, e) {
  if (!$('controls').hidden) {
    if (down && waitingFor === null && e.key === 'Escape') $('keys-close').click();
    if (down && waitingFor !== null) {
      e.preventDefault();
      const why = e.key !== 'Escape' ? api.assignKey(waitingFor, e.key, e.code) : '';
      waitingFor = null;
      showKeys(why);
    }
    return true;
  }
  if (!playing || !$('message').hidden) return true;
  if (down && e.key === 'F11') { e.preventDefault(); toggleFullscreen(); return true; }
  if (down && SHEET_KEYS[e.key]) {
    e.preventDefault();
    if (!e.repeat) openSheet(SHEET_KEYS[e.key]);
    return true;
  }
  if (openSheetName) {
    if (down && e.key === 'Escape') closeSheet();
    return true;
  }
  // The switch's own button works it from the keyboard, not the toy's keys.
  return document.activeElement === $('power') && (e.key === 'Enter' || e.key === ' ');
}

export function setupBar() {
  $('fullscreen').addEventListener('click', toggleFullscreen);
  document.addEventListener('fullscreenchange', () => requestAnimationFrame(fit));
  window.addEventListener('resize', () => { if (api) fit(); });
  // Back online: the set the screen needs, if it could not be had, is asked for again.
  window.addEventListener('online', () => { if (api && !$('stage').hidden) fit(); });
  document.querySelectorAll('[data-sheet]').forEach((b) => b.addEventListener('click', () => openSheet(b.dataset.sheet)));
  document.querySelectorAll('.sheet .close').forEach((b) => b.addEventListener('click', closeSheet));

  $('power').addEventListener('click', () => {
    if (!playing) return;
    api.togglePower(now());
    wake();
    tellStatus(true);
  });

  document.querySelectorAll('#controls .keys button').forEach((b) => b.addEventListener('click', () => {
    waitingFor = Number(b.dataset.control);
    showKeys();
  }));
  $('keys').addEventListener('click', () => {
    waitingFor = null;
    showKeys();
    releaseAll();
    $('controls').hidden = false;
    $('controls').querySelector('[data-control="0"]').focus();
  });
  $('keys-default').addEventListener('click', () => { waitingFor = null; api.defaultKeys(); showKeys(); });
  $('keys-close').addEventListener('click', () => { waitingFor = null; $('controls').hidden = true; $('keys').focus(); });
  $('message-ok').addEventListener('click', nextMessage);
}
