// Keeps the page and the module in a cache on the first visit and serves them
// from there first, so the generator works offline afterwards.
'use strict';

// Only a changed sw.js makes the browser install it again and fill a new
// cache: scripts/dev web stamps a hash of the other files here.
const version = '@CACHE_VERSION@';
// Copies of the page under other paths of the same host keep their own caches.
const cacheName = `tarvenna-web-${version} ${self.registration.scope}`;
const files = ['./', 'index.html', 'style.css', 'app.js', 'search_worker.js', 'tarvenna_web.js', 'tarvenna_web.wasm'];

self.addEventListener('install', (event) => {
  event.waitUntil(
    caches
      .open(cacheName)
      // Past the browser's HTTP cache, so that the new version is what is kept.
      .then((cache) => cache.addAll(files.map((file) => new Request(file, { cache: 'reload' }))))
      .then(() => self.skipWaiting()),
  );
});

self.addEventListener('activate', (event) => {
  const ours = (name) => name.startsWith('tarvenna-web-') && name.endsWith(` ${self.registration.scope}`);
  event.waitUntil(
    caches
      .keys()
      .then((names) => Promise.all(names.filter((name) => ours(name) && name !== cacheName).map((name) => caches.delete(name))))
      .then(() => self.clients.claim()),
  );
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  // The query (?workers=K) chooses nothing the cache keeps apart.
  event.respondWith(
    caches
      .open(cacheName)
      .then((cache) => cache.match(request, { ignoreSearch: true }))
      .then((cached) => cached || fetch(request)),
  );
});
