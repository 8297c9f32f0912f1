// The destination page: reads a destination file or raw message with the
// library's own code (the web module), lets the user edit the points, and
// writes the file as `vexa encode` does. Everything from a file or the
// user is put into the page as text (textContent, attribute values), never
// as markup. Nothing leaves the page unless the user turns map tiles on.

(function () {
  'use strict';

  // A file is refused unread above this size; below it, the module is given
  // the file's start, as much as the tool analyses (far more than the
  // library ever reads), and its size.
  const MAX_FILE_BYTES = 10 * 1024 * 1024;
  const MAX_IMPORT_BYTES = 1024 * 1024;
  const MAX_EDIT_POINTS = 50;
  const EARTH_RADIUS_KM = 6371.0088;
  const SVG = 'http://www.w3.org/2000/svg';

  const TEXT = {
    en: {
      title: 'Vexa destinations', language: 'Language', languageAuto: 'Browser',
      openHeading: 'Open a destination file',
      openHelp: 'A guide message file (plan 1) or a destination list (dest.cld, plan 2). It is read as a head unit reads it, in this page only: nothing is uploaded.',
      drop: 'Drop a file here, or press to choose one', dropHelp: 'Files over 10 MB are refused.',
      pasteHeading: 'Paste a raw message', pasteLabel: 'Message text, as the navigation program hands it over',
      pasteRead: 'Read the message', plan: 'Plan', plan1: '1: guide message', plan2: '2: destination list',
      pointsHeading: 'Points', routeForAll: 'Route preference (all points)', add: 'Add a point',
      pointsCaption: 'Points in travel order', warningsHeading: 'Warnings: accepted, but not what it seems to say', colOrder: '#', colRole: 'Role', colLatitude: 'Latitude °',
      colLongitude: 'Longitude °', colUnits: 'Packet units (lat, lon)', colRoute: 'Route', colName: 'Name',
      colActions: 'Actions', download: 'Download the destination file', guideName: 'Guide message file name',
      pictureHeading: 'Picture', tilesHeading: 'Map tiles (off unless turned on)',
      tilesHelp: 'Tiles are fetched from the server you type, and only while this is on. Use {z}, {x} and {y} in the address.',
      tilesOn: 'Show map tiles', tilesUrl: 'Tile address', exchangeHeading: 'Import and export',
      import: 'Import GPX, GeoJSON, CSV or KML', exportGpx: 'Export GPX', exportGeojson: 'Export GeoJSON',
      exportCsv: 'Export CSV', exportKml: 'Export KML',
      routes: ['recommended', 'fastest', 'shortest', 'economical'],
      kinds: ['guide message', 'destination list'], via: 'via', destination: 'destination',
      up: (n) => `Move point ${n} up`, down: (n) => `Move point ${n} down`, remove: (n) => `Remove point ${n}`,
      latitudeOf: (n) => `Latitude of point ${n}`, longitudeOf: (n) => `Longitude of point ${n}`,
      nameOf: (n) => `Name of point ${n}`, routeOf: (n) => `Route preference of point ${n}`,
      noName: 'a guide message carries no names',
      loading: 'Loading the module…', ready: 'Ready: open a file, paste a message or add points.',
      moduleFailed: 'The module could not be loaded; the page cannot read files.',
      read: (source, kind, plan, count) => `${source}: ${kind} (plan ${plan}), ${count} point${count === 1 ? '' : 's'}; a head unit would take it over and delete the file.`,
      readText: (kind, plan, count) => `Message: ${kind} (plan ${plan}), ${count} point${count === 1 ? '' : 's'}.`,
      refused: (source, code, name) => `${source}: refused with result ${code} (${name}).`,
      tooBig: (size) => `The file is ${size} bytes, over the 10 MB this page reads; it was not read.`,
      importTooBig: 'The file is over 1 MiB; it was not imported.',
      empty: 'No points yet: add one, open a file or import one.',
      wouldSay: (kind, plan, count, bytes) => `The file would say: ${kind} (plan ${plan}), ${count} point${count === 1 ? '' : 's'}, ${bytes} bytes; the library reads it back as meant.`,
      cannot: 'Cannot be written: ', message: 'Message', imported: (n, name) => `Imported ${n} point${n === 1 ? '' : 's'} from ${name}.`,
      importFailed: (name) => `${name} could not be imported: `, nothingToExport: 'There is nothing valid to export.',
      pictureTitle: (n) => `Picture of ${n} point${n === 1 ? '' : 's'} in travel order`,
      noPicture: 'No point to draw.', scale: (km) => `${km} km`, tooMany: `At most ${MAX_EDIT_POINTS} points are kept.`,
    },
    zh: {
      title: 'Vexa 目的地', language: '语言', languageAuto: '跟随浏览器',
      openHeading: '打开目的地文件',
      openHelp: '导航消息文件（方案 1）或目的地列表（dest.cld，方案 2）。按车机的方式读取，只在本页面中处理，不上传。',
      drop: '把文件拖到这里，或按下选择文件', dropHelp: '超过 10 MB 的文件会被拒绝。',
      pasteHeading: '粘贴原始消息', pasteLabel: '消息文本（导航程序传入的形式）',
      pasteRead: '读取消息', plan: '方案', plan1: '1：导航消息', plan2: '2：目的地列表',
      pointsHeading: '地点', routeForAll: '路线偏好（所有地点）', add: '添加地点',
      pointsCaption: '按行程顺序排列的地点', warningsHeading: '警告：可以读取，但与字面意思不符', colOrder: '序号', colRole: '角色', colLatitude: '纬度 °',
      colLongitude: '经度 °', colUnits: '数据包单位（纬度，经度）', colRoute: '路线', colName: '名称',
      colActions: '操作', download: '下载目的地文件', guideName: '导航消息文件名',
      pictureHeading: '示意图', tilesHeading: '地图瓦片（默认关闭）',
      tilesHelp: '只有开启时才会从您输入的服务器获取瓦片。地址中使用 {z}、{x} 和 {y}。',
      tilesOn: '显示地图瓦片', tilesUrl: '瓦片地址', exchangeHeading: '导入和导出',
      import: '导入 GPX、GeoJSON、CSV 或 KML', exportGpx: '导出 GPX', exportGeojson: '导出 GeoJSON',
      exportCsv: '导出 CSV', exportKml: '导出 KML',
      routes: ['推荐', '最快', '最短', '经济'],
      kinds: ['导航消息', '目的地列表'], via: '途经点', destination: '目的地',
      up: (n) => `将地点 ${n} 上移`, down: (n) => `将地点 ${n} 下移`, remove: (n) => `删除地点 ${n}`,
      latitudeOf: (n) => `地点 ${n} 的纬度`, longitudeOf: (n) => `地点 ${n} 的经度`,
      nameOf: (n) => `地点 ${n} 的名称`, routeOf: (n) => `地点 ${n} 的路线偏好`,
      noName: '导航消息不带名称',
      loading: '正在加载模块…', ready: '就绪：打开文件、粘贴消息或添加地点。',
      moduleFailed: '无法加载模块，本页面不能读取文件。',
      read: (source, kind, plan, count) => `${source}：${kind}（方案 ${plan}），${count} 个地点；车机会接收并删除该文件。`,
      readText: (kind, plan, count) => `消息：${kind}（方案 ${plan}），${count} 个地点。`,
      refused: (source, code, name) => `${source}：被拒绝，结果 ${code}（${name}）。`,
      tooBig: (size) => `文件有 ${size} 字节，超过本页面读取的 10 MB 上限，未读取。`,
      importTooBig: '文件超过 1 MiB，未导入。',
      empty: '还没有地点：添加一个、打开文件或导入。',
      wouldSay: (kind, plan, count, bytes) => `文件内容：${kind}（方案 ${plan}），${count} 个地点，${bytes} 字节；库读回的结果与预期一致。`,
      cannot: '无法写入：', message: '消息', imported: (n, name) => `已从 ${name} 导入 ${n} 个地点。`,
      importFailed: (name) => `无法导入 ${name}：`, nothingToExport: '没有可导出的有效内容。',
      pictureTitle: (n) => `按行程顺序排列的 ${n} 个地点示意图`,
      noPicture: '没有可绘制的地点。', scale: (km) => `${km} 公里`, tooMany: `最多保留 ${MAX_EDIT_POINTS} 个地点。`,
    },
  };

  const $ = (id) => document.getElementById(id);
  let language = 'en';
  let t = TEXT.en;
  let vexa = null;
  // The points being edited, in travel order; `route` is per point in plan
  // 2, and `guideRoute` serves all points in plan 1.
  const state = { plan: 2, guideRoute: 0, points: [], source: 'dest.cld' };
  let latest = null;  // the last check: { ok, bytes, packet, message }
  const timing = { lastShownMs: null };

  function element(name, attributes = {}, text) {
    const node = document.createElement(name);
    for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
    if (text !== undefined) node.textContent = text;
    return node;
  }

  function svgElement(parent, name, attributes = {}, text) {
    const node = document.createElementNS(SVG, name);
    for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, String(value));
    if (text !== undefined) node.textContent = text;
    parent.appendChild(node);
    return node;
  }

  function setLanguage(choice) {
    const wanted = choice === 'auto'
      ? ((navigator.languages || [navigator.language]).find((l) => /^(zh|en)/i.test(l)) || 'en')
      : choice;
    language = /^zh/i.test(wanted) ? 'zh' : 'en';
    t = TEXT[language];
    document.documentElement.lang = language === 'zh' ? 'zh-CN' : 'en';
    for (const node of document.querySelectorAll('[data-text]')) {
      const value = t[node.dataset.text];
      if (typeof value === 'string') node.textContent = value;
    }
    document.title = t.title;
    fillRouteSelect($('guide-route'), state.guideRoute);
    rebuildTable();
  }

  function fillRouteSelect(select, value) {
    select.replaceChildren(...t.routes.map((name, mode) => element('option', { value: mode }, name)));
    select.value = String(value);
  }

  function status(text) {
    $('status').textContent = text;
  }

  function problem(text) {
    const box = $('problem');
    box.textContent = text || '';
    box.hidden = !text;
  }

  // A refusal: the code and its name, then the tool's explanation (the
  // field, its role and the offending text) in a part of its own.
  function refusal(source, read) {
    const box = $('problem');
    box.replaceChildren(`${t.refused(source === null ? t.message : source, read.result, read.resultName)} `,
                        element('span', { id: 'explanation' }, read.explanation));
    box.hidden = false;
  }

  // The strict warnings of what is shown: what the library accepts but
  // drops or bends.
  function showWarnings(warnings) {
    $('warnings').replaceChildren(...warnings.map((warning) => element('li', {}, warning)));
    $('warnings-box').hidden = warnings.length === 0;
  }

  // ---- Reading ----------------------------------------------------------

  function takePacket(packet) {
    state.plan = packet.kind === 0 ? 1 : 2;
    // Seven decimals: within half a unit, so they give the same units back.
    const degrees = (units) => Math.round(units / Vexa.UNITS_PER_DEGREE * 1e7) / 1e7;
    state.points = packet.points.map((p) => ({
      latitude: degrees(p.latitude.units),
      longitude: degrees(p.longitude.units),
      name: p.name, route: p.routeMode }));
    if (packet.points.length > 0) state.guideRoute = packet.points[0].routeMode;
    $('plan').value = String(state.plan);
    $('guide-route').value = String(state.guideRoute);
  }

  // When a file or message has been shown (or its refusal), for the tests
  // and anyone timing the page.
  function shown(started) {
    timing.lastShownMs = performance.now() - started;
    document.body.dataset.shownMs = timing.lastShownMs.toFixed(2);
  }

  function showRead(source, read, started) {
    problem('');
    if (read.result !== 0) {
      status('');
      refusal(source, read);
      shown(started);
      return;
    }
    takePacket(read.packet);
    state.source = source;
    status(source === null
      ? t.readText(t.kinds[read.packet.kind], state.plan, read.packet.pointCount)
      : t.read(source, t.kinds[read.packet.kind], state.plan, read.packet.pointCount));
    rebuildTable();
    // The file's own warnings, until an edit makes it the file to write.
    showWarnings(read.warnings);
    shown(started);
  }

  async function openFile(file, started = performance.now()) {
    if (!vexa) return;
    if (file.size > MAX_FILE_BYTES) {
      status('');
      problem(t.tooBig(file.size));
      shown(started);
      return;
    }
    const bytes = new Uint8Array(await file.slice(0, vexa.analysisBytes).arrayBuffer());
    showRead(file.name, vexa.decodeFile(bytes, { name: file.name, size: file.size }), started);
  }

  function readPasted() {
    if (!vexa) return;
    const started = performance.now();
    // The whole text, as the tool explains it (the field limits it).
    const plan = Number($('raw-plan').value);
    showRead(null, vexa.parseRaw($('raw').value, plan), started);
  }

  // ---- Editing ----------------------------------------------------------

  function routeOf(point) {
    return state.plan === 1 ? state.guideRoute : point.route;
  }

  function roleOf(index) {
    return state.plan === 1 && index < state.points.length - 1 ? t.via : t.destination;
  }

  function rebuildTable() {
    const body = $('points').tBodies[0];
    body.replaceChildren();
    $('guide-route-label').hidden = state.plan !== 1;
    state.points.forEach((point, i) => {
      const n = i + 1;
      const row = element('tr', { 'data-index': i });
      row.appendChild(element('th', { scope: 'row' }, String(n)));
      row.appendChild(element('td', { class: 'role' }, roleOf(i)));
      for (const [key, label] of [['latitude', t.latitudeOf(n)], ['longitude', t.longitudeOf(n)]]) {
        const cell = element('td');
        const input = element('input', { type: 'text', inputmode: 'decimal', 'aria-label': label,
                                          'data-field': key, spellcheck: 'false', maxlength: '40' });
        input.value = Number.isFinite(point[key]) ? String(point[key]) : '';
        input.addEventListener('input', () => {
          point[key] = input.value.trim() === '' ? NaN : Number(input.value.trim());
          check();
        });
        cell.appendChild(input);
        row.appendChild(cell);
      }
      row.appendChild(element('td', { class: 'units' }, '—'));
      const routeCell = element('td');
      if (state.plan === 2) {
        const select = element('select', { 'aria-label': t.routeOf(n), 'data-field': 'route' });
        fillRouteSelect(select, point.route);
        select.addEventListener('change', () => { point.route = Number(select.value); check(); });
        routeCell.appendChild(select);
      } else {
        routeCell.textContent = t.routes[state.guideRoute];
      }
      row.appendChild(routeCell);
      const nameCell = element('td');
      const name = element('input', { type: 'text', 'aria-label': t.nameOf(n), 'data-field': 'name',
                                       maxlength: '200' });
      name.value = point.name;
      if (state.plan === 1) {
        name.disabled = true;
        name.title = t.noName;
      }
      name.addEventListener('input', () => { point.name = name.value; check(); });
      nameCell.appendChild(name);
      row.appendChild(nameCell);
      const actions = element('td', { class: 'actions' });
      const action = (label, symbol, enabled, work) => {
        const button = element('button', { type: 'button', 'aria-label': label, title: label }, symbol);
        button.disabled = !enabled;
        button.addEventListener('click', () => { work(); rebuildTable(); });
        actions.appendChild(button);
      };
      action(t.up(n), '↑', i > 0, () => swap(i, i - 1));
      action(t.down(n), '↓', i < state.points.length - 1, () => swap(i, i + 1));
      action(t.remove(n), '✕', true, () => state.points.splice(i, 1));
      row.appendChild(actions);
      const message = element('td', { class: 'row-problem', colspan: '8', id: `point-problem-${n}` });
      const messageRow = element('tr', { class: 'problem-row', hidden: '' });
      messageRow.appendChild(message);
      body.appendChild(row);
      body.appendChild(messageRow);
    });
    check();
  }

  function swap(a, b) {
    [state.points[a], state.points[b]] = [state.points[b], state.points[a]];
  }

  // What the file would say now: the module encodes the points as the tool
  // does and reads the bytes back. Updates the units, the problems and the
  // picture.
  function check() {
    if (!vexa) return;
    const points = state.points.map((p) => ({ latitude: p.latitude, longitude: p.longitude,
                                              name: p.name, route: routeOf(p) }));
    const rows = Array.from($('points').tBodies[0].querySelectorAll('tr[data-index]'));
    for (const row of rows) {
      row.removeAttribute('aria-invalid');
      row.nextElementSibling.hidden = true;
      for (const input of row.querySelectorAll('input')) input.removeAttribute('aria-describedby');
    }
    if (points.length === 0) {
      latest = null;
      $('check').textContent = t.empty;
      $('download').disabled = true;
      showWarnings([]);
      draw([]);
      return;
    }
    const encoded = vexa.encode(state.plan, points);
    let packet = null;
    let warnings = [];
    if (encoded.ok) ({ packet, warnings } = vexa.decodeFile(encoded.bytes, { plan: state.plan }));
    showWarnings(warnings);
    latest = { ...encoded, packet };
    $('download').disabled = !encoded.ok;
    if (encoded.ok) {
      $('check').textContent = [t.wouldSay(t.kinds[packet.kind], state.plan, packet.pointCount,
                                           encoded.bytes.length), ...encoded.notes].join(' ');
      packet.points.forEach((p, i) => {
        if (rows[i]) rows[i].querySelector('.units').textContent = `${p.latitude.units}, ${p.longitude.units}`;
      });
    } else {
      $('check').textContent = t.cannot + encoded.message;
      for (const row of rows) row.querySelector('.units').textContent = '—';
      const which = /^point (\d+):/.exec(encoded.message);
      const row = which && rows[Number(which[1]) - 1];
      if (row) {
        row.setAttribute('aria-invalid', 'true');
        const cell = row.nextElementSibling.firstChild;
        cell.textContent = encoded.message;
        row.nextElementSibling.hidden = false;
        for (const input of row.querySelectorAll('input')) input.setAttribute('aria-describedby', cell.id);
      }
    }
    draw(packet
      ? packet.points.map((p) => ({ latitude: p.latitude.degrees, longitude: p.longitude.degrees, name: p.name }))
      : points.filter((p) => Number.isFinite(p.latitude) && Number.isFinite(p.longitude) &&
                             Math.abs(p.latitude) <= 90 && Math.abs(p.longitude) <= 180)
              .map((p) => ({ latitude: p.latitude, longitude: p.longitude, name: state.plan === 2 ? p.name : '' })));
  }

  function addPoint() {
    if (state.points.length >= MAX_EDIT_POINTS) { problem(t.tooMany); return; }
    const last = state.points[state.points.length - 1];
    state.points.push(last
      ? { latitude: Math.round((last.latitude + 0.01) * 1e6) / 1e6, longitude: last.longitude, name: '', route: last.route }
      : { latitude: 39.916527, longitude: 116.397128, name: '', route: 0 });
    rebuildTable();
    const inputs = $('points').querySelectorAll('input[data-field="latitude"]');
    inputs[inputs.length - 1].focus();
  }

  // ---- Files out --------------------------------------------------------

  function offer(bytes, name, type) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    const link = element('a', { href: url, download: name });
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  function download() {
    check();
    if (!latest || !latest.ok) return;
    const guideName = $('guide-name').value.trim().replace(/[\\/]/g, '_') || 'guide.dat';
    offer(latest.bytes, state.plan === 2 ? 'dest.cld' : guideName, 'application/octet-stream');
  }

  function exportAs(format) {
    check();
    if (!latest || !latest.ok) { problem(t.nothingToExport); return; }
    const kind = latest.packet.kind;
    const points = latest.packet.points.map((p, i) => ({
      order: i + 1, role: p.role, latitude: Math.round(p.latitude.degrees * 1e7) / 1e7,
      longitude: Math.round(p.longitude.degrees * 1e7) / 1e7, route: p.routeMode, name: p.name }));
    const source = state.plan === 2 ? 'dest.cld' : ($('guide-name').value.trim() || 'guide.dat');
    const base = source.replace(/\.[^.]*$/, '') || 'destinations';
    const F = VexaFormats;
    const out = {
      gpx: [F.exportGpx(points, kind, source), 'application/gpx+xml', '.gpx'],
      geojson: [F.exportGeoJson(points, source), 'application/geo+json', '.geojson'],
      csv: [F.exportCsv(points), 'text/csv', '.csv'],
      kml: [F.exportKml(points), 'application/vnd.google-earth.kml+xml', '.kml'],
    }[format];
    offer(new TextEncoder().encode(out[0]), base + out[2], out[1]);
  }

  async function importFile(file) {
    problem('');
    if (file.size > MAX_IMPORT_BYTES) { problem(t.importTooBig); return; }
    try {
      const text = new TextDecoder('utf-8').decode(await file.arrayBuffer());
      const imported = VexaFormats.importPoints(file.name, text);
      if (imported.points.length > MAX_EDIT_POINTS) throw new Error(t.tooMany);
      state.points = imported.points.map((p) => ({ ...p, route: p.route >= 0 ? p.route : 0 }));
      const firstRoute = imported.points.find((p) => p.route >= 0);
      state.guideRoute = firstRoute ? firstRoute.route : 0;
      $('guide-route').value = String(state.guideRoute);
      status([t.imported(state.points.length, file.name), imported.note || ''].join(' ').trim());
      rebuildTable();
    } catch (error) {
      problem(t.importFailed(file.name) + error.message);
    }
  }

  // ---- Picture ----------------------------------------------------------

  function distanceKm(a, b) {
    const rad = Math.PI / 180;
    const dLat = (b.latitude - a.latitude) * rad;
    const dLon = (b.longitude - a.longitude) * rad;
    const h = Math.sin(dLat / 2) ** 2 +
              Math.cos(a.latitude * rad) * Math.cos(b.latitude * rad) * Math.sin(dLon / 2) ** 2;
    return 2 * EARTH_RADIUS_KM * Math.asin(Math.min(1, Math.sqrt(h)));
  }

  function kmText(km) {
    return km < 10 ? km.toFixed(2) : km < 100 ? km.toFixed(1) : Math.round(km).toString();
  }

  // Points on an equirectangular projection whose standard parallel is the
  // points' middle latitude, fitted to the picture with a margin.
  function draw(points) {
    const box = $('picture');
    const width = 640;
    const height = 400;
    const margin = 56;
    const svg = document.createElementNS(SVG, 'svg');
    svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
    svg.setAttribute('role', 'img');
    svg.setAttribute('aria-labelledby', 'picture-title');
    svgElement(svg, 'title', { id: 'picture-title' }, points.length ? t.pictureTitle(points.length) : t.noPicture);
    svgElement(svg, 'rect', { class: 'sea', x: 0, y: 0, width, height });
    if (points.length === 0) {
      box.replaceChildren(svg);
      return;
    }
    const rad = Math.PI / 180;
    const lats = points.map((p) => p.latitude);
    const middle = (Math.min(...lats) + Math.max(...lats)) / 2;
    const stretch = Math.max(0.05, Math.cos(middle * rad));
    const xs = points.map((p) => p.longitude * stretch);
    const spanX = Math.max(Math.max(...xs) - Math.min(...xs), 0.01);
    const spanY = Math.max(Math.max(...lats) - Math.min(...lats), 0.01);
    const scale = Math.min((width - 2 * margin) / spanX, (height - 2 * margin) / spanY);
    const centerX = (Math.max(...xs) + Math.min(...xs)) / 2;
    const centerY = (Math.max(...lats) + Math.min(...lats)) / 2;
    const project = (latitude, longitude) => [width / 2 + (longitude * stretch - centerX) * scale,
                                              height / 2 - (latitude - centerY) * scale];
    drawTiles(svg, project, { width, height, stretch, scale, centerX, centerY });
    const at = points.map((p) => project(p.latitude, p.longitude));
    for (let i = 1; i < points.length; ++i) {
      const [x1, y1] = at[i - 1];
      const [x2, y2] = at[i];
      svgElement(svg, 'line', { class: 'leg', x1, y1, x2, y2 });
      svgElement(svg, 'text', { class: 'distance', x: (x1 + x2) / 2, y: (y1 + y2) / 2 - 6, 'text-anchor': 'middle' },
                 t.scale(kmText(distanceKm(points[i - 1], points[i]))));
    }
    points.forEach((p, i) => {
      const [x, y] = at[i];
      const mark = svgElement(svg, 'g', { class: 'mark', 'data-order': i + 1 });
      svgElement(mark, 'circle', { cx: x, cy: y, r: 11 });
      svgElement(mark, 'text', { class: 'number', x, y: y + 4, 'text-anchor': 'middle' }, String(i + 1));
      if (p.name) svgElement(mark, 'text', { class: 'name', x: x + 15, y: y + 4 }, p.name);
    });
    // A scale bar of a round length near a fifth of the picture.
    const kmPerPixel = EARTH_RADIUS_KM * rad / scale;
    const target = kmPerPixel * width / 5;
    const power = 10 ** Math.floor(Math.log10(target));
    const km = [5, 2, 1].map((f) => f * power).find((v) => v <= target) || power;
    const length = km / kmPerPixel;
    const bar = svgElement(svg, 'g', { class: 'scale' });
    svgElement(bar, 'path', { d: `M16 ${height - 22} v6 h${length} v-6` });
    svgElement(bar, 'text', { x: 16, y: height - 28 }, t.scale(String(Number(km.toPrecision(1)))));
    box.replaceChildren(svg);
  }

  // Map tiles under the points, only when turned on with an address of the
  // user's; each tile is placed by its corners on the same projection.
  function drawTiles(svg, project, view) {
    const template = $('tiles-url').value.trim();
    if (!$('tiles-on').checked || !/^https?:\/\/[^\s]*\{z\}[^\s]*\{x\}[^\s]*\{y\}/.test(template)) return;
    const west = (view.centerX - view.width / 2 / view.scale) / view.stretch;
    const east = (view.centerX + view.width / 2 / view.scale) / view.stretch;
    const north = Math.min(85, view.centerY + view.height / 2 / view.scale);
    const south = Math.max(-85, view.centerY - view.height / 2 / view.scale);
    const pixelsPerDegree = view.scale * view.stretch;
    const zoom = Math.max(0, Math.min(18, Math.round(Math.log2(pixelsPerDegree * 360 / 256))));
    const n = 2 ** zoom;
    const tileX = (lon) => Math.floor((lon + 180) / 360 * n);
    const tileY = (lat) => {
      const r = lat * Math.PI / 180;
      return Math.floor((1 - Math.log(Math.tan(r) + 1 / Math.cos(r)) / Math.PI) / 2 * n);
    };
    const lonOf = (x) => x / n * 360 - 180;
    const latOf = (y) => Math.atan(Math.sinh(Math.PI * (1 - 2 * y / n))) * 180 / Math.PI;
    const group = svgElement(svg, 'g', { class: 'tiles' });
    let count = 0;
    for (let y = Math.max(0, tileY(north)); y <= Math.min(n - 1, tileY(south)) && count < 64; ++y) {
      for (let x = tileX(Math.max(-180, west)); x <= tileX(Math.min(179.999, east)) && count < 64; ++x, ++count) {
        const [x1, y1] = project(latOf(y), lonOf(x));
        const [x2, y2] = project(latOf(y + 1), lonOf(x + 1));
        const href = template.replace('{z}', zoom).replace('{x}', x).replace('{y}', y);
        svgElement(group, 'image', { href, x: x1, y: y1, width: x2 - x1, height: y2 - y1,
                                     preserveAspectRatio: 'none' });
      }
    }
  }

  // ---- Wiring -----------------------------------------------------------

  function wire() {
    const drop = $('drop');
    const choose = () => $('file').click();
    drop.addEventListener('click', choose);
    drop.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' || event.key === ' ') { event.preventDefault(); choose(); }
    });
    for (const name of ['dragenter', 'dragover']) {
      drop.addEventListener(name, (event) => { event.preventDefault(); drop.classList.add('over'); });
    }
    drop.addEventListener('dragleave', () => drop.classList.remove('over'));
    drop.addEventListener('drop', (event) => {
      const started = performance.now();
      event.preventDefault();
      drop.classList.remove('over');
      const file = event.dataTransfer && event.dataTransfer.files[0];
      if (file) openFile(file, started);
    });
    // A file dropped elsewhere must not make the browser leave the page.
    window.addEventListener('dragover', (event) => event.preventDefault());
    window.addEventListener('drop', (event) => event.preventDefault());
    $('file').addEventListener('change', (event) => {
      const file = event.target.files[0];
      event.target.value = '';
      if (file) openFile(file);
    });
    $('raw-read').addEventListener('click', readPasted);
    $('plan').addEventListener('change', () => { state.plan = Number($('plan').value); rebuildTable(); });
    $('guide-route').addEventListener('change', () => { state.guideRoute = Number($('guide-route').value); rebuildTable(); });
    $('add').addEventListener('click', addPoint);
    $('download').addEventListener('click', download);
    $('import').addEventListener('click', () => $('import-file').click());
    $('import-file').addEventListener('change', (event) => {
      const file = event.target.files[0];
      event.target.value = '';
      if (file) importFile(file);
    });
    for (const button of document.querySelectorAll('[data-export]')) {
      button.addEventListener('click', () => exportAs(button.dataset.export));
    }
    $('tiles-on').addEventListener('change', check);
    $('tiles-url').addEventListener('change', check);
    $('language').addEventListener('change', () => setLanguage($('language').value));
  }

  async function start() {
    wire();
    setLanguage('auto');
    status(t.loading);
    try {
      vexa = await Vexa.load();
    } catch (error) {
      problem(t.moduleFailed);
      return;
    }
    status(t.ready);
    document.body.dataset.ready = 'true';
    check();
  }

  // For the browser tests: the page's timing and state, read-only.
  window.vexaPage = { timing, get state() { return JSON.parse(JSON.stringify(state)); } };
  start();
})();
