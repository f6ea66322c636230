// The service worker: every file of the site kept in a cache named after the build, for playing
// offline. Online, the files come from the server as ever (asked again each time, so a new build runs
// on the next visit); only when it cannot be reached do they come from the cache. A new build's
// worker takes over at once and drops the caches of the builds before it.
'use strict';

const build = '@BUILD@';
const files = @FILES@;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(build)
    .then((cache) => cache.addAll(files.map((file) => new Request(file, {cache: 'no-cache'}))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name.startsWith('dorurura-') && name !== build).map((name) => caches.delete(name)))));
});

self.addEventListener('fetch', (event) => {
  const url = new URL(event.request.url);
  const scope = new URL(self.registration.scope);
  if (event.request.method !== 'GET' || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return;
  event.respondWith(fetch(url.href, {cache: 'no-cache'}).catch(async (error) => {
    const file = url.pathname.endsWith('/index.html') ? url.pathname.slice(0, -'index.html'.length) : url.pathname;
    const kept = await caches.open(build).then((cache) => cache.match(file));
    if (!kept) throw error;
    return kept;
  }));
});
