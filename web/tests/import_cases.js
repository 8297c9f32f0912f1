// The tool's import cases (tests/tool/import_cases.txt), read for the
// module's and the page's tests: each case's file name, bytes, encode
// options and expected points or refusal, and the choice the options make.

'use strict';

const fs = require('node:fs');
const path = require('node:path');

// printf %b's escapes, as the table writes file contents.
function unescape(text) {
  const bytes = [];
  for (let i = 0; i < text.length; ++i) {
    if (text[i] !== '\\') {
      bytes.push(...Buffer.from(text[i]));
    } else if (text[i + 1] === 'x') {
      bytes.push(parseInt(text.substr(i + 2, 2), 16));
      i += 3;
    } else {
      bytes.push({ n: 10, t: 9, r: 13, '\\': 92 }[text[i + 1]]);
      i += 1;
    }
  }
  return Buffer.from(bytes);
}

const FORMATS = { '--csv': 'csv', '--gpx': 'gpx', '--kml': 'kml', '--geojson': 'geojson', '--input': 'auto' };

// What encode's options choose, as the module's importFile takes it.
function choiceOf(options) {
  const words = options.split(' ').filter(Boolean);
  const choice = { plan: 2, format: 'auto', gpxWaypoints: false, inputEncoding: '' };
  for (let i = 0; i < words.length; ++i) {
    if (FORMATS[words[i]]) choice.format = FORMATS[words[i]];
    else if (words[i] === '--gpx-waypoints') choice.gpxWaypoints = true;
    else if (words[i] === '--plan') choice.plan = Number(words[++i]);
    else if (words[i] === '--input-encoding') choice.inputEncoding = words[++i];
    else throw new Error(`import_cases.txt: no way to give ${words[i]}`);
  }
  return choice;
}

function importCases() {
  const table = path.join(__dirname, '..', '..', 'tests', 'tool', 'import_cases.txt');
  return fs.readFileSync(table, 'utf8').split('\n').filter((line) => line && !line.startsWith('#'))
    .map((line) => {
      const [file, content, options, ...rest] = line.split('|');
      return { file, bytes: unescape(content), choice: choiceOf(options), expected: rest.join('|') };
    });
}

module.exports = { importCases };
