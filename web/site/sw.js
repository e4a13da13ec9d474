// The service worker that lets the toy play offline: the site's files are kept at installation,
// anything else the page fetches (the finer picture sets) is kept on the way, and every request
// is answered from what is kept first. A new version of the site replaces the old keep.
'use strict';
const KEEP = 'zarq-@VERSION@';
const KEPT = [
/*@KEPT@*/
];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(KEEP).then((cache) => cache.addAll(KEPT)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n !== KEEP).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(KEEP).then((cache) =>
    cache.match(event.request, {ignoreSearch: false}).then((kept) => kept || fetch(event.request).then((response) => {
      if (response.ok && new URL(event.request.url).origin === self.location.origin) {
        cache.put(event.request, response.clone());
      }
      return response;
    }))));
});
