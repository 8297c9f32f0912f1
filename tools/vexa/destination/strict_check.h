// What the library accepts but a preparer would not mean: the library
// silently drops or bends these, so the tool names them as warnings. The
// check runs on the text the plan parses (a guide message's body, or a
// destination list behind its four spaces), after the library accepted it:
// groups beyond the fifth, a trailing group of fewer than four fields,
// fields behind the last via point, a latitude outside ±90° or a longitude
// outside ±180°, minutes of 60 or more, a name cut at 99 bytes (inside a
// character or not), a trailing line break or comma.

#ifndef VEXA_TOOLS_VEXA_DESTINATION_STRICT_CHECK_H_
#define VEXA_TOOLS_VEXA_DESTINATION_STRICT_CHECK_H_

#include <string>
#include <string_view>
#include <vector>

namespace vexa::tool {

// One line per finding, in field order; empty when the text says exactly
// what the packet holds. `plan` is 1 or 2.
std::vector<std::string> StrictWarnings(int plan, std::string_view text);

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_DESTINATION_STRICT_CHECK_H_
