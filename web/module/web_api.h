// The C face of the web module: what web/vexa-module.js calls. Each
// function runs the library's own destination code on bytes the caller
// hands over (the page has no files and no configuration) and keeps no
// state between calls. Names begin with vexa_web_. What the page says about
// a file or message beyond the result code (the explanation of a refusal,
// the warnings of an acceptance, the code's name) comes from the tool's
// core, so it is word for word what `vexa decode` and `vexa parse` say.
//
// Conventions: results are the library's result codes (vexa/vexa.h), 0 for
// success; a packet is written only on success; lengths are in bytes.
// Single-threaded, as the module is.

#ifndef VEXA_WEB_MODULE_WEB_API_H_
#define VEXA_WEB_MODULE_WEB_API_H_

#include <stdint.h>

#include "vexa/vexa.h"

#ifdef __cplusplus
extern "C" {
#endif

// The plan whose file `bytes` looks like: 2 when it begins with four spaces
// (a guide message's length could never be that large), otherwise 1.
int vexa_web_detect_plan(const unsigned char* bytes, int size);

// Reads `size` bytes of a destination file as plan 1 (guide message) or 2
// (destination list), as the library reads the file at PTT_Init. 0, the
// plan's reading or parsing code, VEXA_E_BAD_PLAN for another plan number,
// or VEXA_E_NO_FILE when `bytes` is null or `size` negative. The library
// deletes a file exactly when this returns 0.
int vexa_web_read_file(int plan, const unsigned char* bytes, int size,
                       DestinationPacket* packet);

// Parses a raw message as PTT_Parse_Raw_Protocol does: the first length / 2
// UTF-16 units of `text`, converted to code page 936 as Windows converts
// it. 0, VEXA_E_NO_TEXT, the plan's parsing code, or VEXA_E_BAD_PLAN for
// another plan number.
int vexa_web_parse_raw(int plan, const uint16_t* text, int length,
                       DestinationPacket* packet);

// How many of a file's first bytes vexa_web_decode_file wants: as many as
// the tool analyses (more never changes what either says).
int vexa_web_analysis_bytes(void);

// Decodes a file as `vexa decode` does: `head` holds the first `head_size`
// bytes of the file named `name` (UTF-8; only its extension counts), at
// most vexa_web_analysis_bytes(), and `file_size` the whole file's size.
// `plan` 1 or 2 forces the plan; 0 picks it as the tool does (*plan_used
// gets it). Returns the library's result; the packet is written only on
// success. `message` gets NUL-terminated UTF-8: on failure the tool's
// explanation, on success its warnings, one per line (empty for none).
int vexa_web_decode_file(const char* name, const unsigned char* head,
                         int head_size, double file_size, int plan,
                         int* plan_used, DestinationPacket* packet,
                         char* message, int message_capacity);

// vexa_web_parse_raw with what `vexa parse` says: on failure the tool's
// explanation in `message`, on success its warnings, one per line.
int vexa_web_parse_text(int plan, const uint16_t* text, int length,
                        DestinationPacket* packet, char* message,
                        int message_capacity);

// The header's name of a result code ("VEXA_E_LIST_BAD_ROUTE"), or
// "unknown"; constant text.
const char* vexa_web_result_name(int code);

// Converts NUL-terminated code page 936 text (a packet's name), terminator
// included, to UTF-16 as Windows does. The units written including the
// terminator, or 0 when they do not fit in `capacity`.
int vexa_web_text_to_utf16(const char* text, uint16_t* out, int capacity);

// Builds the destination file of `count` points as `vexa encode` does, with
// the tool's own encoder: `coordinates` holds latitude and longitude in
// degrees per point, `routes` a RouteMode per point, `names` the points'
// UTF-8 names back to back, each NUL-terminated (plan 2; plan 1 has none).
// The library then reads the bytes back and they must give exactly the
// points meant. The file's size, with its bytes in `out`; or -1 when the
// encoder refuses, -2 when the read-back differs, -3 when `capacity` is too
// small. `message` gets a NUL-terminated UTF-8 line or lines: the refusal,
// or the encoder's notes (a name cut) on success.
int vexa_web_encode(int plan, int count, const double* coordinates,
                    const int* routes, const char* names, unsigned char* out,
                    int capacity, char* message, int message_capacity);

#ifdef __cplusplus
}  // extern "C"
#endif

#endif  // VEXA_WEB_MODULE_WEB_API_H_
