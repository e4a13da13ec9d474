// What the page keeps: the player's choices in localStorage (read and written by the toy, and
// taken from another tab of the page when changed there), and the site itself, kept for
// offline play by the service worker, with the word that a new version is ready.
import {showKeys} from './bar.js';
import {$, api} from './toy.js';

// The page's side of the toy's storage.
export const pageStorage = {
  read: (name) => { try { return localStorage.getItem(name); } catch (e) { return null; } },
  write: (name, value) => { try { localStorage.setItem(name, value); } catch (e) { /* kept for this visit only */ } },
};

// The worker keeps the page and the program at its installation; what the page fetched itself
// (the picture set its screen needs, the dialogs' pictures) is named to it to keep as well,
// since what came before the worker looked after the page passed it by, and so is the About
// sheet's photograph for this screen, to be there offline even if it was never shown online.
const worker = 'serviceWorker' in navigator && location.protocol !== 'file:' ? navigator.serviceWorker : null;
export function keepFetched() {
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
export function showNotice(text) {
  $('notice').textContent = text;
  $('notice').hidden = false;
  clearTimeout(noticeTimer);
  noticeTimer = setTimeout(() => { $('notice').hidden = true; }, 15000);
}

export function setupStorage() {
  // Keys chosen in another tab of the page: taken here too, and shown if the dialog is open.
  window.addEventListener('storage', (e) => {
    if (!api || (e.key !== null && !/^(Key|Pad)/.test(e.key))) return;
    api.reloadKeys();
    if (!$('controls').hidden) showKeys($('keys-why').textContent);
  });

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
}
