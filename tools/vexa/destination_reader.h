// Reading destination files the way a head unit does: the file is opened by
// its code-page path through the platform seam and read by the plan's own
// ReadPacket, so the result is exactly the library's. The file is only
// read: nothing here deletes or changes it (deleting after a successful
// read is the destination service's business, which the tool does not use
// for decode).

#ifndef VEXA_TOOLS_VEXA_DESTINATION_READER_H_
#define VEXA_TOOLS_VEXA_DESTINATION_READER_H_

#include <string>

#include "outcome.h"

namespace vexa::tool {

// Decodes the file at the UTF-8 `path`. `plan` 1 or 2 forces the plan;
// 0 tells the two apart by the content (see the .cc).
Outcome DecodeFile(const std::string& path, int plan);

// Runs the plan's ReadPacket on the file at the UTF-8 `path`. Returns the
// library's code, or VEXA_E_NO_FILE when the file cannot be opened.
int ReadFileWithPlan(const std::string& path, int plan,
                     DestinationPacket* packet);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_DESTINATION_READER_H_
