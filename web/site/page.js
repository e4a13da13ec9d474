// The web edition's page: a thin layer that hands the browser's events and time to the toy
// (compiled C++, which decides everything) and does what only a page can, in modules by what
// they serve (web/README.md). This one starts them: the start overlay and "- PLAY -".
import {fit, loadSet, setForWindow} from './drawing.js';
import {bestShelf, openLink, setupBest} from './best.js';
import {setupBar, showMessage, tellStatus} from './bar.js';
import {setupFiles} from './files.js';
import {setupInput} from './input.js';
import {pageAudio, prepareSound, startAudio} from './sound.js';
import {keepFetched, pageStorage, setupStorage} from './storage.js';
import {$, api, connect, startPlaying, wake} from './toy.js';

// The rest of the page as the toy asks for it (PageAudio and PageHost).
const page = {
  ...pageAudio,
  ...pageStorage,
  ...bestShelf,
  message: (text, caption) => showMessage(text, caption),
  open: (target) => { location.href = target; },
  showOptions: () => { $('start').hidden = false; },
  screenWidth: () => window.innerWidth,
  screenHeight: () => window.innerHeight,
};

function start() {
  setupInput();
  setupBar();
  setupFiles();
  setupStorage();

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
    startPlaying();
    wake();
    openLink();
  });

  window.zarq = {
    lit: () => api ? api.lit() : '',
    ready: false,
  };
  createZarq({page}).then((M) => {
    connect(M);
    window.zarq.api = api;
    prepareSound();
    api.create();
    setupBest();
    // A server with a scoreboard answers for it; on a static host the page shows nothing of one.
    const ask = new AbortController();
    setTimeout(() => ask.abort(), 5000);
    fetch('api/scores?limit=1', {signal: ask.signal}).then((r) => r.json())
      .then((j) => Array.isArray(j.entries) && import('./board.js').then((b) => b.setupBoard())).catch(() => {});
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
}

if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
  $('nowasm').hidden = false;
} else {
  start();
}
