// The panel on the page: its pictures (the set the screen needs, fetched once and keyed), its
// size in whole device pixels, and the painting of what the toy reports changed, the game
// display on a layer of its own. The toy hands over the elements; nothing is computed here
// but where they land.
import {$, Z, api} from './toy.js';
import {keepFetched} from './storage.js';

const PANEL_W = 490;
const PANEL_H = 580;

export const canvas = $('panel');
// Desynchronized: the canvas goes to the screen by itself, not through the page's compositor,
// which halves the browser's work for each change shown.
const g = canvas.getContext('2d', {desynchronized: true});
const toy = $('toy');
const display = $('display');
const dg = display.getContext('2d', {desynchronized: true});
const pictures = {1: null, 2: null, 3: null};  // per set: the loaded pictures, once all are in
let outline = null;  // the toy's outline as a path in toy pixels, to cut the panel with
const keyed = new Map();
let layout = {scale: 1, dpr: 1, set: 1, area: null};  // fit() lays it out
let paintQueued = false;

function loadImage(src) {
  return new Promise((resolve) => {
    const img = new Image();
    img.onload = () => img.decode ? img.decode().then(() => resolve(img), () => resolve(img)) : resolve(img);
    img.onerror = () => resolve(null);
    img.src = src;
  });
}

// Loads a set of pictures. A set is loaded only when every picture came; one that could not
// be had (offline, and never kept) is asked for again at the next call.
const loading = {};
export function loadSet(set) {
  if (!loading[set]) {
    const n = api.pictureCount();
    const files = [];
    for (let i = 0; i < n; i++) files.push(api.pictureFile(i, set));
    loading[set] = Promise.all(files.map(loadImage)).then((imgs) => {
      if (imgs.every((img) => img)) {
        pictures[set] = imgs;
        keepFetched();
      } else {
        loading[set] = null;
      }
      requestPaint(true);
    });
  }
  if (!outline) loadOutline();
  return loading[set];
}

// The outline's path, drawn at the panel's exact scale: its edge is smooth at every size.
let outlineLoading = null;
function loadOutline() {
  if (outlineLoading) return;
  outlineLoading = fetch('pictures/Outline.svg').then((r) => r.ok ? r.text() : '').catch(() => '').then((text) => {
    const d = /\sd="([^"]+)"/.exec(text);
    if (d) {
      outline = new Path2D(d[1]);
      requestPaint(true);
    } else {
      outlineLoading = null;
    }
  });
}

// The set to draw with: the one the screen needs once it is in, until then (or when it cannot
// be had) the nearest loaded one, the finer of two as near, drawn at the needed size.
function setToDraw(need) {
  let best = 0;
  for (const set of [1, 2, 3]) {
    if (!pictures[set]) continue;
    const nearer = !best || Math.abs(set - need) < Math.abs(best - need) ||
      (Math.abs(set - need) === Math.abs(best - need) && set > best);
    if (nearer) best = set;
  }
  return best;
}

// The picture with every pixel of its bottom-left pixel's colour see-through, made once.
function keyedPicture(index, set, img) {
  const id = set + ':' + index;
  let k = keyed.get(id);
  if (!k) {
    k = document.createElement('canvas');
    k.width = img.naturalWidth;
    k.height = img.naturalHeight;
    const kg = k.getContext('2d', {willReadFrequently: true});
    kg.drawImage(img, 0, 0);
    const data = kg.getImageData(0, 0, k.width, k.height);
    const p = data.data;
    const at = (k.height - 1) * k.width * 4;
    const r = p[at], gr = p[at + 1], b = p[at + 2];
    for (let i = 0; i < p.length; i += 4) {
      if (p[i] === r && p[i + 1] === gr && p[i + 2] === b) p[i + 3] = 0;
    }
    kg.putImageData(data, 0, 0);
    keyed.set(id, k);
  }
  return k;
}

// The panel's size in whole device pixels, so that its pictures land on them one to one, and
// the game display's own layer exactly over the display, in the same device pixels.
export function fit() {
  // The bar beside or below the panel, as its rows came out on this screen.
  const bar = $('bar');
  const root = document.documentElement.style;
  if (bar.hidden || document.fullscreenElement) {
    root.setProperty('--bar', '0px');
    root.setProperty('--side', '0px');
  } else {
    const b = bar.getBoundingClientRect();
    const column = getComputedStyle(bar).flexDirection === 'column';
    root.setProperty('--bar', column ? '0px' : b.height + 'px');
    root.setProperty('--side', column ? b.width + 'px' : '0px');
  }
  // The line above the panel, when a play is watched, to whole device pixels so that the panel
  // below it is not rounded up into it.
  const line = $('watch');
  const dpr0 = window.devicePixelRatio || 1;
  root.setProperty('--line', line.hidden || document.fullscreenElement ? '0px' : Math.ceil(line.getBoundingClientRect().height * dpr0) / dpr0 + 'px');
  const stage = $('stage').getBoundingClientRect();
  const scale = Math.max(0.1, Math.min(stage.width / PANEL_W, stage.height / PANEL_H));
  const dpr = window.devicePixelRatio || 1;
  const set = api.setFor(scale * dpr);
  const ds = scale * dpr;
  const area = devicePixels(new Int32Array(Z.HEAP32.buffer, api.displayArea(), 4), 0, ds);
  layout = {scale, dpr, set, area};
  api.pageScale(scale);
  const place = (c, left, top, w, h) => {
    c.width = w;
    c.height = h;
    c.style.left = (left / dpr) + 'px';
    c.style.top = (top / dpr) + 'px';
    c.style.width = (w / dpr) + 'px';
    c.style.height = (h / dpr) + 'px';
  };
  const w = Math.round(PANEL_W * ds);
  const h = Math.round(PANEL_H * ds);
  place(canvas, 0, 0, w, h);
  place(display, ...area);
  // Centred on whole device pixels too, or the browser would resample both to place them.
  toy.style.left = Math.floor((stage.width * dpr - w) / 2) / dpr + 'px';
  toy.style.top = Math.floor((stage.height * dpr - h) / 2) / dpr + 'px';
  placePower(scale);
  loadSet(set);
  requestPaint(true);
}

// The set the screen needs while the panel is not shown yet: the stage is the window less the
// bar, as the style sheet lays it out.
export function setForWindow() {
  const bar = parseFloat(getComputedStyle(document.documentElement).getPropertyValue('--bar')) || 0;
  const scale = Math.max(0.1, Math.min(window.innerWidth / PANEL_W, (window.innerHeight - bar) / PANEL_H));
  return api.setFor(scale * (window.devicePixelRatio || 1));
}

// The toy's rectangle at r[i..i+3] (x, y, width, height) widened to whole device pixels.
function devicePixels(r, i, ds) {
  const x = Math.max(0, Math.floor(r[i] * ds));
  const y = Math.max(0, Math.floor(r[i + 1] * ds));
  return [x, y, Math.ceil((r[i] + r[i + 2]) * ds) - x, Math.ceil((r[i + 1] + r[i + 3]) * ds) - y];
}

let paintAll = true;  // the next paint covers the whole panel (a new size, a new set)
export function requestPaint(all) {
  if (all) paintAll = true;
  if (paintQueued) return;
  paintQueued = true;
  Promise.resolve().then(paint);
}

// Paints what changed: the toy's changed rectangles, each widened to whole device pixels
// and redrawn with every element that meets it, as the desktop's window repaints. A change
// inside the game display is painted on the display's layer only: the browser then puts a
// much smaller picture on the screen for each step of a game.
function paint() {
  paintQueued = false;
  if (!api || !layout.area) return;
  const set = setToDraw(layout.set);
  const imgs = pictures[set];
  if (!imgs) return;
  const ds = layout.scale * layout.dpr;
  const n = api.dirtyTake();
  const area = layout.area;
  const onPanel = [];
  const onDisplay = [];
  if (paintAll || set !== layout.painted || outline !== layout.outline) {
    onPanel.push([0, 0, canvas.width, canvas.height]);
    onDisplay.push(area);
  } else {
    const d = new Int32Array(Z.HEAP32.buffer, api.dirty(), n);
    for (let i = 0; i + 3 < n; i += 4) {
      const r = devicePixels(d, i, ds);
      const inside = r[0] >= area[0] && r[1] >= area[1] && r[0] + r[2] <= area[0] + area[2] && r[1] + r[3] <= area[1] + area[3];
      if (!inside) onPanel.push(r);
      if (r[0] < area[0] + area[2] && r[0] + r[2] > area[0] && r[1] < area[1] + area[3] && r[1] + r[3] > area[1]) onDisplay.push(r);
    }
  }
  paintAll = false;
  layout.painted = set;
  layout.outline = outline;
  if (onPanel.length === 0 && onDisplay.length === 0) return;
  const size = api.sceneSize();
  const scene = new Int32Array(Z.HEAP32.buffer, api.scene(), size);
  draw(g, onPanel, 0, 0, scene, set, imgs, ds, true);
  draw(dg, onDisplay, area[0], area[1], scene, set, imgs, ds, false);
  window.zarq.painted = (window.zarq.painted || 0) + 1;
  // The first drawing on screen: the pictures may arrive and be drawn behind the overlay.
  if (!window.zarq.firstPaint && !$('stage').hidden) {
    window.zarq.firstPaint = performance.now();
    document.body.dataset.painted = '1';
  }
}

// Draws the rectangles (device pixels of the panel) on a canvas whose top left corner is at
// (ox, oy) of the panel; `cut` to the toy's outline (the display lies well inside it).
function draw(c, rects, ox, oy, scene, set, imgs, ds, cut) {
  if (rects.length === 0) return;
  c.save();
  c.setTransform(1, 0, 0, 1, -ox, -oy);
  c.beginPath();
  for (const r of rects) c.rect(r[0], r[1], r[2], r[3]);
  c.clip();
  c.clearRect(ox, oy, c.canvas.width, c.canvas.height);
  // The area in toy pixels, to find the elements that meet it.
  const meets = (x, y, w, h) => rects.some((r) => x * ds < r[0] + r[2] && (x + w) * ds > r[0] && y * ds < r[1] + r[3] && (y + h) * ds > r[1]);
  c.setTransform(ds, 0, 0, ds, -ox, -oy);
  c.imageSmoothingEnabled = true;
  c.imageSmoothingQuality = 'high';
  for (let i = 0; i + 5 < scene.length; i += 6) {
    const img = imgs[scene[i]];
    if (!img || !meets(scene[i + 1], scene[i + 2], scene[i + 3], scene[i + 4])) continue;
    const source = scene[i + 5] ? keyedPicture(scene[i], set, img) : img;
    // A picture larger than its element is cut at the element's edge.
    const w = Math.min(scene[i + 3], img.naturalWidth / set);
    const h = Math.min(scene[i + 4], img.naturalHeight / set);
    c.drawImage(source, 0, 0, w * set, h * set, scene[i + 1], scene[i + 2], w, h);
  }
  // Cut to the toy's outline, with its anti-aliased edge.
  if (cut && outline) {
    c.globalCompositeOperation = 'destination-in';
    c.fill(outline);
  }
  c.restore();
}

// The point of a pointer event in toy pixels.
export function toyPoint(e) {
  const r = canvas.getBoundingClientRect();
  return [(e.clientX - r.left) / layout.scale, (e.clientY - r.top) / layout.scale];
}

// The switch's button lies over the switch's picture, seen when focused; a touch or click on
// the panel still goes to the panel.
function placePower(scale) {
  const r = new Int32Array(Z.HEAP32.buffer, api.switchArea(), 4);
  const b = $('power').style;
  b.left = r[0] * scale + 'px';
  b.top = r[1] * scale + 'px';
  b.width = r[2] * scale + 'px';
  b.height = r[3] * scale + 'px';
}
