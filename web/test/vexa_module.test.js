// Fixed cases through the web module's JavaScript interface, as a page uses
// it: both plans' files, raw messages through code page 936, the failure
// codes and the packet's fields, and the tool's import cases
// (tests/tool/import_cases.txt), which the module must read exactly as
// `vexa encode` does. The generated inputs of the cross-build differential
// cover the rest. VEXA_WEB_DIR names the built module's folder.

'use strict';

const assert = require('node:assert/strict');
const path = require('node:path');
const { test, before } = require('node:test');
const { importCases } = require('../tests/import_cases.js');

const Vexa = require(path.join(process.env.VEXA_WEB_DIR, 'vexa-module.js'));

let vexa;
before(async () => {
  vexa = await Vexa.load();
});

const gbk = {
  recommended: [0xcd, 0xc6, 0xbc, 0xf6],  // 推荐
  fastest: [0xd7, 0xee, 0xbf, 0xec],      // 最快
};
const ascii = (text) => Array.from(text, (c) => c.charCodeAt(0));
// The stored name of a packet's point `i`, up to its NUL.
const nameBytes = (packet, i) => {
  const field = packet.bytes.subarray(8 + i * 112 + 12, 8 + i * 112 + 112);
  return Array.from(field.subarray(0, field.indexOf(0)));
};

test('a destination list file gives named destinations in packet units', () => {
  const bytes = Uint8Array.from([
    ...ascii('    (TNC,116.397128,39.916527,Home,'), ...gbk.recommended,
    ...ascii(',121.473701,31.230416,Office,'), ...gbk.fastest]);
  assert.equal(bytes.length, 72);
  const read = vexa.readFile(bytes);  // detected: four leading spaces
  assert.equal(read.plan, 2);
  assert.equal(read.result, 0);
  assert.equal(read.deleted, true);
  const { packet } = read;
  assert.equal(packet.kind, 'DestinationList');
  assert.deepEqual(packet.points.map((p) => [p.role, p.longitudeUnits, p.latitudeUnits,
                                             p.route, p.name]),
                   [['destination', 1072715932, 367870713, 'recommended', 'Home'],
                    ['destination', 1119501628, 287819514, 'fastest', 'Office']]);
  assert.deepEqual(Array.from(packet.bytes.subarray(0, 24)),
                   [1, 0, 0, 0, 2, 0, 0, 0, 0x9c, 0x58, 0xf0, 0x3f, 0xf9, 0x42, 0xed, 0x15,
                    0, 0, 0, 0, 0x48, 0x6f, 0x6d, 0x65]);
  assert.ok(packet.bytes.subarray(232).every((b) => b === 0));
});

test('a raw guide message puts the via point first; an odd last byte is ignored', () => {
  const text = '(TNC,002,1,3954.5000,11623.2000,B1,3950.2500,11620.1000';
  for (const length of [110, 111]) {
    const { result, packet } = vexa.parseRaw(text, 1, length);
    assert.equal(result, 0);
    assert.equal(packet.kind, 'GuideMessage');
    // 39 degrees 50.25 minutes = 143,415 arc-seconds = 367,142,400 units.
    assert.deepEqual(packet.points.map((p) => [p.role, p.latitudeUnits, p.longitudeUnits,
                                               p.route]),
                     [['via', 367142400, 1072143360, 'fastest'],
                      ['destination', 367795200, 1072619520, 'fastest']]);
  }
  // The same message as a plan-1 file: a little-endian length, then the text.
  const file = Uint8Array.from([text.length, 0, 0, 0, ...ascii(text)]);
  assert.equal(vexa.readFile(file).plan, 1);
  assert.equal(vexa.readFile(file).packet.pointCount, 2);
});

test('raw text converts to code page 936 as Windows converts it', () => {
  // Route word in Chinese; names with a euro sign, a best-fit character, a
  // user-defined character and a surrogate pair (one '?' per unit).
  const message = '(TNC,1,2,\u20ac\u00b2\ue000,\u63a8\u8350,3,4,A\ud83d\ude00,\u6700\u5feb';
  const { result, packet } = vexa.parseRaw(message, 2);
  assert.equal(result, 0);
  assert.deepEqual(packet.points.map((p, i) => [p.routeMode, nameBytes(packet, i)]),
                   [[0, [0x80, 0x32, 0xaa, 0xa1]], [1, [0x41, 0x3f, 0x3f]]]);
  assert.equal(packet.points[0].name, '\u20ac2\ue000');
  // Windows reads A2E3 as a user-defined character, not as the euro sign.
  assert.equal(vexa.textFromCodePage([0xa2, 0xe3, 0xcd, 0xc6, 0xbc, 0xf6]), '\ue76c\u63a8\u8350');
});

test('failures give the library codes and no packet', () => {
  const cases = [
    [() => vexa.parseRaw('(TNC', 2, 1), -42],            // no whole unit
    [() => vexa.parseRaw('(TNC,' + 'x'.repeat(507), 2), -42],  // 512 bytes
    [() => vexa.parseRaw('(TNC', 3), -43],
    [() => vexa.parseRaw('(TNC,002,5,1,1', 1), -9],
    [() => vexa.parseRaw('(TNC,1,2,x,fast', 2), -27],
    [() => vexa.readFile(ascii('   \t(TNC'), 2), -25],
    [() => vexa.readFile([0, 2, 0, 0], 1), -4],            // length 512
    [() => vexa.readFile([9, 0, 0, 0, 0x28], 1), -5],
  ];
  for (const [run, code] of cases) {
    const outcome = run();
    assert.equal(outcome.result, code);
    assert.equal(outcome.packet, null);
    if ('deleted' in outcome) assert.equal(outcome.deleted, false);
  }
  // 511 bytes are not too long (the list is refused only for having no point).
  assert.notEqual(vexa.parseRaw('(TNC,' + 'x'.repeat(506), 2).result, -42);
});

test('the tool\'s import cases give the same points, names and refusals', () => {
  const cases = importCases();
  assert.ok(cases.length >= 20);
  for (const { file, bytes, choice, expected } of cases) {
    const imported = vexa.importFile(bytes, { name: file, ...choice });
    if (expected.startsWith('refused: ')) {
      assert.equal(imported.ok, false, file);
      assert.ok(imported.message.includes(expected.slice(9)), `${file}: ${imported.message}`);
      continue;
    }
    assert.equal(imported.ok, true, `${file}: ${imported.message}`);
    // As `vexa decode --format csv` gives the file encode writes.
    const points = imported.points.map((p) => ({ ...p, route: p.route >= 0 ? p.route : 0 }));
    const csv = vexa.exportText('csv', choice.plan, points, 'in.cld');
    assert.equal(csv.ok, true, `${file}: ${csv.message}`);
    assert.equal(csv.text.trim().split('\n').slice(1).join(' | '), expected, file);
  }
});

test('names reach the module with their lengths: U+0000 moves no name to another point', () => {
  const names = ['Home', 'A\u0000B', 'Office'];
  const points = names.map((name, i) => ({ latitude: 30 + i, longitude: 120, name, route: 0 }));
  const refused = vexa.encode(2, points);
  assert.equal(refused.ok, false);
  assert.equal(refused.point, 2);
  assert.match(refused.message, /^point 2: the name 'A\\x00B'/);
  // Without it, each name stays on its own point, whatever it holds.
  points[1].name = 'Quote " and \\ and 天安门';
  const encoded = vexa.encode(2, points);
  assert.equal(encoded.ok, true, encoded.message);
  assert.deepEqual(encoded.packet.points.map((p) => p.name), ['Home', 'Quote " and \\ and 天安门', 'Office']);
});

test('every export reads back as the same points and names (and routes, but from KML)', () => {
  const points = [
    { latitude: 39.916527, longitude: 116.397128, name: '天安门 <b>&"\'', route: 1 },
    { latitude: -33.8568, longitude: 151.2153, name: '', route: 3 },
    { latitude: 0.5, longitude: -0.25, name: 'Tab\there', route: 2 },
  ];
  for (const format of ['gpx', 'geojson', 'csv', 'kml']) {
    const written = vexa.exportText(format, 2, points, 'dest.cld');
    assert.equal(written.ok, true, format);
    const back = vexa.importFile(Buffer.from(written.text), { name: `back.${format}` });
    assert.equal(back.ok, true, `${format}: ${back.message}`);
    // KML has no route field the reader takes: it says the route in words.
    // A tab in a name comes back as a blank, as encode would write it.
    assert.deepEqual(back.points.map((p) => [p.latitude, p.longitude, p.name, p.route]),
                     points.map((p) => [p.latitude, p.longitude, p.name.replace('\t', ' '),
                                        format === 'kml' ? -1 : p.route]),
                     format);
  }
});
