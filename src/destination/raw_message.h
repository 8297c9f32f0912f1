// A raw destination message: UTF-16 text converted to the system code page
// and parsed by a plan. The destination service runs every raw message
// through here, and so does the web module. Uses only stack storage; no
// heap allocation. Reentrant.

#ifndef VEXA_SRC_DESTINATION_RAW_MESSAGE_H_
#define VEXA_SRC_DESTINATION_RAW_MESSAGE_H_

#include <cstdint>

#include "destination/guide_plan.h"

namespace vexa::destination {

// Converts the first length / 2 UTF-16 units of `text` to the system code
// page (at most kMaxTextLength bytes, all or nothing) and lets `plan` parse
// them into `packet`. 0, VEXA_E_NO_TEXT (no bytes converted; a null text or
// a negative length) or the plan's code; on failure `packet` is to be
// discarded.
int ParseRawMessage(GuidePlan& plan, const std::uint16_t* text, int length,
                    DestinationPacket* packet);

// The same with the text converted to code page `code_page` instead of the
// system's: what a system whose code page that is makes of the message.
int ParseRawMessageInCodePage(GuidePlan& plan, unsigned code_page,
                              const std::uint16_t* text, int length,
                              DestinationPacket* packet);

}  // namespace vexa::destination

#endif  // VEXA_SRC_DESTINATION_RAW_MESSAGE_H_
