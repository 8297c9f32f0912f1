// The built site served from 127.0.0.1 and a fresh headless Chromium
// profile to open it in, for the browser tests that share no state with
// page.test.js.

'use strict';

const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
                '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json',
                '.svg': 'image/svg+xml' };

// Resolves to { origin, context, newPage(), close() }; newPage opens the
// site's page.
async function openSite(folder) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'vexa-web-site-'));
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/$/, '/index.html');
    const file = path.join(folder, path.normalize(name));
    if (!file.startsWith(folder) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
    response.end(fs.readFileSync(file));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const origin = `http://127.0.0.1:${server.address().port}`;
  const context = await chromium.launchPersistentContext(path.join(scratch, 'profile'), {
    executablePath: process.env.VEXA_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--allow-file-access-from-files'],
    acceptDownloads: true, locale: 'en-GB', viewport: { width: 1100, height: 900 },
  });
  return {
    origin,
    context,
    async newPage() {
      const page = await context.newPage();
      await page.goto(`${origin}/`);
      return page;
    },
    async close() {
      await context.close();
      server.close();
      fs.rmSync(scratch, { recursive: true, force: true });
    },
  };
}

module.exports = { openSite };
