// The navigation configuration interface: three questions to the
// configuration library NORL_MERIAK, asked only when an answer is needed
// (never at load time). No answer outlives the operation that asked.

#ifndef VEXA_SRC_FRAME_CONFIG_H_
#define VEXA_SRC_FRAME_CONFIG_H_

#include <cstddef>

namespace vexa::config {

// The data directory with its terminator never exceeds this many bytes.
constexpr std::size_t kDataDirectoryMax = 256;

// The configured destination plan: 1 guide message file, 2 destination
// list; any other value is no plan.
int GuidePlanNumber();

// The full path of the plan-1 guide message file, NUL-terminated 8-bit text
// in the system code page. Never null; copy it at once, never free it.
const char* GuideFilePath();

// Writes the data directory, NUL-terminated and without a trailing
// separator, into `buffer` (the query takes no size; it never writes more
// than kDataDirectoryMax bytes).
// REQUIRES: `buffer` holds at least kDataDirectoryMax bytes.
void QueryDataDirectory(char* buffer);

}  // namespace vexa::config

#endif  // VEXA_SRC_FRAME_CONFIG_H_
