// The C face of the web module: what web/vexa-module.js calls. Each
// function runs the library's own destination code and the companion
// tool's own readers, writers, explanations and picture on what the caller
// hands over (the page has no files and no configuration), so the page
// says and writes word for word what `vexa` does. The library is reached
// through src/tool_interface/, as the tool reaches it.
//
// Conventions: text and bytes come as (pointer, length) pairs, never
// NUL-terminated. The vexa_web_*_json functions take a request as UTF-8
// JSON and return their answer as UTF-8 JSON (one object, described at each
// function), NUL-terminated, owned by the module and valid until the next
// call; vexa_web_answer_size() gives its length. Nothing throws across
// this face: a request that is no JSON, or a member of the wrong type, reads
// as if the member were missing (a coordinate as NaN, which is refused).
// Single-threaded, as the module is, and no state is kept between calls
// but the last answer.

#ifndef VEXA_WEB_MODULE_WEB_API_H_
#define VEXA_WEB_MODULE_WEB_API_H_

#include <stdint.h>

#include "vexa/vexa.h"

#ifdef __cplusplus
extern "C" {
#endif

// Reads `size` bytes of a destination file as plan 1 (guide message) or 2
// (destination list), as the library reads the file at PTT_Init. 0, the
// plan's reading or parsing code, VEXA_E_BAD_PLAN for another plan number,
// or VEXA_E_NO_FILE when `bytes` is null or `size` negative. The packet is
// written only on success.
int vexa_web_read_file(int plan, const unsigned char* bytes, int size,
                       DestinationPacket* packet);

// Parses a raw message as PTT_Parse_Raw_Protocol does: the first length / 2
// UTF-16 units of `text`, converted to code page 936 as Windows converts
// it. 0, VEXA_E_NO_TEXT, the plan's parsing code, or VEXA_E_BAD_PLAN.
int vexa_web_parse_raw(int plan, const uint16_t* text, int length,
                       DestinationPacket* packet);

// The length in bytes of the last answer, without its terminator.
int vexa_web_answer_size(void);

// How many of a file's first bytes vexa_web_decode_json wants: as many as
// the tool analyses (more never changes what either says).
int vexa_web_analysis_bytes(void);

// Decodes a destination file as `vexa decode` does. Request:
//   { "name": file name (its extension may choose the plan),
//     "size": the whole file's size, "plan": 0 (tell by content), 1 or 2 }
// with the file's first bytes in (bytes, size). Answer: the record of
// `vexa decode --format json` (source, plan, result, error and message or
// kind, pointCount, points, warnings), with "ok" and "packet" (the 568
// bytes in hex) on success.
const char* vexa_web_decode_json(const char* request, int request_size,
                                 const unsigned char* bytes, int size);

// Parses a raw message as `vexa parse` does. Request: { "plan": 1 or 2,
// "length": the byte length the caller of PTT_Parse_Raw_Protocol passes
// (default: all of the text) }, the text as UTF-16 units in (text, units).
// Answer as vexa_web_decode_json, with source "text".
const char* vexa_web_parse_json(const char* request, int request_size,
                                const uint16_t* text, int units);

// Reads an interchange file as `vexa encode --input` does. Request:
//   { "name", "plan": 1 or 2, "format": "auto", "csv", "gpx", "kml" or
//     "geojson", "gpxRoute", "gpxTrack": 1-based numbers or 0,
//     "gpxWaypoints": bool, "inputEncoding": the file's encoding as
//     `--input-encoding` names it (empty: told by its bytes) }
// with the whole file in (bytes, size). Answer: { "ok": true, "points":
// [{ latitude, longitude, name, route (-1: none given) }], "notes": [...] }
// or { "ok": false, "message" } with the tool's words.
const char* vexa_web_import_json(const char* request, int request_size,
                                 const unsigned char* bytes, int size);

// Builds the destination file of some points as `vexa encode` does and has
// the library read it back. Request: { "plan", "points": [{ latitude,
// longitude (degrees), name (plan 2), route (0-3) }] } in travel order.
// Answer: { "ok": true, "bytes": the file in hex, "notes": [...],
// "decoded": the decode record of the file (its points and warnings) }, or
// { "ok": false, "message", "point": the 1-based point the refusal names,
// or 0 }.
const char* vexa_web_encode_json(const char* request, int request_size);

// The points of an encode request as the tool writes them: "format" is
// "gpx", "geojson", "csv", "kml" or "svg" (the picture), "source" the
// destination file's name. Answer: { "ok": true, "text" } or, when the
// points cannot be written, encode's refusal.
const char* vexa_web_export_json(const char* request, int request_size);

// A name adapted as `vexa encode --replace-unmappable` adapts it: each
// comma a full-width comma, each character code page 936 lacks '?'.
// Request: { "name" }. Answer: { "ok": true, "name": the adapted name,
// "replaced": what was replaced ("1 comma"), empty when nothing was }.
const char* vexa_web_fit_name_json(const char* request, int request_size);

// Code page 936 bytes (a stored name, up to its first NUL) as UTF-8, as
// Windows converts them. Answer: { "ok": true, "text" }.
const char* vexa_web_code_page_text_json(const unsigned char* bytes, int size);

// The header's name of a result code ("VEXA_E_LIST_BAD_ROUTE"), or
// "unknown"; constant text.
const char* vexa_web_result_name(int code);

#ifdef __cplusplus
}  // extern "C"
#endif

#endif  // VEXA_WEB_MODULE_WEB_API_H_
