// The JavaScript interface of Vexa's web module: the library's own
// destination code (both plans' readers, field splitting, coordinates, the
// packet, and code page 936 as Windows converts it) compiled to
// WebAssembly. It serves a page in the browser and scripts under Node.
//
//   const vexa = await Vexa.load();           // browser: window.Vexa
//   const vexa = await require('./vexa-module.js').load();  // Node
//
//   vexa.readFile(bytes, plan)   a destination file's bytes (Uint8Array),
//                                read as plan 1 or 2, or 'detect' (default)
//       -> { result, plan, deleted, packet }
//   vexa.decodeFile(head, { name, size, plan })
//                                a file as `vexa decode` reads it: its first
//                                bytes (vexa.analysisBytes are enough), its
//                                name (the plan may follow from it), its
//                                whole size, and plan 1, 2 or 'detect'
//       -> { result, resultName, plan, deleted, packet, explanation, warnings }
//   vexa.parseRaw(text, plan, lengthBytes)
//                                a raw message for plan 1 or 2: a string or
//                                a Uint16Array of UTF-16 units; lengthBytes
//                                (default two per unit) as the caller of
//                                PTT_Parse_Raw_Protocol passes it
//       -> { result, resultName, packet, explanation, warnings }
//   vexa.resultName(code)        the header's name of a result code
//   vexa.encode(plan, points)    the destination file of `points` ([{ latitude,
//                                longitude (degrees), name (plan 2), route:
//                                0-3 }], in travel order) as `vexa encode`
//                                writes it, read back by the library
//       -> { ok: true, bytes, notes: [...] } | { ok: false, message }
//   vexa.decodePacket(bytes)     the fields of 568 packet bytes
//   vexa.textFromCodePage(bytes) code page 936 bytes to a string, as
//                                Windows converts them
//
// `result` is the library's result code: 0, or the negative code of the
// failing check (vexa/vexa.h). `deleted` says whether the library would
// delete the file after reading it (exactly when result is 0).
// `explanation` is the tool's line on a refusal (the field, its role and
// the offending text; empty on success) and `warnings` its strict warnings
// on an acceptance, word for word as the command-line tool gives them.
// `packet` is null on failure, otherwise:
//   { kind: 0 | 1, kindName: 'guide message' | 'destination list',
//     pointCount, bytes: Uint8Array(568),
//     points: [{ role: 'via' | 'destination',
//                longitude: { units, degrees }, latitude: { units, degrees },
//                routeMode: 0-3, routeModeName,
//                nameBytes: Uint8Array (code page 936, up to the NUL),
//                name: string }] }
// Coordinates are in the packet's units, 1/2560 arc-second (9,216,000 per
// degree), and in degrees. The object keeps no state between calls.
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
  const ENTRY_OFFSET = 8;
  const ENTRY_SIZE = 112;
  const NAME_OFFSET = 12;
  const NAME_SIZE = 100;
  const MAX_POINTS = 5;
  // Room for the tool's explanation or warnings (a few lines at most).
  const MESSAGE_ROOM = 16384;
  const UNITS_PER_DEGREE = 3600 * 2560;
  const KIND_NAMES = ['guide message', 'destination list'];
  const ROUTE_MODE_NAMES = ['recommended', 'fastest', 'shortest', 'economical'];

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

  class VexaModule {
    constructor(wasm) {
      this.wasm = wasm;
    }

    readFile(bytes, plan = 'detect') {
      bytes = toBytes(bytes);
      return this.withMemory(bytes.length + PACKET_SIZE, (address) => {
        this.wasm.HEAPU8.set(bytes, address);
        if (plan === 'detect') plan = this.wasm._vexa_web_detect_plan(address, bytes.length);
        const out = address + bytes.length;
        const result = this.wasm._vexa_web_read_file(plan, address, bytes.length, out);
        return { result, plan, deleted: result === 0, packet: this.packetAt(result, out) };
      });
    }

    get analysisBytes() {
      return this.wasm._vexa_web_analysis_bytes();
    }

    decodeFile(head, { name = '', size, plan = 'detect' } = {}) {
      head = toBytes(head);
      const nameBytes = new TextEncoder().encode(name);
      const nameRoom = nameBytes.length + 4 - (nameBytes.length & 3);
      return this.withMemory(head.length + nameRoom + PACKET_SIZE + 4 + MESSAGE_ROOM, (address) => {
        const heap = this.wasm.HEAPU8;
        heap.set(nameBytes, address);
        heap[address + nameBytes.length] = 0;
        const bytesAt = address + nameRoom;
        heap.set(head, bytesAt);
        const out = bytesAt + head.length + ((4 - (head.length & 3)) & 3);
        const planAt = out + PACKET_SIZE;
        const message = planAt + 4;
        const result = this.wasm._vexa_web_decode_file(
          address, bytesAt, head.length, size === undefined ? head.length : size,
          plan === 'detect' ? 0 : plan, planAt, out, message, MESSAGE_ROOM);
        const used = new Int32Array(this.wasm.HEAPU8.buffer, planAt, 1)[0];
        return { result, resultName: this.resultName(result), plan: used, deleted: result === 0,
                 packet: this.packetAt(result, out), ...this.saysAt(result, message) };
      });
    }

    parseRaw(text, plan, lengthBytes) {
      const units = typeof text === 'string' ? unitsOf(text) : text;
      if (lengthBytes === undefined) lengthBytes = units.length * 2;
      // The module reads length / 2 units; room for all that are there.
      const room = units.length * 2 + 2 + ((units.length * 2 + 2) & 2);
      return this.withMemory(room + PACKET_SIZE + MESSAGE_ROOM, (address) => {
        new Uint16Array(this.wasm.HEAPU8.buffer, address, units.length).set(units);
        const out = address + room;
        const message = out + PACKET_SIZE;
        const result = this.wasm._vexa_web_parse_text(plan, address, lengthBytes, out,
                                                      message, MESSAGE_ROOM);
        return { result, resultName: this.resultName(result), packet: this.packetAt(result, out),
                 ...this.saysAt(result, message) };
      });
    }

    resultName(code) {
      const heap = this.wasm.HEAPU8;
      const at = this.wasm._vexa_web_result_name(code);
      return new TextDecoder().decode(heap.subarray(at, heap.indexOf(0, at)));
    }

    // The tool's explanation or warnings the module wrote at `address`.
    saysAt(result, address) {
      const heap = this.wasm.HEAPU8;
      const text = new TextDecoder().decode(heap.subarray(address, heap.indexOf(0, address)));
      if (result !== 0) return { explanation: text, warnings: [] };
      return { explanation: '', warnings: text ? text.split('\n') : [] };
    }

    encode(plan, points) {
      const utf8 = new TextEncoder();
      const names = points.map((point) => utf8.encode(plan === 2 ? point.name || '' : ''));
      const namesSize = names.reduce((size, name) => size + name.length + 1, 0);
      const coordinates = points.length * 16;
      const routes = points.length * 4;
      const fileRoom = 1024;
      const messageRoom = 4096;
      return this.withMemory(coordinates + routes + namesSize + fileRoom + messageRoom, (address) => {
        const heap = this.wasm.HEAPU8;
        const degrees = new Float64Array(heap.buffer, address, points.length * 2);
        const modes = new Int32Array(heap.buffer, address + coordinates, points.length);
        points.forEach((point, i) => {
          degrees[2 * i] = point.latitude;
          degrees[2 * i + 1] = point.longitude;
          modes[i] = point.route;
        });
        let at = address + coordinates + routes;
        const namesAddress = at;
        for (const name of names) {
          heap.set(name, at);
          heap[at + name.length] = 0;
          at += name.length + 1;
        }
        const out = at;
        const message = out + fileRoom;
        const size = this.wasm._vexa_web_encode(plan, points.length, address, address + coordinates,
                                                namesAddress, out, fileRoom, message, messageRoom);
        // The encoder allocates, so the memory may have grown: a fresh view.
        const after = this.wasm.HEAPU8;
        const text = new TextDecoder().decode(after.subarray(message, after.indexOf(0, message)));
        if (size < 0) return { ok: false, message: text };
        return { ok: true, bytes: after.slice(out, out + size), notes: text ? text.split('\n') : [] };
      });
    }

    decodePacket(bytes) {
      bytes = toBytes(bytes);
      if (bytes.length !== PACKET_SIZE) throw new RangeError(`a packet has ${PACKET_SIZE} bytes`);
      const view = new DataView(bytes.buffer, bytes.byteOffset, PACKET_SIZE);
      const kind = view.getUint32(0, true);
      const pointCount = view.getUint32(4, true);
      const points = [];
      for (let i = 0; i < Math.min(pointCount, MAX_POINTS); ++i) {
        const entry = ENTRY_OFFSET + i * ENTRY_SIZE;
        const longitude = view.getInt32(entry, true);
        const latitude = view.getInt32(entry + 4, true);
        const routeMode = view.getInt32(entry + 8, true);
        const name = bytes.subarray(entry + NAME_OFFSET, entry + NAME_OFFSET + NAME_SIZE);
        const end = name.indexOf(0);
        const nameBytes = name.slice(0, end < 0 ? NAME_SIZE : end);
        points.push({
          // A guide message puts its via points first and its destination last.
          role: kind === 0 && i < pointCount - 1 ? 'via' : 'destination',
          longitude: { units: longitude, degrees: longitude / UNITS_PER_DEGREE },
          latitude: { units: latitude, degrees: latitude / UNITS_PER_DEGREE },
          routeMode,
          routeModeName: ROUTE_MODE_NAMES[routeMode],
          nameBytes,
          name: this.textFromCodePage(nameBytes),
        });
      }
      return { kind, kindName: KIND_NAMES[kind], pointCount, points, bytes: bytes.slice() };
    }

    textFromCodePage(bytes) {
      bytes = toBytes(bytes);
      const end = bytes.indexOf(0);
      if (end >= 0) bytes = bytes.subarray(0, end);
      // One unit per byte at most, and the terminator.
      const capacity = bytes.length + 1;
      return this.withMemory(bytes.length + 1 + capacity * 2, (address) => {
        this.wasm.HEAPU8.set(bytes, address);
        this.wasm.HEAPU8[address + bytes.length] = 0;
        const out = address + bytes.length + 1 + ((bytes.length + 1) & 1);
        const units = this.wasm._vexa_web_text_to_utf16(address, out, capacity);
        if (units <= 0) throw new Error('the text does not convert');
        return String.fromCharCode(...new Uint16Array(this.wasm.HEAPU8.buffer, out, units - 1));
      });
    }

    packetAt(result, address) {
      if (result !== 0) return null;
      return this.decodePacket(this.wasm.HEAPU8.slice(address, address + PACKET_SIZE));
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
