// The player's hands on the toy: pointers on the panel, keys, and game controllers, each
// handed to the toy as it comes (the toy decides what a touch or a key means). The bar and the
// dialogs take their keys first.
import {takesKey} from './bar.js';
import {canvas, toyPoint} from './drawing.js';
import {api, now, playing, sleep, wake} from './toy.js';

function pointer(kind, e) {
  if (!playing) return;
  if (e.pointerType === 'mouse' && kind === 0 && e.button !== 0) return;
  const [x, y] = toyPoint(e);
  const used = api.pointer(kind, e.pointerId, x, y, now(), e.pointerType === 'mouse' ? 0 : 1);
  if (kind === 0 && used) canvas.setPointerCapture(e.pointerId);
  if ((kind === 0 && used) || (kind === 2 && held.has('pointer' + e.pointerId))) hands('pointer' + e.pointerId, kind === 0);
  if (used) e.preventDefault();
  wake();
}

function key(down, e) {
  if (takesKey(down, e)) return;
  const used = api.key(down ? 1 : 0, e.key, e.code, now());
  if (used) e.preventDefault();
  if ((down && used && !e.repeat) || (!down && held.has('key' + e.code))) hands('key' + e.code, down);
  wake();
}

export function releaseAll() {
  if (!api) return;
  api.releaseAll(now());
  wake();
  if (held.size > 0) hands(null, false);
}

// Game controllers: looked at every frame while one is connected. The browser looks for new
// ones about 250 times a second for as long as the page listens for them, which costs more
// than the whole toy, so the page does not listen while keys, the mouse or touches are
// playing: from a press until HANDS_REST_MS after the last one is let go. A controller that
// is connected is always read, and a press on one picked up meanwhile is seen once the hands
// rest.
const HANDS_REST_MS = 15000;
let padFrame = 0;
const padsSeen = new Set();
function pollPads() {
  padFrame = 0;
  if (!api || !navigator.getGamepads) return;
  const t = now();
  const present = new Set();
  for (const pad of navigator.getGamepads()) {
    if (!pad || !pad.connected) continue;
    present.add(pad.index);
    let buttons = 0;
    pad.buttons.forEach((b, i) => { if (i < 32 && (b.pressed || b.value > 0.5)) buttons |= (1 << i); });
    api.pad(pad.index, buttons >>> 0, pad.axes[0] || 0, pad.axes[1] || 0, t);
  }
  for (const i of padsSeen) if (!present.has(i)) api.padGone(i);
  padsSeen.clear();
  present.forEach((i) => padsSeen.add(i));
  wake();
  if (padsSeen.size > 0) padFrame = requestAnimationFrame(pollPads);
  else listenForPads();
}
const padConnected = () => { if (!padFrame) padFrame = requestAnimationFrame(pollPads); };
const held = new Set();  // the keys and pointers playing the toy now
let handsBusy = false;
let handsTimer = 0;
let listening = false;
function listenForPads() {
  const on = !handsBusy || padsSeen.size > 0;
  if (on === listening) return;
  listening = on;
  if (on) {
    window.addEventListener('gamepadconnected', padConnected);
    if (api) padConnected();  // one the browser showed the page before
  } else {
    window.removeEventListener('gamepadconnected', padConnected);
  }
}
// A key or pointer pressed (`down`) or let go; `id` null: every one let go at once.
function hands(id, down) {
  if (id === null) held.clear(); else if (down) held.add(id); else held.delete(id);
  clearTimeout(handsTimer);
  handsBusy = true;
  if (held.size === 0) handsTimer = setTimeout(() => { handsBusy = false; listenForPads(); }, HANDS_REST_MS);
  listenForPads();
}

export function setupInput() {
  canvas.addEventListener('pointerdown', (e) => pointer(0, e));
  canvas.addEventListener('pointermove', (e) => pointer(1, e));
  canvas.addEventListener('pointerup', (e) => pointer(2, e));
  canvas.addEventListener('pointercancel', (e) => pointer(2, e));
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  canvas.addEventListener('touchstart', (e) => e.preventDefault(), {passive: false});
  canvas.addEventListener('touchmove', (e) => e.preventDefault(), {passive: false});
  canvas.addEventListener('dblclick', (e) => e.preventDefault());
  window.addEventListener('keydown', (e) => key(true, e));
  window.addEventListener('keyup', (e) => key(false, e));
  window.addEventListener('blur', releaseAll);
  document.addEventListener('visibilitychange', () => {
    if (!api) return;
    if (document.hidden) {
      releaseAll();
      sleep();
      api.pageHidden(1);
    } else {
      api.pageHidden(0);
      wake();
    }
  });
  listenForPads();
}
