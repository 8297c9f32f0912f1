// The JavaScript interface of Vexa's web module: the library's own
// destination code and the companion tool's readers, writers, explanations
// and picture, compiled to WebAssembly. Everything here only carries
// requests in and answers out: each call hands the module a JSON request
// (and bytes) with their lengths and parses the one JSON answer it gives
// (web/module/web_api.h), so a name can hold any character, U+0000
// included. It serves a page in the browser and scripts under Node.
//
//   const vexa = await Vexa.load();           // browser: window.Vexa
//   const vexa = await require('./vexa-module.js').load();  // Node
//
//   vexa.decodeFile(head, { name, size, plan })
//                                a destination file as `vexa decode` reads
//                                it: its first bytes (vexa.analysisBytes are
//                                enough), its name (the plan may follow from
//                                it), its whole size, plan 1, 2 or 'detect'
//   vexa.readFile(bytes, plan)   the same for a whole file without a name
//   vexa.parseRaw(text, plan, lengthBytes)
//                                a raw message as `vexa parse` reads it: a
//                                string or a Uint16Array of UTF-16 units;
//                                lengthBytes (default two per unit) as the
//                                caller of PTT_Parse_Raw_Protocol passes it
//       -> { result, resultName, plan, deleted, packet, explanation, warnings,
//            record }
//   vexa.importFile(bytes, { name, plan, format, gpxRoute, gpxTrack,
//                    gpxWaypoints, inputEncoding })
//                                an interchange file as `vexa encode --input`
//                                reads it (inputEncoding as --input-encoding
//                                names it)
//       -> { ok: true, points: [{ latitude, longitude, name, route }], notes }
//        | { ok: false, message }
//   vexa.encode(plan, points)    the destination file of `points` ([{ latitude,
//                                longitude (degrees), name (plan 2), route:
//                                0-3 }], in travel order) as `vexa encode`
//                                writes it, read back by the library
//       -> { ok: true, bytes, notes, packet, warnings }
//        | { ok: false, message, point (1-based, or 0) }
//   vexa.exportText(format, plan, points, source)
//                                the points as `vexa decode --format` writes
//                                them: 'gpx', 'geojson', 'csv', 'kml' or 'svg'
//       -> { ok: true, text } | { ok: false, message, point }
//   vexa.fitName(name)           the name as `vexa encode --replace-unmappable`
//                                writes it
//       -> { ok: true, name, replaced (what was, empty for nothing) }
//   vexa.resultName(code)        the header's name of a result code
//   vexa.textFromCodePage(bytes) code page 936 bytes to a string, as
//                                Windows converts them
//
// `result` is the library's result code: 0, or the negative code of the
// failing check (vexa/vexa.h); `deleted` whether the library would delete
// the file after reading it (exactly when result is 0). `explanation` is
// the tool's line on a refusal and `warnings` its strict warnings on an
// acceptance, word for word. `record` is the record `vexa decode --format
// json` gives. `packet` is null on failure, otherwise
//   { kind: 'GuideMessage' | 'DestinationList', pointCount,
//     bytes: Uint8Array(568), points: [{ order, role, latitude, longitude
//     (degrees), latitudeUnits, longitudeUnits (1/2560 arc-second),
//     routeMode, route, name, nameBytes (hex, when the name does not
//     decode) }] }.
//
// In the browser, load the generated vexa_web.js first (it defines
// createVexaWeb); Vexa.load({ locateFile }) may say where vexa_web.wasm
// lies. Under Node both files are found beside this one.

(function (root, define) {
  if (typeof module === 'object' && module.exports) {
    module.exports = define(root);
  } else {
    root.Vexa = define(root);
  }
})(typeof self !== 'undefined' ? self : this, function (root) {
  'use strict';

  const PACKET_SIZE = 568;
  const UNITS_PER_DEGREE = 3600 * 2560;

  const isNode = typeof process === 'object' && process.versions != null &&
                 process.versions.node != null;

  async function load(options = {}) {
    const settings = {};
    let create = options.create;
    if (isNode) {
      const path = require('path');
      const directory = options.directory || __dirname;
      create = create || require(path.join(directory, 'vexa_web.js'));
      // Handed over: this emscripten's loader would fetch() a file path,
      // which Node's fetch refuses.
      settings.wasmBinary = require('fs').readFileSync(path.join(directory, 'vexa_web.wasm'));
    } else {
      create = create || root.createVexaWeb;
      if (options.locateFile) settings.locateFile = options.locateFile;
    }
    return new VexaModule(await create(settings));
  }

  const utf8 = new TextEncoder();
  const fromUtf8 = new TextDecoder();

  function fromHex(hex) {
    const bytes = new Uint8Array(hex.length / 2);
    for (let i = 0; i < bytes.length; ++i) bytes[i] = parseInt(hex.substr(2 * i, 2), 16);
    return bytes;
  }

  class VexaModule {
    constructor(wasm) {
      this.wasm = wasm;
    }

    get analysisBytes() {
      return this.wasm._vexa_web_analysis_bytes();
    }

    // Calls `_vexa_web_<name>` with the request as UTF-8 JSON and `data`
    // (bytes, or UTF-16 units) after it, each as (address, length), and
    // parses the answer.
    call(name, request, data) {
      const asked = request === undefined ? null : utf8.encode(JSON.stringify(request));
      const askedRoom = asked ? (asked.length + 3) & ~3 : 0;
      const dataBytes = data ? data.byteLength : 0;
      return this.withMemory(askedRoom + dataBytes, (address) => {
        const heap = this.wasm.HEAPU8;
        if (asked) heap.set(asked, address);
        const dataAt = address + askedRoom;
        if (data) heap.set(new Uint8Array(data.buffer, data.byteOffset, data.byteLength), dataAt);
        const length = data instanceof Uint16Array ? data.length : dataBytes;
        const args = asked ? [address, asked.length] : [];
        if (data) args.push(dataAt, length);
        const at = this.wasm[`_vexa_web_${name}`](...args);
        // The module may have grown its memory: a fresh view.
        const after = this.wasm.HEAPU8;
        return JSON.parse(fromUtf8.decode(after.subarray(at, at + this.wasm._vexa_web_answer_size())));
      });
    }

    decodeFile(head, { name = '', size, plan = 'detect' } = {}) {
      head = toBytes(head);
      return this.read(this.call('decode_json', {
        name, size: size === undefined ? head.length : size, plan: plan === 'detect' ? 0 : plan }, head));
    }

    readFile(bytes, plan = 'detect') {
      return this.decodeFile(bytes, { plan });
    }

    parseRaw(text, plan, lengthBytes) {
      const units = typeof text === 'string' ? unitsOf(text) : text;
      const request = { plan };
      if (lengthBytes !== undefined) request.length = lengthBytes;
      return this.read(this.call('parse_json', request, units));
    }

    // A decode record as the page uses it.
    read(record) {
      if (record.result === undefined) throw new Error(record.message);
      const ok = record.ok === true;
      return {
        result: record.result, resultName: ok ? 'VEXA_OK' : record.error, plan: record.plan,
        deleted: record.result === 0,
        packet: ok ? packetOf(record, this) : null,
        explanation: ok ? '' : record.message, warnings: record.warnings, record,
      };
    }

    importFile(bytes, choice = {}) {
      return this.call('import_json', { plan: 2, format: 'auto', ...choice }, toBytes(bytes));
    }

    encode(plan, points) {
      const answer = this.call('encode_json', { plan, points: points.map(pointOf) });
      if (!answer.ok) return answer;
      return { ok: true, bytes: fromHex(answer.bytes), notes: answer.notes,
               packet: packetOf(answer.decoded, this), warnings: answer.decoded.warnings };
    }

    exportText(format, plan, points, source) {
      return this.call('export_json', { format, plan, source, points: points.map(pointOf) });
    }

    fitName(name) {
      return this.call('fit_name_json', { name });
    }

    resultName(code) {
      const heap = this.wasm.HEAPU8;
      const at = this.wasm._vexa_web_result_name(code);
      return fromUtf8.decode(heap.subarray(at, heap.indexOf(0, at)));
    }

    textFromCodePage(bytes) {
      bytes = toBytes(bytes);
      const end = bytes.indexOf(0);
      if (end >= 0) bytes = bytes.subarray(0, end);
      const at = this.withMemory(bytes.length, (address) => {
        this.wasm.HEAPU8.set(bytes, address);
        return this.wasm._vexa_web_code_page_text_json(address, bytes.length);
      });
      const heap = this.wasm.HEAPU8;
      return JSON.parse(fromUtf8.decode(heap.subarray(at, at + this.wasm._vexa_web_answer_size()))).text;
    }

    // Runs `work` with `size` bytes of the module's memory (4-byte aligned)
    // and frees them on every way out.
    withMemory(size, work) {
      const address = this.wasm._malloc(size + 4);
      if (address === 0) throw new Error('the module is out of memory');
      try {
        return work(address);
      } finally {
        this.wasm._free(address);
      }
    }
  }

  function pointOf(point) {
    return { latitude: point.latitude, longitude: point.longitude, name: point.name || '',
             route: point.route };
  }

  // A record's packet. A stored name the tool cannot show exactly (it
  // gives its bytes beside it) is shown as a head unit shows it, so it is
  // written back as it was.
  function packetOf(record, module) {
    const points = record.points.map((p) => (p.nameBytes === undefined ? p
      : { ...p, name: module.textFromCodePage(fromHex(p.nameBytes)) }));
    return { kind: record.kind, pointCount: record.pointCount, points,
             bytes: record.packet ? fromHex(record.packet) : undefined };
  }

  function toBytes(bytes) {
    if (bytes instanceof Uint8Array) return bytes;
    if (bytes instanceof ArrayBuffer) return new Uint8Array(bytes);
    if (ArrayBuffer.isView(bytes)) return new Uint8Array(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    return Uint8Array.from(bytes);
  }

  function unitsOf(text) {
    const units = new Uint16Array(text.length);
    for (let i = 0; i < text.length; ++i) units[i] = text.charCodeAt(i);
    return units;
  }

  return { load, PACKET_SIZE, UNITS_PER_DEGREE };
});
