// The web edition's page: a thin layer that hands the browser's events and time to the toy
// (compiled C++, which decides everything) and does what only a page can: draw the panel on a
// canvas, play Web Audio, keep the choices in localStorage, save and open recording files.
'use strict';
(function () {
  const SAMPLE_COUNT = 9;    // the toy's sound effects, Beep to Over
  const SAMPLE_RATE = 22050;
  const PANEL_W = 490;
  const PANEL_H = 580;
  const SPEAKER_LEVEL = 2800 / 32768;  // the desktop's speaker peak against full scale
  const HEADROOM = 4;                  // sums up to four times full scale reach the soft clipper
  const $ = (id) => document.getElementById(id);
  const now = () => Math.floor(performance.now());

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    $('nowasm').hidden = false;
    return;
  }

  // ---- Web Audio -------------------------------------------------------------------------
  const audio = {ctx: null, input: null, buffers: [], sources: new Set(), osc: null, hum: null};

  // The desktop's mix limit: unchanged below three quarters of full scale, bent smoothly
  // towards full scale above.
  function softClipCurve() {
    const n = 4096;
    const curve = new Float32Array(n);
    const knee = 24576 / 32767;
    for (let i = 0; i < n; i++) {
      const x = (i / (n - 1) * 2 - 1) * HEADROOM;
      const m = Math.abs(x);
      const y = m <= knee ? m : knee + (1 - knee) * Math.tanh((m - knee) / (1 - knee));
      curve[i] = Math.sign(x) * Math.min(y, 1);
    }
    return curve;
  }

  async function startAudio() {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return;
    // The toy's own mix rate, as on the desktop: half the work of the usual 44.1 or 48 kHz. The
    // device is fed 40 ms at a time rather than the browser's shortest buffer: a quarter of the
    // browser's work for sound at the price of some 30 ms more delay; the sounds' lead over the
    // context covers one such step (see AudioSchedule).
    const latencyHint = 0.04;
    let ctx;
    try {
      ctx = new Context({latencyHint, sampleRate: 22050});
    } catch (e) {
      ctx = new Context({latencyHint});
    }
    audio.ctx = ctx;
    const pre = ctx.createGain();
    pre.gain.value = 1 / HEADROOM;
    const clip = ctx.createWaveShaper();
    clip.curve = softClipCurve();
    pre.connect(clip).connect(ctx.destination);
    audio.input = pre;
    audio.osc = ctx.createOscillator();
    audio.osc.type = 'square';  // band-limited by Web Audio itself
    audio.hum = ctx.createGain();
    audio.hum.gain.value = 0;
    audio.osc.connect(audio.hum).connect(pre);
    audio.osc.start();
    ctx.resume();
    audio.buffers = [];
    for (let i = 0; i < SAMPLE_COUNT; i++) audio.buffers.push(sampleBuffer(ctx, i));
  }

  // The toy's sample `index` made by the program itself (16-bit PCM), as an AudioBuffer.
  function sampleBuffer(ctx, index) {
    const length = api.soundLength(index);
    if (length <= 0) return null;
    const pcm = new Int16Array(Z.HEAP32.buffer, api.soundSamples(index), length);
    const data = new Float32Array(length);
    for (let i = 0; i < length; i++) data[i] = pcm[i] / 32768;
    const buffer = ctx.createBuffer(1, length, SAMPLE_RATE);
    buffer.copyToChannel(data, 0);
    return buffer;
  }

  // ---- The toy ---------------------------------------------------------------------------
  let Z = null;  // the module
  let api = null;
  const page = {
    audioNow: () => audio.ctx ? audio.ctx.currentTime : -1,
    audioHas: (i) => i >= 0 && i < SAMPLE_COUNT,
    audioDuration: (i) => audio.buffers[i] ? audio.buffers[i].duration : 0,
    audioPlay: (i, when) => {
      const buffer = audio.buffers[i];
      if (!audio.ctx || !buffer) return;
      const source = audio.ctx.createBufferSource();
      source.buffer = buffer;
      source.connect(audio.input);
      source.onended = () => audio.sources.delete(source);
      audio.sources.add(source);
      source.start(when);
    },
    audioStopAll: (when) => {
      for (const s of audio.sources) s.stop(when);
      audio.sources.clear();
    },
    audioSpeaker: (hertz, when) => {
      if (!audio.ctx) return;
      const g = audio.hum.gain;
      g.cancelScheduledValues(when);
      if (hertz > 0) {
        audio.osc.frequency.setValueAtTime(hertz, when);
        g.setTargetAtTime(SPEAKER_LEVEL, when, 0.0005);
      } else {
        g.setTargetAtTime(0, when, 0.0005);
      }
    },
    audioResume: () => { if (audio.ctx) audio.ctx.resume(); },
    audioSuspend: () => { if (audio.ctx) audio.ctx.suspend(); },
    read: (name) => { try { return localStorage.getItem(name); } catch (e) { return null; } },
    write: (name, value) => { try { localStorage.setItem(name, value); } catch (e) { /* kept for this visit only */ } },
    message: (text, caption) => showMessage(text, caption),
    open: (target) => { location.href = target; },
    showOptions: () => { $('start').hidden = false; },
    screenWidth: () => window.innerWidth,
    screenHeight: () => window.innerHeight,
  };

  function bind(M) {
    const c = (name, ret, args) => M.cwrap(name, ret, args);
    return {
      create: c('zw_create', null, []),
      advance: c('zw_advance', 'number', ['number']),
      storedSound: c('zw_stored_sound', 'number', []),
      storedHum: c('zw_stored_hum', 'number', []),
      play: c('zw_play', 'number', ['number', 'number']),
      key: c('zw_key', 'number', ['number', 'string', 'string', 'number']),
      keyOf: c('zw_key_of', 'string', ['number']),
      assignKey: c('zw_assign_key', 'string', ['number', 'string', 'string']),
      defaultKeys: c('zw_default_keys', null, []),
      reloadKeys: c('zw_reload_keys', null, []),
      pointer: c('zw_pointer', 'number', ['number', 'number', 'number', 'number', 'number', 'number']),
      pageScale: c('zw_page_scale', null, ['number']),
      pad: c('zw_pad', null, ['number', 'number', 'number', 'number', 'number']),
      padGone: c('zw_pad_gone', null, ['number']),
      releaseAll: c('zw_release_all', null, ['number']),
      pageHidden: c('zw_page_hidden', null, ['number']),
      recordStart: c('zw_record_start', 'number', []),
      recordStop: c('zw_record_stop', 'string', []),
      recording: c('zw_recording', 'number', []),
      playbackRefusal: c('zw_playback_refusal', 'string', ['number']),
      playbackStart: c('zw_playback_start', 'string', ['number', 'number', 'number']),
      playbackStop: c('zw_playback_stop', null, []),
      playing: c('zw_playing', 'number', []),
      playbackFailure: c('zw_playback_failure', 'string', []),
      changed: c('zw_changed', 'number', []),
      dirtyTake: c('zw_dirty_take', 'number', []),
      dirty: c('zw_dirty', 'number', []),
      scene: c('zw_scene', 'number', []),
      sceneSize: c('zw_scene_size', 'number', []),
      pictureCount: c('zw_picture_count', 'number', []),
      pictureFile: c('zw_picture_file', 'string', ['number', 'number']),
      setFor: c('zw_set_for', 'number', ['number']),
      displayArea: c('zw_display_area', 'number', []),
      switchArea: c('zw_switch_area', 'number', []),
      status: c('zw_status', 'string', []),
      togglePower: c('zw_toggle_power', null, ['number']),
      lit: c('zw_lit', 'string', []),
      soundSamples: c('zw_sound_samples', 'number', ['number']),
      soundLength: c('zw_sound_length', 'number', ['number']),
    };
  }

  // ---- Time ------------------------------------------------------------------------------
  let wakeTimer = 0;
  let playing = false;
  let wasRecording = false;

  // Gives the toy the time and arms the next wake-up for its next due tick. A hidden tab is not
  // woken: on its return the toy goes on as after a hold-up.
  function wake() {
    clearTimeout(wakeTimer);
    wakeTimer = 0;
    if (!api || document.hidden) return;
    const t = now();
    const next = api.advance(t);
    afterToy();
    if (next >= 0) wakeTimer = setTimeout(wake, Math.max(0, next - t));
  }

  function afterToy() {
    if (api.changed()) {
      requestPaint();
      tellStatus();
    }
    const recording = api.recording() === 1;
    if (wasRecording && !recording) finishRecording();  // the play ended it
    wasRecording = recording;
    updateBar();
  }

  // ---- Painting --------------------------------------------------------------------------
  const canvas = $('panel');
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
  function loadSet(set) {
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
  function fit() {
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
  function setForWindow() {
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
  function requestPaint(all) {
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

  // ---- Input -----------------------------------------------------------------------------
  function toyPoint(e) {
    const r = canvas.getBoundingClientRect();
    return [(e.clientX - r.left) / layout.scale, (e.clientY - r.top) / layout.scale];
  }

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
  canvas.addEventListener('pointerdown', (e) => pointer(0, e));
  canvas.addEventListener('pointermove', (e) => pointer(1, e));
  canvas.addEventListener('pointerup', (e) => pointer(2, e));
  canvas.addEventListener('pointercancel', (e) => pointer(2, e));
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  canvas.addEventListener('touchstart', (e) => e.preventDefault(), {passive: false});
  canvas.addEventListener('touchmove', (e) => e.preventDefault(), {passive: false});
  canvas.addEventListener('dblclick', (e) => e.preventDefault());

  // The controls dialog: a field waits for the next key, which the toy decides about.
  // A key the toy refuses is told under the fields, in the toy's words.
  let waitingFor = null;
  function showKeys(why = '') {
    document.querySelectorAll('#controls .keys button').forEach((b) => {
      const c = Number(b.dataset.control);
      b.textContent = waitingFor === c ? 'Press a key…' : api.keyOf(c);
    });
    setText($('keys-why'), why);
  }
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

  function key(down, e) {
    if (!$('controls').hidden) {
      if (down && waitingFor === null && e.key === 'Escape') $('keys-close').click();
      if (down && waitingFor !== null) {
        e.preventDefault();
        const why = e.key !== 'Escape' ? api.assignKey(waitingFor, e.key, e.code) : '';
        waitingFor = null;
        showKeys(why);
      }
      return;
    }
    if (!playing || !$('message').hidden) return;
    if (down && e.key === 'F11') { e.preventDefault(); toggleFullscreen(); return; }
    if (down && SHEET_KEYS[e.key]) {
      e.preventDefault();
      if (!e.repeat) openSheet(SHEET_KEYS[e.key]);
      return;
    }
    if (openSheetName) {
      if (down && e.key === 'Escape') closeSheet();
      return;
    }
    // The switch's own button works it from the keyboard, not the toy's keys.
    if (document.activeElement === $('power') && (e.key === 'Enter' || e.key === ' ')) return;
    const used = api.key(down ? 1 : 0, e.key, e.code, now());
    if (used) e.preventDefault();
    if ((down && used && !e.repeat) || (!down && held.has('key' + e.code))) hands('key' + e.code, down);
    wake();
  }
  window.addEventListener('keydown', (e) => key(true, e));
  window.addEventListener('keyup', (e) => key(false, e));

  // Keys chosen in another tab of the page: taken here too, and shown if the dialog is open.
  window.addEventListener('storage', (e) => {
    if (!api || (e.key !== null && !/^(Key|Pad)/.test(e.key))) return;
    api.reloadKeys();
    if (!$('controls').hidden) showKeys($('keys-why').textContent);
  });

  function releaseAll() {
    if (!api) return;
    api.releaseAll(now());
    wake();
    if (held.size > 0) hands(null, false);
  }
  window.addEventListener('blur', releaseAll);
  document.addEventListener('visibilitychange', () => {
    if (!api) return;
    if (document.hidden) {
      releaseAll();
      clearTimeout(wakeTimer);
      api.pageHidden(1);
    } else {
      api.pageHidden(0);
      wake();
    }
  });

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
  listenForPads();

  // ---- Program's own controls ------------------------------------------------------------
  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen({navigationUI: 'hide'}).catch(() => {});
    }
  }
  $('fullscreen').addEventListener('click', toggleFullscreen);
  document.addEventListener('fullscreenchange', () => requestAnimationFrame(fit));
  window.addEventListener('resize', () => { if (api) fit(); });
  // Back online: the set the screen needs, if it could not be had, is asked for again.
  window.addEventListener('online', () => { if (api && !$('stage').hidden) fit(); });

  function save(text) {
    const stamp = new Date().toISOString().replace(/[:T]/g, '-').slice(0, 19).replace(/-(\d\d)-(\d\d)$/, '$1$2');
    const blob = new Blob([text], {type: 'text/plain'});
    const a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = 'zarq-' + stamp + '.zrec';
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 1000);
  }

  function finishRecording() {
    const text = api.recordStop();
    window.zarq.lastRecording = text;
    if (text) save(text);
  }

  $('record').addEventListener('click', () => {
    if (api.recording()) {
      wasRecording = false;
      finishRecording();
    } else if (!api.recordStart()) {
      showMessage('The recording could not be started.', 'Record');
    }
    afterToy();
    wake();
  });

  // The file's bytes reach the toy whole (a NUL byte included) in memory the module takes for
  // them; a file too large is refused before it is read.
  async function playFile(file) {
    let error = api.playbackRefusal(file.size);
    if (!error) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      const at = Z._malloc(Math.max(1, bytes.length));
      if (!at) {
        error = 'there is not enough memory for it here.';
      } else {
        Z.HEAPU8.set(bytes, at);  // the view as it is after the memory grew
        try {
          error = api.playbackStart(at, bytes.length, now());
        } finally {
          Z._free(at);
        }
      }
    }
    if (error) showMessage(file.name + ' cannot be played:\n' + error, 'Play recording');
    afterToy();
    wake();
  }
  $('open').addEventListener('click', () => {
    if (api.playing()) {
      api.playbackStop();
      afterToy();
      wake();
    } else {
      $('file').click();
    }
  });
  $('file').addEventListener('change', () => {
    const f = $('file').files[0];
    $('file').value = '';
    if (f) playFile(f);
  });
  document.addEventListener('dragover', (e) => e.preventDefault());
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    const f = e.dataTransfer && e.dataTransfer.files[0];
    if (f && playing) playFile(f);
  });

  // Called at every wake-up: a button's text is written only when it changes, since each
  // write makes the browser lay out and repaint the bar (most of the page's work at a race).
  function setText(element, text) {
    if (element.textContent !== text) element.textContent = text;
  }

  let wasPlaying = false;
  // The bar follows the recording and the playback; the page itself is touched only when one
  // of them changed, so that a step of a game changes nothing on the page but the display.
  let barState = '';
  function updateBar() {
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
  document.querySelectorAll('[data-sheet]').forEach((b) => b.addEventListener('click', () => openSheet(b.dataset.sheet)));
  document.querySelectorAll('.sheet .close').forEach((b) => b.addEventListener('click', closeSheet));

  // ---- The switch from the keyboard, and the toy's state in words -----------------------
  // A button over the switch's picture, seen when focused; a touch or click on the panel
  // still goes to the panel.
  function placePower(scale) {
    const r = new Int32Array(Z.HEAP32.buffer, api.switchArea(), 4);
    const b = $('power').style;
    b.left = r[0] * scale + 'px';
    b.top = r[1] * scale + 'px';
    b.width = r[2] * scale + 'px';
    b.height = r[3] * scale + 'px';
  }
  $('power').addEventListener('click', () => {
    if (!playing) return;
    api.togglePower(now());
    wake();
    tellStatus(true);
  });
  // The panel's name carries the toy's state, looked at no more than once a second while the
  // display changes; switching on or off is also said aloud.
  let statusAt = -Infinity;
  let statusTimer = 0;
  let wasOn = false;
  function tellStatus(atOnce) {
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

  // ---- Messages and the start overlay ----------------------------------------------------
  const messages = [];
  function showMessage(text, caption) {
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
  $('message-ok').addEventListener('click', nextMessage);

  $('play').addEventListener('click', async () => {
    window.zarq.playAt = performance.now();
    $('play').disabled = true;
    const sound = $('sound').checked;
    const hum = $('hum').checked;
    if (sound) await startAudio();
    $('start').hidden = true;
    $('stage').hidden = false;
    $('bar').hidden = false;
    fit();
    tellStatus(true);
    if (!api.play(sound ? 1 : 0, hum ? 1 : 0)) return;
    playing = true;
    wake();
  });

  // ---- Offline and new versions ----------------------------------------------------------
  // The worker keeps the page and the program at its installation; what the page fetched itself
  // (the picture set its screen needs, the dialogs' pictures) is named to it to keep as well,
  // since what came before the worker looked after the page passed it by, and so is the About
  // sheet's photograph for this screen, to be there offline even if it was never shown online.
  const worker = 'serviceWorker' in navigator && location.protocol !== 'file:' ? navigator.serviceWorker : null;
  function keepFetched() {
    if (!worker) return;
    worker.ready.then((registration) => {
      const urls = performance.getEntriesByType('resource').map((e) => e.name)
        .filter((url) => url.startsWith(location.origin + '/'));
      const ratio = Math.min(3, Math.ceil((window.devicePixelRatio || 1) - 1e-3));
      urls.push(new URL('pictures/Im_Foto' + (ratio > 1 ? '@' + ratio + 'x' : '') + '.webp', location.href).href);
      if (registration.active) registration.active.postMessage({keep: urls});
    });
  }

  let noticeTimer = 0;
  function showNotice(text) {
    $('notice').textContent = text;
    $('notice').hidden = false;
    clearTimeout(noticeTimer);
    noticeTimer = setTimeout(() => { $('notice').hidden = true; }, 15000);
  }
  $('notice').addEventListener('click', () => { $('notice').hidden = true; });

  if (worker) {
    // A new version is looked for at every load, the worker's script never taken from the HTTP
    // cache; it installs at once and takes over this page, which goes on as it is.
    const hadWorker = !!worker.controller;
    worker.addEventListener('controllerchange', () => {
      if (hadWorker) showNotice('A new version of the page is ready: it plays from the next load.');
      keepFetched();
    });
    worker.register('sw.js', {updateViaCache: 'none'}).then(keepFetched).catch(() => {});
  }

  // ---- Start -----------------------------------------------------------------------------
  window.zarq = {
    lit: () => api ? api.lit() : '',
    ready: false,
  };
  createZarq({page}).then((M) => {
    Z = M;
    api = bind(M);
    window.zarq.api = api;
    api.create();
    const s = api.storedSound();
    const h = api.storedHum();
    $('sound').checked = s !== 0;
    $('hum').checked = h !== 0;
    $('loading').hidden = true;
    $('play').disabled = false;
    $('start').hidden = false;
    $('play').focus();
    loadSet(setForWindow());
    keepFetched();
    window.zarq.readyAt = performance.now();
    window.zarq.ready = true;
  });
})();
