// The destination page: reads a destination file, a raw message or an
// interchange file with the web module (the library's own code and the
// companion tool's readers, writers, explanations and picture), lets the
// user edit the points, and writes the file as `vexa encode` does. This
// script is only the page: events, the table, the history of edits and
// downloads. Everything from a file or the user is put into the page as
// text (textContent, attribute values), never as markup; the picture is
// the module's SVG, rebuilt element by element from an allowed set. Nothing
// leaves the page unless the user turns map tiles on.

(function () {
  'use strict';

  // A destination file is refused unread above this size; below it, the
  // module is given the file's start, as much as the tool analyses, and
  // its size. An interchange file is read whole up to the tool's own limit.
  const MAX_FILE_BYTES = 10 * 1024 * 1024;
  const MAX_IMPORT_BYTES = 64 * 1024 * 1024;
  // Most points each plan carries: the table takes no more by hand.
  const MAX_POINTS = { 1: 3, 2: 5 };
  const HISTORY_LIMIT = 200;
  const STORE_KEY = 'vexa-page-work';
  const SVG = 'http://www.w3.org/2000/svg';
  const KM_PER_DEGREE = 2 * Math.PI * 6371.0088 / 360;
  // What of the module's picture is put into the page; anything else (it
  // holds nothing else) is left out.
  const PICTURE_ELEMENTS = new Set(['svg', 'title', 'desc', 'g', 'rect', 'polyline', 'path',
                                    'circle', 'text']);
  const PICTURE_ATTRIBUTES = new Set([
    'class', 'x', 'y', 'width', 'height', 'viewBox', 'fill', 'stroke', 'stroke-width',
    'stroke-dasharray', 'points', 'cx', 'cy', 'r', 'd', 'text-anchor', 'font-size',
    'font-weight', 'font-style', 'font-family', 'paint-order', 'version']);

  const TEXT = {
    en: {
      title: 'Vexa destinations', language: 'Language', languageAuto: 'Browser',
      openHeading: 'Open a destination file',
      openHelp: 'A guide message file (plan 1) or a destination list (dest.cld, plan 2). It is read as a head unit reads it, in this page only: nothing is uploaded.',
      drop: 'Drop a file here, or press to choose one', dropHelp: 'Files over 10 MB are refused.',
      pasteHeading: 'Paste a raw message', pasteLabel: 'Message text, as the navigation program hands it over',
      pasteRead: 'Read the message', plan: 'Plan', plan1: '1: guide message', plan2: '2: destination list',
      pointsHeading: 'Points', routeForAll: 'Route preference (all points)', add: 'Add a point',
      undo: 'Undo', redo: 'Redo',
      pointsCaption: 'Points in travel order', warningsHeading: 'Warnings: accepted, but not what it seems to say', colOrder: '#', colRole: 'Role', colLatitude: 'Latitude °',
      colLongitude: 'Longitude °', colUnits: 'Packet units (lat, lon)', colRoute: 'Route', colName: 'Name',
      colActions: 'Actions', download: 'Download the destination file', guideName: 'Guide message file name',
      pictureHeading: 'Picture', tilesHeading: 'Map tiles (off)', tilesHeadingOn: 'Map tiles (on)',
      tilesHelp: 'Tiles are fetched from the server you type, and only while this is on. Use {z}, {x} and {y} in the address.',
      tilesOn: 'Show map tiles', tilesUrl: 'Tile address', exchangeHeading: 'Import and export',
      import: 'Import GPX, GeoJSON, CSV or KML', exportGpx: 'Export GPX', exportGeojson: 'Export GeoJSON',
      exportCsv: 'Export CSV', exportKml: 'Export KML',
      routes: ['recommended', 'fastest', 'shortest', 'economical'],
      kinds: { GuideMessage: 'guide message', DestinationList: 'destination list' },
      roles: { via: 'via', destination: 'destination' },
      up: (n) => `Move point ${n} up`, down: (n) => `Move point ${n} down`, remove: (n) => `Remove point ${n}`,
      latitudeOf: (n) => `Latitude of point ${n}`, longitudeOf: (n) => `Longitude of point ${n}`,
      nameOf: (n) => `Name of point ${n}`, routeOf: (n) => `Route preference of point ${n}`,
      noName: 'a guide message carries no names',
      loading: 'Loading the module…', ready: 'Ready: open a file, paste a message or add points.',
      moduleFailed: 'The module could not be loaded; the page cannot read files.',
      served: 'This page must be served, not opened as a file: the browser does not load its module from a file:// address. Run scripts/web.sh, or put the folder on any static web server, and open its http:// address.',
      read: (source, kind, plan, count) => `${source}: ${TEXT.en.kinds[kind]} (plan ${plan}), ${count} point${count === 1 ? '' : 's'}; a head unit would take it over and delete the file.`,
      readText: (kind, plan, count) => `Message: ${TEXT.en.kinds[kind]} (plan ${plan}), ${count} point${count === 1 ? '' : 's'}.`,
      refused: (source, code, name) => `${source}: refused with result ${code} (${name}).`,
      refusedCleared: 'Nothing of it is shown: the table is empty, so nothing can be downloaded by mistake.',
      tooBig: (size) => `The file is ${size} bytes, over the 10 MB this page reads; it was not read.`,
      importTooBig: (size) => `The file is ${size} bytes, over the 64 MiB this page imports; it was not imported.`,
      empty: 'No points yet: add one, open a file or import one.',
      wouldSay: (kind, plan, count, bytes) => `The file would say: ${TEXT.en.kinds[kind]} (plan ${plan}), ${count} point${count === 1 ? '' : 's'}, ${bytes} bytes; the library reads it back as meant.`,
      cannot: 'Cannot be written: ', message: 'Message', imported: (n, name) => `Imported ${n} point${n === 1 ? '' : 's'} from ${name}.`,
      importFailed: (name) => `${name} could not be imported: `, nothingToExport: 'There is nothing valid to export.',
      notNumber: (n, field, text) => `point ${n}: the ${field} '${text}' is not a decimal number (such as 39.9087 or -0,5)`,
      fieldNames: { latitude: 'latitude', longitude: 'longitude' },
      noPicture: 'No point to draw.',
      pictureWaits: (n) => `The picture shows the file that would be written: correct point ${n} to see it.`,
      pictureWaitsAll: 'The picture shows the file that would be written: it cannot be written yet.',
      full: (plan, max) => `A ${plan === 1 ? 'guide message' : 'destination list'} carries at most ${max} points.`,
      keepFirst: (max) => `Keep the first ${max}`,
      tooManyRows: (count, max) => `${count} points: the file carries at most ${max}. Remove some, or keep the first ${max}.`,
      discard: 'Your edits have not been downloaded. Discard them and open this instead? (Undo brings them back.)',
      restored: 'Your unsaved work from the last visit is back.',
      undone: 'Undone.', redone: 'Redone.', nothingToUndo: 'Nothing to undo.', nothingToRedo: 'Nothing to redo.',
      gpxChoice: 'From a GPX file take', gpxAuto: 'its first route, else its waypoints',
      gpxWaypoints: 'its waypoints', gpxRoute: 'the route numbered', gpxTrack: 'the end of the track numbered',
      gpxNumber: 'Number of the route or track',
      encoding: 'File encoding', encodingAuto: 'told by the file', cp936: '936 (GBK, Chinese)',
      cp1252: '1252 (Western Europe)', cp1250: '1250 (Central Europe)', cp1251: '1251 (Cyrillic)',
      cp1253: '1253 (Greek)', cp1254: '1254 (Turkish)', cp1255: '1255 (Hebrew)', cp1256: '1256 (Arabic)',
      cp1257: '1257 (Baltic)', cp1258: '1258 (Vietnamese)', cp874: '874 (Thai)',
      toolSays: '', fitName: (name) => `Write it as '${name}'`,
    },
    zh: {
      title: 'Vexa 目的地', language: '语言', languageAuto: '跟随浏览器',
      openHeading: '打开目的地文件',
      openHelp: '导航消息文件（方案 1）或目的地列表（dest.cld，方案 2）。按车机的方式读取，只在本页面中处理，不上传。',
      drop: '把文件拖到这里，或按下选择文件', dropHelp: '超过 10 MB 的文件会被拒绝。',
      pasteHeading: '粘贴原始消息', pasteLabel: '消息文本（导航程序传入的形式）',
      pasteRead: '读取消息', plan: '方案', plan1: '1：导航消息', plan2: '2：目的地列表',
      pointsHeading: '地点', routeForAll: '路线偏好（所有地点）', add: '添加地点',
      undo: '撤销', redo: '重做',
      pointsCaption: '按行程顺序排列的地点', warningsHeading: '警告：可以读取，但与字面意思不符', colOrder: '序号', colRole: '角色', colLatitude: '纬度 °',
      colLongitude: '经度 °', colUnits: '数据包单位（纬度，经度）', colRoute: '路线', colName: '名称',
      colActions: '操作', download: '下载目的地文件', guideName: '导航消息文件名',
      pictureHeading: '示意图', tilesHeading: '地图瓦片（关闭）', tilesHeadingOn: '地图瓦片（开启）',
      tilesHelp: '只有开启时才会从您输入的服务器获取瓦片。地址中使用 {z}、{x} 和 {y}。',
      tilesOn: '显示地图瓦片', tilesUrl: '瓦片地址', exchangeHeading: '导入和导出',
      import: '导入 GPX、GeoJSON、CSV 或 KML', exportGpx: '导出 GPX', exportGeojson: '导出 GeoJSON',
      exportCsv: '导出 CSV', exportKml: '导出 KML',
      routes: ['推荐', '最快', '最短', '经济'],
      kinds: { GuideMessage: '导航消息', DestinationList: '目的地列表' },
      roles: { via: '途经点', destination: '目的地' },
      up: (n) => `将地点 ${n} 上移`, down: (n) => `将地点 ${n} 下移`, remove: (n) => `删除地点 ${n}`,
      latitudeOf: (n) => `地点 ${n} 的纬度`, longitudeOf: (n) => `地点 ${n} 的经度`,
      nameOf: (n) => `地点 ${n} 的名称`, routeOf: (n) => `地点 ${n} 的路线偏好`,
      noName: '导航消息不带名称',
      loading: '正在加载模块…', ready: '就绪：打开文件、粘贴消息或添加地点。',
      moduleFailed: '无法加载模块，本页面不能读取文件。',
      served: '本页面必须通过网页服务器打开，不能直接作为文件打开：浏览器不会从 file:// 地址加载它的模块。请运行 scripts/web.sh，或把该文件夹放到任意静态网页服务器上，再打开它的 http:// 地址。',
      read: (source, kind, plan, count) => `${source}：${TEXT.zh.kinds[kind]}（方案 ${plan}），${count} 个地点；车机会接收并删除该文件。`,
      readText: (kind, plan, count) => `消息：${TEXT.zh.kinds[kind]}（方案 ${plan}），${count} 个地点。`,
      refused: (source, code, name) => `${source}：被拒绝，结果 ${code}（${name}）。`,
      refusedCleared: '其中的内容都不显示：表格已清空，因此不会误下载。',
      tooBig: (size) => `文件有 ${size} 字节，超过本页面读取的 10 MB 上限，未读取。`,
      importTooBig: (size) => `文件有 ${size} 字节，超过本页面导入的 64 MiB 上限，未导入。`,
      empty: '还没有地点：添加一个、打开文件或导入。',
      wouldSay: (kind, plan, count, bytes) => `文件内容：${TEXT.zh.kinds[kind]}（方案 ${plan}），${count} 个地点，${bytes} 字节；库读回的结果与预期一致。`,
      cannot: '无法写入：', message: '消息', imported: (n, name) => `已从 ${name} 导入 ${n} 个地点。`,
      importFailed: (name) => `无法导入 ${name}：`, nothingToExport: '没有可导出的有效内容。',
      notNumber: (n, field, text) => `地点 ${n}：${field}“${text}”不是十进制数（例如 39.9087 或 -0,5）`,
      fieldNames: { latitude: '纬度', longitude: '经度' },
      noPicture: '没有可绘制的地点。',
      pictureWaits: (n) => `示意图显示将要写入的文件：请更正地点 ${n} 后查看。`,
      pictureWaitsAll: '示意图显示将要写入的文件：目前还无法写入。',
      full: (plan, max) => `${plan === 1 ? '导航消息' : '目的地列表'}最多包含 ${max} 个地点。`,
      keepFirst: (max) => `保留前 ${max} 个`,
      tooManyRows: (count, max) => `共 ${count} 个地点：文件最多包含 ${max} 个。请删除一些，或保留前 ${max} 个。`,
      discard: '您的修改尚未下载。要放弃这些修改并打开新内容吗？（可以撤销找回。）',
      restored: '已恢复您上次未保存的工作。',
      undone: '已撤销。', redone: '已重做。', nothingToUndo: '没有可撤销的操作。', nothingToRedo: '没有可重做的操作。',
      gpxChoice: '从 GPX 文件中取', gpxAuto: '第一条路线，没有则取航点',
      gpxWaypoints: '航点', gpxRoute: '编号为下列数字的路线', gpxTrack: '编号为下列数字的轨迹的终点',
      gpxNumber: '路线或轨迹的编号',
      encoding: '文件编码', encodingAuto: '按文件内容判断', cp936: '936（GBK，简体中文）',
      cp1252: '1252（西欧）', cp1250: '1250（中欧）', cp1251: '1251（西里尔文）',
      cp1253: '1253（希腊文）', cp1254: '1254（土耳其文）', cp1255: '1255（希伯来文）', cp1256: '1256（阿拉伯文）',
      cp1257: '1257（波罗的海）', cp1258: '1258（越南文）', cp874: '874（泰文）',
      toolSays: '（工具的原文）', fitName: (name) => `改写为“${name}”`,
    },
  };

  const $ = (id) => document.getElementById(id);
  let language = 'en';
  let t = TEXT.en;
  let vexa = null;
  // The points being edited, in travel order; `route` is per point in plan
  // 2, and `guideRoute` serves all points in plan 1. Latitude and
  // longitude are the text the user typed (or the file gave).
  let state = { plan: 2, guideRoute: 0, points: [], source: 'dest.cld' };
  let latest = null;  // the last check: { ok, bytes, packet, message, point }
  const timing = { lastShownMs: null };
  // Undo and redo: whole states before each edit. Typing into one field is
  // one edit until another field or action follows.
  const history = { undo: [], redo: [], lastField: null };
  // Edits since the last file read, download or export.
  let unsaved = false;
  // The status line as a message and its arguments, so a change of
  // language says it again in the new one.
  let statusLine = null;
  let problemLine = null;

  function element(name, attributes = {}, text) {
    const node = document.createElement(name);
    for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
    if (text !== undefined) node.textContent = text;
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
    for (const node of document.querySelectorAll('[data-label]')) {
      node.setAttribute('aria-label', t[node.dataset.label]);
    }
    document.title = t.title;
    showTilesHeading();
    fillRouteSelect($('guide-route'), state.guideRoute);
    if (statusLine) status(...statusLine);
    if (problemLine) problemLine();
    rebuildTable();
  }

  function fillRouteSelect(select, value) {
    select.replaceChildren(...t.routes.map((name, mode) => element('option', { value: mode }, name)));
    select.value = String(value);
  }

  // status('key', args...) says t[key](args...) (or t[key]); status(null)
  // clears the line.
  function status(key, ...args) {
    statusLine = key === null ? null : [key, ...args];
    const value = key === null ? '' : t[key];
    $('status').textContent = typeof value === 'function' ? value(...args) : (value || '');
  }

  // problem(() => text) shows the text, and says it again after a change
  // of language; problem('') clears the line.
  function problem(render) {
    problemLine = typeof render === 'function' ? render : null;
    const text = problemLine ? problemLine() : render;
    const box = $('problem');
    box.textContent = text || '';
    box.hidden = !text;
  }

  // The tool's messages name its command-line options; the page has a
  // control for each of them, and names the control instead.
  function pageWords(text) {
    const control = (label, choice = '') => `“${t[label]}${choice ? `: ${t[choice]}` : ''}”`;
    return text
      .replace(/ ?\(--replace-unmappable [^)]*\)$/, '')
      .replace(/: vexa encode --plan 2 .*$/, `: ${control('import')}`)
      .replace(/to vexa encode --plan 2 --kml$/, `to ${control('import')}`)
      .replace(/--input-encoding/g, control('encoding'))
      .replace(/--gpx-route/g, control('gpxChoice', 'gpxRoute'))
      .replace(/--gpx-track/g, control('gpxChoice', 'gpxTrack'))
      .replace(/--gpx-waypoints/g, control('gpxChoice', 'gpxWaypoints'))
      .replace(/--plan (\d)/g, (_, plan) => `${t.plan} ${plan}`);
  }

  // A refusal: the code and its name, then the tool's explanation (the
  // field, its role and the offending text) in a part of its own.
  function refusal(source, read) {
    problemLine = () => refusal(source, read);
    const box = $('problem');
    box.replaceChildren(`${t.refused(source === null ? t.message : source, read.result, read.resultName)} `,
                        t.toolSays, element('span', { id: 'explanation' }, pageWords(read.explanation)),
                        ` ${t.refusedCleared}`);
    box.hidden = false;
  }

  // The strict warnings of what is shown: what the library accepts but
  // drops or bends.
  function showWarnings(warnings) {
    $('warnings').replaceChildren(...warnings.map((warning) => element('li', {}, warning)));
    $('warnings-box').hidden = warnings.length === 0;
  }

  // ---- History and keeping the work ---------------------------------------

  function snapshot() {
    return JSON.parse(JSON.stringify(state));
  }

  // Call before changing `state`. `field` names a text field being typed
  // into, so a run of keystrokes in it is one step.
  function edit(field = null) {
    if (field === null || field !== history.lastField) {
      history.undo.push(snapshot());
      if (history.undo.length > HISTORY_LIMIT) history.undo.shift();
      history.redo = [];
    }
    history.lastField = field;
    unsaved = true;
  }

  function restore(from, to, said) {
    if (from.length === 0) {
      status(said === 'undone' ? 'nothingToUndo' : 'nothingToRedo');
      return;
    }
    to.push(snapshot());
    state = from.pop();
    history.lastField = null;
    unsaved = true;
    $('plan').value = String(state.plan);
    $('guide-route').value = String(state.guideRoute);
    rebuildTable();
    status(said);
  }

  const undo = () => restore(history.undo, history.redo, 'undone');
  const redo = () => restore(history.redo, history.undo, 'redone');

  // Replacing the points with a file's: asks first when edits would be lost
  // (undo still brings them back).
  function mayReplace() {
    if (!unsaved || state.points.length === 0) return true;
    return window.confirm(t.discard);
  }

  function keep() {
    try {
      if (unsaved) localStorage.setItem(STORE_KEY, JSON.stringify(state));
      else localStorage.removeItem(STORE_KEY);
    } catch (error) {
      // Storage refused (private mode, full): the work stays on the page.
    }
  }

  function restoreKept() {
    let kept = null;
    try {
      kept = JSON.parse(localStorage.getItem(STORE_KEY) || 'null');
    } catch (error) {
      return false;
    }
    if (!kept || !Array.isArray(kept.points) || (kept.plan !== 1 && kept.plan !== 2)) return false;
    state = {
      plan: kept.plan, guideRoute: Number(kept.guideRoute) & 3, source: String(kept.source || 'dest.cld'),
      points: kept.points.map((p) => ({ latitude: String(p.latitude ?? ''), longitude: String(p.longitude ?? ''),
                                        name: String(p.name ?? ''), route: Number(p.route) & 3 })),
    };
    unsaved = true;
    $('plan').value = String(state.plan);
    $('guide-route').value = String(state.guideRoute);
    return true;
  }

  function saved() {
    unsaved = false;
    keep();
  }

  // ---- Reading ----------------------------------------------------------

  // Seven decimals: within half a unit, so they give the same units back.
  const degreesText = (degrees) => String(Math.round(degrees * 1e7) / 1e7);

  function takePacket(packet) {
    state.plan = packet.kind === 'GuideMessage' ? 1 : 2;
    state.points = packet.points.map((p) => ({
      latitude: degreesText(p.latitudeUnits / Vexa.UNITS_PER_DEGREE),
      longitude: degreesText(p.longitudeUnits / Vexa.UNITS_PER_DEGREE),
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

  // The points of what was read replace the table; a refusal empties it,
  // so a file that was not read can never be downloaded as the last one.
  function showRead(source, read, started) {
    edit();
    problem('');
    if (read.result !== 0) {
      status(null);
      state.points = [];
      rebuildTable();
      refusal(source, read);
      saved();
      shown(started);
      return;
    }
    takePacket(read.packet);
    state.source = source;
    const kind = read.packet.kind;
    if (source === null) status('readText', kind, state.plan, read.packet.pointCount);
    else status('read', source, kind, state.plan, read.packet.pointCount);
    rebuildTable();
    // The file's own warnings, until an edit makes it the file to write.
    showWarnings(read.warnings);
    saved();
    shown(started);
  }

  async function openFile(file, started = performance.now()) {
    if (!vexa || !mayReplace()) return;
    if (file.size > MAX_FILE_BYTES) {
      status(null);
      problem(() => t.tooBig(file.size));
      shown(started);
      return;
    }
    const bytes = new Uint8Array(await file.slice(0, vexa.analysisBytes).arrayBuffer());
    showRead(file.name, vexa.decodeFile(bytes, { name: file.name, size: file.size }), started);
  }

  function readPasted() {
    if (!vexa || !mayReplace()) return;
    const started = performance.now();
    const plan = Number($('raw-plan').value);
    showRead(null, vexa.parseRaw($('raw').value, plan), started);
  }

  // ---- Editing ----------------------------------------------------------

  function routeOf(point) {
    return state.plan === 1 ? state.guideRoute : point.route;
  }

  function roleOf(index) {
    return state.plan === 1 && index < state.points.length - 1 ? t.roles.via : t.roles.destination;
  }

  // A coordinate as typed: a decimal number with a point or a single
  // decimal comma, an optional sign and exponent. Anything else (0x27,
  // 0b101, 1_000, Infinity, 1e400) is no number.
  function coordinate(text) {
    const trimmed = String(text).trim().replace(/^([+-]?\d*),(\d+(?:[eE][+-]?\d+)?)$/, '$1.$2');
    const value = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/.test(trimmed) ? Number(trimmed) : NaN;
    return Number.isFinite(value) ? value : NaN;
  }

  // Rebuilds the table. `focus` puts the focus back where the user was: a
  // [row, selector] pair, the row kept within the table.
  function rebuildTable(focus) {
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
        input.value = point[key];
        input.addEventListener('input', () => {
          edit(`${i}.${key}`);
          point[key] = input.value;
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
        select.addEventListener('change', () => { edit(); point.route = Number(select.value); check(); });
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
      name.addEventListener('input', () => { edit(`${i}.name`); point.name = name.value; check(); });
      nameCell.appendChild(name);
      row.appendChild(nameCell);
      const actions = element('td', { class: 'actions' });
      const action = (kind, label, symbol, enabled, work) => {
        const button = element('button', { type: 'button', 'aria-label': label, title: label,
                                           'data-action': kind }, symbol);
        button.disabled = !enabled;
        button.addEventListener('click', () => {
          edit();
          const row = work();
          rebuildTable([row, `[data-action="${kind}"]`]);
        });
        actions.appendChild(button);
      };
      action('up', t.up(n), '↑', i > 0, () => { swap(i, i - 1); return i - 1; });
      action('down', t.down(n), '↓', i < state.points.length - 1, () => { swap(i, i + 1); return i + 1; });
      action('remove', t.remove(n), '✕', true, () => { state.points.splice(i, 1); return i; });
      row.appendChild(actions);
      const message = element('td', { class: 'row-problem', colspan: '8', id: `point-problem-${n}` });
      const messageRow = element('tr', { class: 'problem-row', hidden: '' });
      messageRow.appendChild(message);
      body.appendChild(row);
      body.appendChild(messageRow);
    });
    showLimit();
    check();
    if (focus) placeFocus(...focus);
  }

  // After a move or a removal the focus stays with the row's button (a
  // disabled one hands it to the next that is not), or goes to the row
  // that took the removed one's place, or to "Add a point".
  function placeFocus(index, selector) {
    const rows = $('points').tBodies[0].querySelectorAll('tr[data-index]');
    const row = rows[Math.min(index, rows.length - 1)];
    if (!row) { $('add').focus(); return; }
    const wanted = row.querySelector(selector);
    const target = wanted && !wanted.disabled ? wanted
                                              : row.querySelector('button:not([disabled])');
    (target || $('add')).focus();
  }

  function swap(a, b) {
    [state.points[a], state.points[b]] = [state.points[b], state.points[a]];
  }

  // "Add a point" stops at the plan's limit and says so; a file with more
  // points offers to keep the first ones.
  function showLimit() {
    const max = MAX_POINTS[state.plan];
    const count = state.points.length;
    $('add').disabled = count >= max;
    const note = $('limit');
    const keepFirst = $('keep-first');
    note.textContent = count > max ? t.tooManyRows(count, max) : count === max ? t.full(state.plan, max) : '';
    keepFirst.hidden = count <= max;
    keepFirst.textContent = t.keepFirst(max);
  }

  // What the file would say now: the module encodes the points as the tool
  // does and reads the bytes back. Updates the units, the problems and the
  // picture.
  function check() {
    keep();
    if (!vexa) return;
    const rows = Array.from($('points').tBodies[0].querySelectorAll('tr[data-index]'));
    for (const row of rows) {
      row.removeAttribute('aria-invalid');
      row.nextElementSibling.hidden = true;
      row.querySelector('.units').textContent = '—';
      for (const input of row.querySelectorAll('input')) input.removeAttribute('aria-describedby');
    }
    if (state.points.length === 0) {
      latest = null;
      $('check').textContent = t.empty;
      $('download').disabled = true;
      showWarnings([]);
      draw(null, 0);
      return;
    }
    let encoded = null;
    const points = [];
    state.points.forEach((p, i) => {
      if (encoded) return;
      const point = { latitude: coordinate(p.latitude), longitude: coordinate(p.longitude),
                      name: p.name, route: routeOf(p) };
      for (const key of ['latitude', 'longitude']) {
        if (!encoded && Number.isNaN(point[key])) {
          encoded = { ok: false, point: i + 1,
                      message: t.notNumber(i + 1, t.fieldNames[key], p[key].trim()), local: true };
        }
      }
      points.push(point);
    });
    encoded = encoded || vexa.encode(state.plan, points);
    latest = encoded;
    $('download').disabled = !encoded.ok;
    if (encoded.ok) {
      showWarnings(encoded.warnings);
      $('check').textContent = [t.wouldSay(encoded.packet.kind, state.plan,
                                           encoded.packet.pointCount, encoded.bytes.length),
                                ...encoded.notes].join(' ');
      encoded.packet.points.forEach((p, i) => {
        if (rows[i]) rows[i].querySelector('.units').textContent = `${p.latitudeUnits}, ${p.longitudeUnits}`;
      });
    } else {
      showWarnings([]);
      const message = encoded.local ? encoded.message : pageWords(encoded.message);
      $('check').textContent = t.cannot + (encoded.local ? '' : t.toolSays) + message;
      const row = encoded.point > 0 && rows[encoded.point - 1];
      if (row) {
        row.setAttribute('aria-invalid', 'true');
        const cell = row.nextElementSibling.firstChild;
        cell.textContent = message;
        offerFittedName(cell, encoded);
        row.nextElementSibling.hidden = false;
        for (const input of row.querySelectorAll('input')) input.setAttribute('aria-describedby', cell.id);
      }
    }
    draw(encoded.ok ? points : null, encoded.point || 0);
  }

  // The tool's refusal of a name ends with the option that adapts it (which
  // pageWords leaves out); the page has a button for that instead, which
  // shows what would be written.
  function offerFittedName(cell, encoded) {
    if (!/\(--replace-unmappable [^)]*\)$/.test(encoded.message)) return;
    const point = state.points[encoded.point - 1];
    const fitted = vexa.fitName(point.name);
    if (!fitted.ok || !fitted.replaced) return;
    const button = element('button', { type: 'button', class: 'fit-name' }, t.fitName(fitted.name));
    button.addEventListener('click', () => {
      edit();
      point.name = fitted.name;
      rebuildTable([encoded.point - 1, '[data-field="name"]']);
    });
    cell.append(' ', button);
  }

  function addPoint() {
    if (state.points.length >= MAX_POINTS[state.plan]) return;
    edit();
    const last = state.points[state.points.length - 1];
    const latitude = last && coordinate(last.latitude);
    state.points.push(last && Number.isFinite(latitude)
      ? { latitude: degreesText(Math.min(90, latitude + 0.01)), longitude: last.longitude, name: '', route: last.route }
      : { latitude: '39.916527', longitude: '116.397128', name: '', route: 0 });
    rebuildTable();
    const inputs = $('points').querySelectorAll('input[data-field="latitude"]');
    inputs[inputs.length - 1].focus();
  }

  function keepFirst() {
    edit();
    state.points = state.points.slice(0, MAX_POINTS[state.plan]);
    rebuildTable();
    $('add').focus();
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

  function guideName() {
    return $('guide-name').value.trim().replace(/[\\/]/g, '_') || 'guide.dat';
  }

  function currentPoints() {
    return state.points.map((p) => ({ latitude: coordinate(p.latitude), longitude: coordinate(p.longitude),
                                      name: p.name, route: routeOf(p) }));
  }

  function download() {
    check();
    if (!latest || !latest.ok) return;
    offer(latest.bytes, state.plan === 2 ? 'dest.cld' : guideName(), 'application/octet-stream');
    saved();
  }

  const EXPORTS = {
    gpx: ['application/gpx+xml', '.gpx'], geojson: ['application/geo+json', '.geojson'],
    csv: ['text/csv', '.csv'], kml: ['application/vnd.google-earth.kml+xml', '.kml'],
  };

  function exportAs(format) {
    check();
    if (!latest || !latest.ok) { problem(() => t.nothingToExport); return; }
    const source = state.plan === 2 ? 'dest.cld' : guideName();
    const written = vexa.exportText(format, state.plan, currentPoints(), source);
    if (!written.ok) { problem(() => t.nothingToExport); return; }
    const base = source.replace(/\.[^.]*$/, '') || 'destinations';
    offer(new TextEncoder().encode(written.text), base + EXPORTS[format][1], EXPORTS[format][0]);
    saved();
  }

  // What a GPX file gives, as encode's --gpx-waypoints, --gpx-route N and
  // --gpx-track N choose it.
  function gpxChoice() {
    const choice = $('gpx-choice').value;
    const number = Math.max(1, Math.min(9999, Math.trunc(Number($('gpx-number').value)) || 1));
    return { gpxWaypoints: choice === 'waypoints', gpxRoute: choice === 'route' ? number : 0,
             gpxTrack: choice === 'track' ? number : 0 };
  }

  async function importFile(file) {
    if (!vexa || !mayReplace()) return;
    problem('');
    if (file.size > MAX_IMPORT_BYTES) { problem(() => t.importTooBig(file.size)); return; }
    let imported;
    try {
      imported = vexa.importFile(new Uint8Array(await file.arrayBuffer()),
                                 { name: file.name, plan: state.plan, ...gpxChoice(),
                                   inputEncoding: $('input-encoding').value });
    } catch (error) {
      // The module ran out of memory or stack on it: the page goes on.
      imported = { ok: false, message: String(error && error.message || error) };
    }
    if (!imported.ok) {
      problem(() => t.importFailed(file.name) + t.toolSays + pageWords(imported.message));
      return;
    }
    edit();
    state.points = imported.points.map((p) => ({
      latitude: degreesText(p.latitude), longitude: degreesText(p.longitude), name: p.name,
      route: p.route >= 0 ? p.route : 0 }));
    const firstRoute = imported.points.find((p) => p.route >= 0);
    state.guideRoute = firstRoute ? firstRoute.route : 0;
    $('guide-route').value = String(state.guideRoute);
    status('imported', state.points.length, file.name);
    if (imported.notes.length) {
      $('status').textContent += ` ${t.toolSays}${pageWords(imported.notes.join('; '))}`;
    }
    rebuildTable();
    saved();
  }

  // ---- Picture ----------------------------------------------------------

  // The module's picture of the file that would be written, rebuilt here
  // from the allowed elements and attributes only; map tiles under it when
  // they are on. Without a file to write there is no picture, so its
  // numbers are always the table's.
  function draw(points, badPoint) {
    const box = $('picture');
    if (!points) {
      const text = state.points.length === 0 ? t.noPicture
        : badPoint > 0 ? t.pictureWaits(badPoint) : t.pictureWaitsAll;
      box.replaceChildren(element('p', { class: 'hint picture-waits' }, text));
      return;
    }
    const written = vexa.exportText('svg', state.plan, points,
                                    state.plan === 2 ? 'dest.cld' : guideName());
    if (!written.ok) return;
    const parsed = new DOMParser().parseFromString(written.text, 'image/svg+xml').documentElement;
    if (parsed.namespaceURI !== SVG || parsed.localName !== 'svg') return;
    const svg = copySvg(parsed);
    svg.setAttribute('role', 'img');
    svg.setAttribute('aria-labelledby', 'picture-title');
    const title = svg.querySelector('title');
    if (title) title.id = 'picture-title';
    drawTiles(svg, points);
    box.replaceChildren(svg);
  }

  function copySvg(from) {
    const node = document.createElementNS(SVG, from.localName);
    for (const attribute of from.attributes) {
      if (PICTURE_ATTRIBUTES.has(attribute.name)) node.setAttribute(attribute.name, attribute.value);
    }
    const holdsText = from.localName === 'text' || from.localName === 'title' || from.localName === 'desc';
    for (const child of from.childNodes) {
      if (child.nodeType === Node.TEXT_NODE) {
        // Text only where SVG shows it; elsewhere it is the layout's blanks.
        if (holdsText) node.appendChild(document.createTextNode(child.data));
      } else if (child.nodeType === Node.ELEMENT_NODE && child.namespaceURI === SVG &&
                 PICTURE_ELEMENTS.has(child.localName)) {
        node.appendChild(copySvg(child));
      }
    }
    return node;
  }

  // Map tiles under the points, only when turned on with an address of the
  // user's. The picture's own geometry places them: the first point's mark
  // and the scale bar give its projection (x grows with the longitude times
  // the cosine of the points' mean latitude, y falls with the latitude).
  function drawTiles(svg, points) {
    const template = $('tiles-url').value.trim();
    if (!$('tiles-on').checked || !/^https?:\/\/[^\s]*\{z\}[^\s]*\{x\}[^\s]*\{y\}/.test(template)) return;
    const mark = svg.querySelector('circle.mark');
    const bar = svg.querySelector('path.scale');
    const barText = svg.querySelector('text.scale');
    const frame = svg.querySelector('rect.frame');
    if (!mark || !bar || !barText || !frame) return;
    const barPixels = /H([\d.]+)/.exec(bar.getAttribute('d'));
    const barKm = parseFloat(barText.textContent);
    if (!barPixels || !(barKm > 0)) return;
    const scale = (Number(barPixels[1]) - 16) * KM_PER_DEGREE / barKm;  // pixels per degree
    const mean = points.reduce((sum, p) => sum + p.latitude, 0) / points.length;
    const shrink = Math.cos(Math.max(-85, Math.min(85, mean)) * Math.PI / 180);
    const x0 = Number(mark.getAttribute('cx'));
    const y0 = Number(mark.getAttribute('cy'));
    const project = (latitude, longitude) => [x0 + (longitude - points[0].longitude) * shrink * scale,
                                              y0 - (latitude - points[0].latitude) * scale];
    const left = Number(frame.getAttribute('x'));
    const top = Number(frame.getAttribute('y'));
    const right = left + Number(frame.getAttribute('width'));
    const bottom = top + Number(frame.getAttribute('height'));
    const west = points[0].longitude + (left - x0) / (shrink * scale);
    const east = points[0].longitude + (right - x0) / (shrink * scale);
    const north = Math.min(85, points[0].latitude + (y0 - top) / scale);
    const south = Math.max(-85, points[0].latitude - (bottom - y0) / scale);
    const zoom = Math.max(0, Math.min(18, Math.round(Math.log2(scale * shrink * 360 / 256))));
    const n = 2 ** zoom;
    const tileX = (lon) => Math.floor((lon + 180) / 360 * n);
    const tileY = (lat) => {
      const r = lat * Math.PI / 180;
      return Math.floor((1 - Math.log(Math.tan(r) + 1 / Math.cos(r)) / Math.PI) / 2 * n);
    };
    const lonOf = (x) => x / n * 360 - 180;
    const latOf = (y) => Math.atan(Math.sinh(Math.PI * (1 - 2 * y / n))) * 180 / Math.PI;
    const group = document.createElementNS(SVG, 'g');
    group.setAttribute('class', 'tiles');
    let count = 0;
    for (let y = Math.max(0, tileY(north)); y <= Math.min(n - 1, tileY(south)) && count < 64; ++y) {
      for (let x = tileX(Math.max(-180, west)); x <= tileX(Math.min(179.999, east)) && count < 64; ++x, ++count) {
        const [x1, y1] = project(latOf(y), lonOf(x));
        const [x2, y2] = project(latOf(y + 1), lonOf(x + 1));
        const image = document.createElementNS(SVG, 'image');
        const attributes = { href: template.replace('{z}', zoom).replace('{x}', x).replace('{y}', y),
                             x: x1, y: y1, width: x2 - x1, height: y2 - y1, preserveAspectRatio: 'none' };
        for (const [key, value] of Object.entries(attributes)) image.setAttribute(key, String(value));
        group.appendChild(image);
      }
    }
    frame.after(group);
  }

  function showTilesHeading() {
    $('tiles-heading').textContent = $('tiles-on').checked ? t.tilesHeadingOn : t.tilesHeading;
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
    $('plan').addEventListener('change', () => { edit(); state.plan = Number($('plan').value); rebuildTable(); });
    $('guide-route').addEventListener('change', () => {
      edit();
      state.guideRoute = Number($('guide-route').value);
      rebuildTable();
    });
    $('add').addEventListener('click', addPoint);
    $('keep-first').addEventListener('click', keepFirst);
    $('undo').addEventListener('click', undo);
    $('redo').addEventListener('click', redo);
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
    $('gpx-choice').addEventListener('change', () => {
      $('gpx-number').hidden = !['route', 'track'].includes($('gpx-choice').value);
    });
    $('tiles-on').addEventListener('change', () => { showTilesHeading(); check(); });
    $('tiles-url').addEventListener('change', check);
    $('language').addEventListener('change', () => setLanguage($('language').value));
    // Ctrl+Z and Ctrl+Shift+Z (or Ctrl+Y) step through the page's edits;
    // the pasted message and the settings keep their own undo.
    document.addEventListener('keydown', (event) => {
      if (!(event.ctrlKey || event.metaKey) || event.altKey) return;
      if (event.target.closest && event.target.closest('#raw, #tiles-url, #guide-name')) return;
      const key = event.key.toLowerCase();
      if (key === 'z' && !event.shiftKey) { event.preventDefault(); undo(); }
      else if ((key === 'z' && event.shiftKey) || key === 'y') { event.preventDefault(); redo(); }
    });
    window.addEventListener('beforeunload', (event) => {
      // Kept in this browser anyway; the prompt says they are not in a file.
      if (unsaved && state.points.length > 0) event.preventDefault();
    });
  }

  // Opened as a file, the browser loads no module: the page says so and
  // offers nothing that would not work.
  function refuseFileAddress() {
    problem(() => t.served);
    for (const control of document.querySelectorAll('main button, main input, main select, main textarea')) {
      control.disabled = true;
    }
    $('drop').setAttribute('aria-disabled', 'true');
  }

  async function start() {
    wire();
    const restored = restoreKept();
    setLanguage('auto');
    if (location.protocol === 'file:') {
      refuseFileAddress();
      return;
    }
    status('loading');
    try {
      vexa = await Vexa.load();
    } catch (error) {
      status(null);
      problem(() => t.moduleFailed);
      return;
    }
    status(restored ? 'restored' : 'ready');
    document.body.dataset.ready = 'true';
    rebuildTable();
    if ('serviceWorker' in navigator && location.protocol !== 'file:') {
      navigator.serviceWorker.register('service-worker.js').catch(() => {});
    }
  }

  // For the browser tests: the page's timing and state, read-only.
  window.vexaPage = { timing, get state() { return snapshot(); } };
  start();
})();
