// Points to and from the interchange formats, as the vexa tool reads and
// writes them: CSV with the header latitude,longitude,name,route, GPX 1.1
// (a destination list as waypoints, a guide message as a route), GeoJSON
// Points, and KML Placemarks. A point here is
//   { latitude, longitude (degrees), name (string), route (0-3 or -1) }.
// Every import either gives points or throws an Error whose message says
// what is wrong and where. Documents are built with the DOM's XML
// serializer, so a name can never become markup.

(function (root) {
  'use strict';

  const ROUTE_NAMES = ['recommended', 'fastest', 'shortest', 'economical'];
  const ROUTE_WORDS = ['推荐', '最快', '最短', '经济'];
  const GPX_NS = 'http://www.topografix.com/GPX/1/1';
  const KML_NS = 'http://www.opengis.net/kml/2.2';

  function routeFromName(text) {
    const word = String(text).trim();
    const lower = word.toLowerCase();
    for (let mode = 0; mode < 4; ++mode) {
      if (lower === ROUTE_NAMES[mode] || word === ROUTE_WORDS[mode]) return mode;
    }
    return -1;
  }

  // A decimal number as the tool reads one: surrounding spaces and a '+'
  // allowed, nothing else around it.
  function readNumber(text) {
    const trimmed = String(text).trim().replace(/^\+/, '');
    if (!/^-?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$/.test(trimmed)) return NaN;
    return Number(trimmed);
  }

  function splitCsvRows(text) {
    const rows = [];
    let line = 1;
    let pos = 0;
    while (pos < text.length) {
      const row = { line, fields: [] };
      for (;;) {
        let field = '';
        if (text[pos] === '"') {
          ++pos;
          for (;;) {
            if (pos >= text.length) throw new Error(`the quoted field opened on line ${row.line} is never closed`);
            if (text[pos] === '"' && text[pos + 1] === '"') { field += '"'; pos += 2; }
            else if (text[pos] === '"') { ++pos; break; }
            else { if (text[pos] === '\n') ++line; field += text[pos++]; }
          }
        }
        while (pos < text.length && text[pos] !== ',' && text[pos] !== '\n') field += text[pos++];
        if (field.endsWith('\r')) field = field.slice(0, -1);
        row.fields.push(field);
        if (text[pos] === ',') { ++pos; continue; }
        break;
      }
      if (pos < text.length) { ++pos; ++line; }
      if (!(row.fields.length === 1 && row.fields[0] === '')) rows.push(row);
    }
    return rows;
  }

  function importCsv(text) {
    if (text.startsWith('\ufeff')) text = text.slice(1);
    const rows = splitCsvRows(text);
    if (rows.length === 0) throw new Error('the file is empty; it needs a header row such as latitude,longitude,name,route');
    const column = {};
    rows[0].fields.forEach((field, i) => {
      const name = field.replace(/ /g, '').toLowerCase();
      if (!['latitude', 'longitude', 'name', 'route'].includes(name)) {
        throw new Error(`the header names an unknown column '${field}' (known: latitude, longitude, name, route)`);
      }
      column[name] = i;
    });
    if (column.latitude === undefined || column.longitude === undefined) {
      throw new Error('the header row must name the columns latitude and longitude');
    }
    return rows.slice(1).map((row) => {
      const where = `CSV line ${row.line}`;
      if (row.fields.length !== rows[0].fields.length) {
        throw new Error(`${where} has ${row.fields.length} fields; the header has ${rows[0].fields.length}`);
      }
      const point = { latitude: readNumber(row.fields[column.latitude]),
                      longitude: readNumber(row.fields[column.longitude]),
                      name: column.name === undefined ? '' : row.fields[column.name], route: -1 };
      if (Number.isNaN(point.latitude) || Number.isNaN(point.longitude)) {
        throw new Error(`${where}: latitude and longitude must be decimal degrees`);
      }
      if (column.route !== undefined && row.fields[column.route] !== '') {
        point.route = routeFromName(row.fields[column.route]);
        if (point.route < 0) {
          throw new Error(`${where}: route '${row.fields[column.route]}' is not recommended, fastest, shortest or economical`);
        }
      }
      return point;
    });
  }

  // An XML document, refused when it declares entities: they are never
  // expanded or fetched.
  function parseXml(text, what) {
    if (/<!DOCTYPE[^>]*\[/i.test(text) || /<!ENTITY/i.test(text)) {
      throw new Error(`the ${what} declares entities in its DOCTYPE; such a file is refused`);
    }
    const document = new DOMParser().parseFromString(text, 'application/xml');
    if (document.getElementsByTagName('parsererror').length > 0) {
      throw new Error(`the ${what} is not well-formed XML`);
    }
    return document;
  }

  function childText(element, name) {
    for (const child of element.children) {
      if (child.localName === name) return child.textContent;
    }
    return null;
  }

  function gpxPoint(element, where) {
    const latitude = readNumber(element.getAttribute('lat') ?? '');
    const longitude = readNumber(element.getAttribute('lon') ?? '');
    if (Number.isNaN(latitude) || Number.isNaN(longitude)) {
      throw new Error(`${where}: lat and lon must be decimal degrees`);
    }
    const type = childText(element, 'type');
    const route = type === null ? -1 : routeFromName(type);
    return { latitude, longitude, name: childText(element, 'name') ?? '', route };
  }

  // The route points of the first route, else the waypoints, else the end of
  // the first track (with a note: a track records a trip).
  function importGpx(text) {
    const document = parseXml(text, 'GPX file');
    const all = (name) => Array.from(document.getElementsByTagNameNS('*', name));
    const routes = all('rte');
    if (routes.length > 0) {
      const points = Array.from(routes[0].children).filter((e) => e.localName === 'rtept');
      const type = childText(routes[0], 'type');
      return { points: points.map((p, i) => {
        const point = gpxPoint(p, `route point ${i + 1}`);
        if (point.route < 0 && type !== null) point.route = routeFromName(type);
        return point;
      }) };
    }
    const waypoints = all('wpt');
    if (waypoints.length > 0) return { points: waypoints.map((p, i) => gpxPoint(p, `waypoint ${i + 1}`)) };
    const trackPoints = all('trk').length ? Array.from(all('trk')[0].getElementsByTagNameNS('*', 'trkpt')) : [];
    if (trackPoints.length > 0) {
      const point = gpxPoint(trackPoints[trackPoints.length - 1], 'track 1');
      return { points: [point], note: 'the GPX holds only a track; its end point is used as the destination' };
    }
    throw new Error('the GPX file holds no route, waypoint or track');
  }

  function importGeoJson(text) {
    let value;
    try { value = JSON.parse(text); } catch (error) { throw new Error(`the GeoJSON is not valid JSON (${error.message})`); }
    const points = [];
    const add = (coordinates, properties, where) => {
      if (!Array.isArray(coordinates) || coordinates.length < 2 ||
          typeof coordinates[0] !== 'number' || typeof coordinates[1] !== 'number') {
        throw new Error(`${where}: a Point needs [longitude, latitude]`);
      }
      const props = properties && typeof properties === 'object' ? properties : {};
      let route = -1;
      if (typeof props.route === 'string') route = routeFromName(props.route);
      else if (Number.isInteger(props.routeMode) && props.routeMode >= 0 && props.routeMode <= 3) route = props.routeMode;
      points.push({ longitude: coordinates[0], latitude: coordinates[1],
                    name: typeof props.name === 'string' ? props.name : '', route });
    };
    const visit = (object, properties, where) => {
      if (!object || typeof object !== 'object') return;
      if (object.type === 'FeatureCollection' && Array.isArray(object.features)) {
        object.features.forEach((f, i) => visit(f, null, `feature ${i + 1}`));
      } else if (object.type === 'Feature') {
        visit(object.geometry, object.properties, where);
      } else if (object.type === 'GeometryCollection' && Array.isArray(object.geometries)) {
        object.geometries.forEach((g) => visit(g, properties, where));
      } else if (object.type === 'Point') {
        add(object.coordinates, properties, where);
      } else if (object.type === 'MultiPoint' && Array.isArray(object.coordinates)) {
        object.coordinates.forEach((c) => add(c, properties, where));
      }
    };
    visit(value, null, 'the GeoJSON');
    if (points.length === 0) throw new Error('the GeoJSON holds no Point');
    return { points };
  }

  function importKml(text) {
    const document = parseXml(text, 'KML file');
    const points = [];
    Array.from(document.getElementsByTagNameNS('*', 'Placemark')).forEach((placemark, i) => {
      const coordinates = placemark.getElementsByTagNameNS('*', 'coordinates')[0];
      const point = placemark.getElementsByTagNameNS('*', 'Point')[0];
      if (!point || !coordinates) return;
      const parts = coordinates.textContent.trim().split(',');
      const longitude = readNumber(parts[0] ?? '');
      const latitude = readNumber(parts[1] ?? '');
      if (Number.isNaN(latitude) || Number.isNaN(longitude)) {
        throw new Error(`placemark ${i + 1}: coordinates must be longitude,latitude`);
      }
      points.push({ latitude, longitude, name: childText(placemark, 'name') ?? '', route: -1 });
    });
    if (points.length === 0) throw new Error('the KML file holds no Placemark with a Point');
    return { points };
  }

  // Picks the reader by the file's name, then by its first character.
  function importPoints(fileName, text) {
    const name = fileName.toLowerCase();
    const start = text.replace(/^\ufeff/, '').trimStart();
    if (name.endsWith('.gpx')) return importGpx(text);
    if (name.endsWith('.kml')) return importKml(text);
    if (name.endsWith('.geojson') || name.endsWith('.json')) return importGeoJson(text);
    if (name.endsWith('.csv')) return { points: importCsv(text) };
    if (start.startsWith('{')) return importGeoJson(text);
    if (start.startsWith('<')) return /<kml[\s>]/.test(start) ? importKml(text) : importGpx(text);
    return { points: importCsv(text) };
  }

  // Exports take the points as the library read them:
  //   { order, role, latitude, longitude (degrees, 7 decimals), route (0-3), name }
  const fixed = (degrees) => degrees.toFixed(7);

  function csvField(text) {
    return /[",\r\n]/.test(text) ? `"${text.replace(/"/g, '""')}"` : text;
  }

  function exportCsv(points) {
    return 'latitude,longitude,name,route\n' + points.map((p) =>
      `${fixed(p.latitude)},${fixed(p.longitude)},${csvField(p.name)},${ROUTE_NAMES[p.route]}\n`).join('');
  }

  function exportGeoJson(points, source) {
    return JSON.stringify({
      type: 'FeatureCollection',
      features: points.map((p) => ({
        type: 'Feature',
        geometry: { type: 'Point', coordinates: [Number(fixed(p.longitude)), Number(fixed(p.latitude))] },
        properties: { source, role: p.role, order: p.order, route: ROUTE_NAMES[p.route],
                      routeMode: p.route, name: p.name },
      })),
    }, null, 2) + '\n';
  }

  function xmlDocument(namespace, rootName) {
    const document = root.document.implementation.createDocument(namespace, rootName, null);
    const element = (parent, name, text) => {
      const child = document.createElementNS(namespace, name);
      if (text !== undefined) child.textContent = text;
      parent.appendChild(child);
      return child;
    };
    const serialize = () => '<?xml version="1.0" encoding="UTF-8"?>\n' +
      new XMLSerializer().serializeToString(document) + '\n';
    return { document, root: document.documentElement, element, serialize };
  }

  // A destination list as waypoints; a guide message as one route whose
  // points are the via points and the destination in travel order.
  function exportGpx(points, kind, source) {
    const xml = xmlDocument(GPX_NS, 'gpx');
    xml.root.setAttribute('version', '1.1');
    xml.root.setAttribute('creator', 'vexa');
    const place = (parent, name, p) => {
      const element = xml.element(parent, name);
      element.setAttribute('lat', fixed(p.latitude));
      element.setAttribute('lon', fixed(p.longitude));
      return element;
    };
    if (kind === 1) {
      for (const p of points) {
        const waypoint = place(xml.root, 'wpt', p);
        xml.element(waypoint, 'name', p.name);
        xml.element(waypoint, 'type', ROUTE_NAMES[p.route]);
      }
    } else if (points.length > 0) {
      const route = xml.element(xml.root, 'rte');
      xml.element(route, 'name', source);
      xml.element(route, 'type', ROUTE_NAMES[points[0].route]);
      for (const p of points) place(route, 'rtept', p);
    }
    return xml.serialize();
  }

  function exportKml(points) {
    const xml = xmlDocument(KML_NS, 'kml');
    const folder = xml.element(xml.root, 'Document');
    for (const p of points) {
      const placemark = xml.element(folder, 'Placemark');
      xml.element(placemark, 'name', p.name || `${p.order}`);
      xml.element(placemark, 'description', `${p.role}, ${ROUTE_NAMES[p.route]}`);
      const point = xml.element(placemark, 'Point');
      xml.element(point, 'coordinates', `${fixed(p.longitude)},${fixed(p.latitude)}`);
    }
    return xml.serialize();
  }

  root.VexaFormats = { importPoints, importCsv, exportCsv, exportGeoJson, exportGpx, exportKml,
                       routeFromName, ROUTE_NAMES };
})(self);
