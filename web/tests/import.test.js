// The page's reading of interchange files and its keeping of the user's
// work, in Debian's headless Chromium. The tool's own import cases
// (tests/tool/import_cases.txt) go through the page's Import button and
// must give the points, names and messages the table there holds for
// `vexa encode`. The rest pins what a dispatcher relies on: a refused file
// leaves nothing to download, coordinates are decimal numbers, the picture
// numbers as the table, the focus stays in the table, the plan's limit,
// undo and redo, a question before edits are lost, the work kept across a
// reload, the page in Chinese, opened as a file, and offline after a first
// visit. Everything waits through locators (the page's CSP allows no eval).
//
// Environment: VEXA_SITE_DIR (build/web/site), VEXA_CHROMIUM (default
// /usr/bin/chromium).

'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { test, before, after } = require('node:test');
const { importCases } = require('./import_cases.js');
const { openSite } = require('./site.js');

const SITE = process.env.VEXA_SITE_DIR;
const ROUTES = ['recommended', 'fastest', 'shortest', 'economical'];
const ascii = (text) => Buffer.from(text, 'latin1');
const gbk = { 推荐: [0xcd, 0xc6, 0xbc, 0xf6], 最快: [0xd7, 0xee, 0xbf, 0xec] };
const listFile = Buffer.from([...ascii('    (TNC,116.397128,39.916527,Home,'), ...gbk.推荐,
                              ...ascii(',121.473701,31.230416,Office,'), ...gbk.最快]);
const badFile = Buffer.from([...ascii('    (TNC,116.397128,39.916527,Home,'), ...gbk.推荐,
                             ...ascii(',121.4737,31.2304,Office,fast')]);

let site;
let page;
const dialogs = [];

before(async () => {
  site = await openSite(SITE);
  page = await site.newPage();
  page.on('dialog', (dialog) => { dialogs.push(dialog.message()); dialog.accept(); });
  await page.locator('body[data-ready="true"]').waitFor({ state: 'attached' });
});

after(async () => {
  if (site) await site.close();
});

const rows = () => page.locator('#points tbody tr[data-index]');

async function table() {
  const out = [];
  for (const row of await rows().all()) {
    const route = row.locator('select[data-field="route"]');
    out.push({
      latitude: await row.locator('[data-field="latitude"]').inputValue(),
      longitude: await row.locator('[data-field="longitude"]').inputValue(),
      name: await row.locator('[data-field="name"]').inputValue(),
      route: ROUTES[Number(await ((await route.count()) ? route : page.locator('#guide-route')).inputValue())],
    });
  }
  return out;
}

// Opens `bytes` as the destination file `name`, or imports it; resolves
// when the status or the problem line names it.
async function open(name, bytes, input = '#file') {
  await page.setInputFiles(input, { name, mimeType: 'application/octet-stream', buffer: Buffer.from(bytes) });
  await page.locator('#status, #problem').filter({ hasText: name }).first().waitFor();
}

// The page's choice of encoding for a name --input-encoding takes.
const encodingValue = (name) => (name.toLowerCase() === 'gbk' ? '936' : name.toLowerCase().replace(/^(windows-|cp)/, ''));

test('the tool\'s import cases give the page the same points, names and messages', async () => {
  for (const { file, bytes, choice, expected } of importCases()) {
    // The page reads by content, as --input does, with the plan, the GPX
    // choice and the encoding set as the options say.
    await page.selectOption('#plan', String(choice.plan));
    await page.selectOption('#gpx-choice', choice.gpxWaypoints ? 'waypoints' : 'auto');
    await page.selectOption('#input-encoding', encodingValue(choice.inputEncoding));
    await open(file, bytes, '#import-file');
    // What the page says of the file names its own controls, never an option.
    const said = `${await page.textContent('#status')} ${await page.textContent('#problem')}`;
    assert.doesNotMatch(said, /--[a-z]/, file);
    if (expected.startsWith('refused: ')) {
      assert.ok((await page.textContent('#problem')).includes(expected.slice(9)), file);
      continue;
    }
    const shown = (await table()).map((p) => [Number(p.latitude).toFixed(7), Number(p.longitude).toFixed(7),
                                               p.name, p.route].join(',')).join(' | ');
    assert.equal(shown, expected, file);
  }
  await page.selectOption('#plan', '2');
  await page.selectOption('#input-encoding', '');
  // A GPX's second route, and a track's end, as --gpx-route 2 and --gpx-track 1 take them.
  const gpx = '<gpx><wpt lat="1" lon="1"/><rte><rtept lat="2" lon="2"/></rte><rte><rtept lat="3" lon="3"/></rte>' +
              '<trk><trkseg><trkpt lat="4" lon="4"/><trkpt lat="5" lon="5"/></trkseg></trk></gpx>';
  for (const [choice, name, latitude] of [['route', 'second.gpx', '3'], ['track', 'track.gpx', '5']]) {
    await page.selectOption('#gpx-choice', choice);
    await page.fill('#gpx-number', choice === 'route' ? '2' : '1');
    await open(name, Buffer.from(gpx), '#import-file');
    assert.deepEqual((await table()).map((p) => p.latitude), [latitude], choice);
  }
  await page.selectOption('#gpx-choice', 'auto');
  // Sixty waypoints are all taken, and the page offers to keep five.
  const many = ['<gpx>', ...Array.from({ length: 60 }, (_, i) => `<wpt lat="${i + 1}" lon="1"><name>P${i}</name></wpt>`), '</gpx>'];
  await open('sixty.gpx', Buffer.from(many.join('')), '#import-file');
  assert.equal(await rows().count(), 60);
  assert.equal(await page.isDisabled('#download'), true);
  assert.match(await page.textContent('#limit'), /60 points: the file carries at most 5/);
  await page.click('#keep-first');
  assert.equal(await rows().count(), 5);
  assert.equal(await page.isDisabled('#download'), false);
  assert.equal(await page.isDisabled('#add'), true);
  assert.match(await page.textContent('#limit'), /at most 5 points/);
});

test('a refused file leaves nothing on screen to download', async () => {
  await open('dest.cld', listFile);
  assert.equal(await rows().count(), 2);
  await open('bad.cld', badFile);
  assert.match(await page.textContent('#problem'), /bad\.cld: refused with result -27/);
  assert.equal(await rows().count(), 0);
  assert.equal(await page.isDisabled('#download'), true);
  assert.equal(await page.locator('#picture svg').count(), 0);
  // An interchange file opened as a destination file: the page points to
  // its Import button, where the tool gives a command line.
  await open('trip.gpx', Buffer.from('<gpx><wpt lat="1" lon="2"/></gpx>'));
  assert.match(await page.textContent('#problem'),
               /not a destination file; to make a destination list of its points: “Import GPX, GeoJSON, CSV or KML”/);
});

test('coordinates are decimal numbers; the picture numbers the points as the table', async () => {
  await open('dest.cld', listFile);
  await page.click('#add');
  const latitude = (n) => page.locator(`[data-index="${n - 1}"] [data-field="latitude"]`);
  for (const text of ['0x27', '0b101', '1_0', 'Infinity', '1e400', '']) {
    await latitude(2).fill(text);
    assert.match(await page.textContent('#point-problem-2'), /point 2: the latitude '.*' is not a decimal number/, text);
    assert.equal(await page.isDisabled('#download'), true, text);
    // No picture of a file that cannot be written: no mark can be misnumbered.
    assert.equal(await page.locator('#picture svg').count(), 0);
    assert.match(await page.textContent('#picture'), /correct point 2/);
  }
  await latitude(2).fill('31,5');
  assert.equal(await page.isDisabled('#download'), false);
  assert.equal(await page.textContent('[data-index="1"] .units'), `${31.5 * 9216000}, 1119501628`);
  assert.deepEqual(await page.locator('#picture svg g.point text.order').allTextContents(), ['1', '2', '3']);
});

test('a name the list cannot carry is refused with the page\'s way out, not the tool\'s option', async () => {
  await open('dest.cld', listFile);
  await page.fill('[data-index="1"] [data-field="name"]', 'Café ☕, bar');
  const why = await page.textContent('#point-problem-2');
  assert.match(why, /^point 2: the name 'Café ☕, bar' contains a comma/);
  assert.doesNotMatch(why + await page.textContent('#check'), /--/);
  assert.equal(await page.isDisabled('#download'), true);
  await page.click('#point-problem-2 button.fit-name');
  assert.equal(await page.inputValue('[data-index="1"] [data-field="name"]'), 'Café ?， bar');
  assert.equal(await page.isDisabled('#download'), false);
});

test('the focus stays in the table after a move or a removal', async () => {
  await open('dest.cld', listFile);
  await page.click('#add');
  const focused = () => page.locator(':focus').getAttribute('aria-label');
  await page.locator('[aria-label="Move point 2 up"]').click();
  assert.equal(await focused(), 'Move point 1 down');  // its own "up" is disabled now
  await page.locator('[aria-label="Move point 2 down"]').click();
  // Its own "down" is disabled at the end: the row's first button takes it.
  assert.equal(await focused(), 'Move point 3 up');
  await page.locator('[aria-label="Remove point 2"]').click();
  assert.equal(await focused(), 'Remove point 2');
  await page.locator('[aria-label="Remove point 2"]').click();
  await page.locator('[aria-label="Remove point 1"]').click();
  assert.equal(await page.locator(':focus').getAttribute('id'), 'add');
});

test('undo and redo; edits are not lost to a new file or a reload without a word', async () => {
  await open('dest.cld', listFile);
  const name = page.locator('[data-index="0"] [data-field="name"]');
  await name.fill('Depot');
  await page.selectOption('[data-index="1"] select[data-field="route"]', '2');
  await page.locator('body').press('Control+z');
  assert.equal((await table())[1].route, 'fastest');
  await page.locator('body').press('Control+z');
  assert.equal(await name.inputValue(), 'Home');
  await page.locator('body').press('Control+Shift+z');
  assert.equal(await name.inputValue(), 'Depot');
  await page.click('#redo');
  assert.equal((await table())[1].route, 'shortest');

  // Kept across a reload, in this browser only.
  await page.reload();
  await page.locator('body[data-ready="true"]').waitFor({ state: 'attached' });
  assert.match(await page.textContent('#status'), /unsaved work from the last visit is back/);
  assert.equal(await name.inputValue(), 'Depot');

  // Opening another file asks first; undo brings the edits back.
  const asked = dialogs.length;
  await open('dest.cld', listFile);
  assert.equal(dialogs.length, asked + 1);
  assert.match(dialogs[asked], /not been downloaded/);
  assert.equal(await name.inputValue(), 'Home');
  await page.click('#undo');
  assert.equal(await name.inputValue(), 'Depot');
  // Downloaded, nothing is unsaved: no question, and a reload starts afresh.
  await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  await open('dest.cld', listFile);
  assert.equal(dialogs.length, asked + 1);
  await page.reload();
  await page.locator('body[data-ready="true"]').waitFor({ state: 'attached' });
  assert.equal(await rows().count(), 0);
});

test('the plan\'s limit, the tiles heading and the Chinese status line', async () => {
  await open('dest.cld', listFile);
  for (let i = 0; i < 3; ++i) await page.click('#add');
  assert.equal(await rows().count(), 5);
  assert.equal(await page.isDisabled('#add'), true);
  await page.selectOption('#plan', '1');
  assert.match(await page.textContent('#limit'), /5 points: the file carries at most 3/);
  await page.selectOption('#plan', '2');

  await page.click('#tiles-heading');
  assert.equal(await page.textContent('#tiles-heading'), 'Map tiles (off)');
  await page.check('#tiles-on');
  assert.equal(await page.textContent('#tiles-heading'), 'Map tiles (on)');
  await page.uncheck('#tiles-on');

  await open('dest.cld', listFile);
  await page.selectOption('#language', 'zh');
  assert.match(await page.textContent('#status'), /^dest\.cld：目的地列表（方案 2），2 个地点/);
  await open('bad.cld', badFile);
  assert.match(await page.textContent('#problem'), /^bad\.cld：被拒绝，结果 -27（VEXA_E_LIST_BAD_ROUTE）。 （工具的原文）group 2/);
  await page.selectOption('#language', 'en');
  assert.match(await page.textContent('#problem'), /^bad\.cld: refused with result -27 \(VEXA_E_LIST_BAD_ROUTE\)\. group 2/);
});

test('opened as a file it says it must be served; served once, it works offline', async () => {
  const local = await site.newPage();
  try {
    await local.goto(`file://${path.join(SITE, 'index.html')}`);
    await local.locator('#problem', { hasText: 'must be served' }).waitFor();
    assert.equal(await local.textContent('#status'), '');
    assert.equal(await local.isDisabled('#add'), true);
    assert.equal(await local.isDisabled('#download'), true);
  } finally {
    await local.close();
  }

  const manifest = JSON.parse(fs.readFileSync(path.join(SITE, 'manifest.webmanifest'), 'utf8'));
  assert.equal(manifest.display, 'standalone');
  assert.ok(manifest.icons.every((icon) => fs.existsSync(path.join(SITE, icon.src))));
  // The worker has cached the site: without a network the page still
  // loads its module and reads a file.
  if (site.context.serviceWorkers().length === 0) await site.context.waitForEvent('serviceworker');
  await page.reload();
  await page.locator('body[data-ready="true"]').waitFor({ state: 'attached' });
  await site.context.setOffline(true);
  try {
    await page.reload();
    await page.locator('body[data-ready="true"]').waitFor({ state: 'attached' });
    await open('dest.cld', listFile);
    assert.equal(await rows().count(), 2);
  } finally {
    await site.context.setOffline(false);
  }
});
