// Formatted text on the host: glibc's vsnprintf. Not in the dispatch table:
// no test needs another formatter.

#include <cstdarg>
#include <cstddef>
#include <cstdio>

#include "platform/platform.h"

namespace vexa::platform {

void FormatText(char* out, std::size_t capacity, const char* format,
                std::va_list args) {
  if (std::vsnprintf(out, capacity, format, args) < 0) out[0] = '\0';
}

}  // namespace vexa::platform
