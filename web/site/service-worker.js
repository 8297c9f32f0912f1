// Keeps the site in the browser's cache so the page opens without a
// network after a first visit (and can be installed as an app). Only the
// site's own files are answered here: from the server while it answers
// (so a new version never meets an old module), else from the cache; any
// other request (map tiles, when the user turns them on) is left to the
// browser untouched, so nothing more leaves the machine than without this
// worker.

'use strict';

const CACHE = 'vexa-site';
const SITE = ['./', 'index.html', 'page.js', 'style.css', 'vexa-module.js', 'vexa_web.js',
              'vexa_web.wasm', 'manifest.webmanifest', 'icon.svg'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(SITE)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(self.clients.claim());
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(CACHE).then((cache) => fetch(request).then((response) => {
    if (response.ok) cache.put(request, response.clone());
    return response;
  }).catch(async () => (await cache.match(request, { ignoreSearch: true })) || Response.error())));
});
