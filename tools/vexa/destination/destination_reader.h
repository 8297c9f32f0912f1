// Reading destination files with the library's own plans: the tool opens
// the file itself and hands the stream to the plan's ReadPacket, so the
// result is exactly the library's reading of those bytes. The file is only
// read: nothing here deletes or changes it (deleting after a successful
// read is the destination service's business, which decode does not use).

#ifndef VEXA_TOOLS_VEXA_DESTINATION_DESTINATION_READER_H_
#define VEXA_TOOLS_VEXA_DESTINATION_DESTINATION_READER_H_

#include <string>
#include <string_view>

#include "destination/outcome.h"

namespace vexa::tool {

// Decodes the file at `path` ("-": standard input). `plan` 1 or 2 forces
// the plan; 0 tells the two apart by the content (see the .cc). A file
// that parses also gets the warnings of StrictWarnings. The command given
// for an interchange file writes `list` (dest.cld when empty): among many
// files the caller names each one's own, so that following the advice for
// each file never overwrites another's list.
Outcome DecodeFile(const std::string& path, int plan,
                   const std::string& list = "");

// Runs the plan's ReadPacket on the file at `path`, opened here. Returns
// the library's code, or VEXA_E_NO_FILE when the file cannot be opened.
int ReadFileWithPlan(const std::string& path, int plan,
                     DestinationPacket* packet);

// The same on `bytes` as a memory stream.
int ReadBytesWithPlan(std::string_view bytes, int plan,
                      DestinationPacket* packet);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_DESTINATION_DESTINATION_READER_H_
