// What the companion tool (tools/vexa) uses of the destination module: the
// plans' file reading, their field splitter and file framing, and the
// conversions of field contents, so that the tool reads, explains and
// checks destinations exactly as the library does and keeps no copy of its
// rules. The tool includes this folder and include/vexa/, nothing else of
// the library.
//
// Threading: every function works on its arguments only.

#ifndef VEXA_SRC_TOOL_INTERFACE_DESTINATION_ACCESS_H_
#define VEXA_SRC_TOOL_INTERFACE_DESTINATION_ACCESS_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "vexa/vexa.h"

namespace vexa::tool_interface {

// Most fields a text is split into; longest text a plan parses.
constexpr int kMaxFields = 200;
constexpr int kMaxTextLength = 511;

// Reads the open destination `file` (binary, at its start) as plan `plan`
// (1 or 2) reads it into `packet`. 0, or the plan's negative code.
int ReadDestinationFile(int plan, std::FILE* file, DestinationPacket* packet);

// Parses the raw message `text` (`length` bytes of UTF-16, as
// PTT_Parse_Raw_Protocol takes it) as plan `plan` (1 or 2) does after
// converting it to code page `code_page`: exactly what the export gives on
// a system whose code page that is, whatever this one's. 0 with the packet
// in `*packet`, or the export's negative code (VEXA_E_NO_TEXT when nothing
// converts).
int ParseRawText(int plan, unsigned code_page, const std::uint16_t* text,
                 int length, DestinationPacket* packet);

// Splits `text` in place as the plans split a destination text (see
// destination/guide_plan.h) into at most kMaxFields fields; their count.
// REQUIRES: `text` holds `length` bytes and a NUL at position `length`.
int SplitFields(char* text, int length, const char* fields[kMaxFields]);

// The text that plan `plan` hands to its parser from a whole file of `size`
// bytes: 0 with the text at `bytes + *offset`, `*length` bytes long; else
// the plan's code for the framing fault (destination/file_framing.h).
int FramedText(int plan, const char* bytes, std::size_t size,
               std::size_t* offset, std::size_t* length);

// Plan 1's body length, read from the first 4 bytes of a file as the plan
// reads it (little-endian).
std::uint32_t BodyLength(const unsigned char bytes[4]);

// The field conversions of destination/protocol_fields.h: 0 is "no
// coordinate", -1 "no route word".
std::int32_t DecimalDegreesToUnits(const char* field);
std::int32_t DegreesMinutesToUnits(const char* field, int width);
int RouteModeFromWord(const char* field);
int ReadIntSaturated(const char* text);

}  // namespace vexa::tool_interface

#endif  // VEXA_SRC_TOOL_INTERFACE_DESTINATION_ACCESS_H_
