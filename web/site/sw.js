// The service worker that lets the toy play offline. At installation it keeps the page and the
// program, fetched past the browser's HTTP cache so that a new version never keeps an old file;
// the pictures a screen needs are kept as the page fetches them, or when the page names those it
// fetched before the worker looked after it. Every request is answered from what is kept first.
// A new version of the site (a new KEEP name) replaces the old keep.
'use strict';
const KEEP = 'zarq-@VERSION@';
const KEPT = [
/*@KEPT@*/
];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(KEEP)
    .then((cache) => cache.addAll(KEPT.map((url) => new Request(url, {cache: 'reload'}))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('zarq-') && n !== KEEP).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

const ours = (url) => new URL(url, self.location.href).origin === self.location.origin;

// Fetched for the keep (once, however often the page names it): revalidated with the server,
// since the browser's HTTP cache may still hold the file of an older version.
const keeping = new Set();
function keep(cache, url) {
  if (keeping.has(url)) return Promise.resolve();
  keeping.add(url);
  return cache.match(url).then((kept) => kept || fetch(new Request(url, {cache: 'no-cache'})).then((response) => {
    if (response.ok) return cache.put(url, response);
  })).catch(() => {}).finally(() => keeping.delete(url));
}

// {keep: [urls]}: the page's own files it fetched, to be kept too.
self.addEventListener('message', (event) => {
  const urls = event.data && Array.isArray(event.data.keep) ? event.data.keep.filter((url) => ours(url) && !api(url)) : [];
  if (urls.length === 0) return;
  event.waitUntil(caches.open(KEEP).then((cache) => Promise.all(urls.map((url) => keep(cache, url)))));
});

// The scoreboard's answers (when the page's server has one) are never kept: they change.
const api = (url) => /\/api\//.test(new URL(url, self.location.href).pathname);

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET' || api(event.request.url)) return;
  event.respondWith(caches.open(KEEP).then((cache) =>
    cache.match(event.request, {ignoreSearch: false}).then((kept) => {
      if (kept) return kept;
      // Past the HTTP cache, which may hold an older version's file, and kept.
      const own = ours(event.request.url);
      const request = own && event.request.mode !== 'navigate' ? new Request(event.request, {cache: 'no-cache'}) : event.request;
      return fetch(request).then((response) => {
        if (response.ok && own) cache.put(event.request, response.clone());
        return response;
      });
    })));
});
