// Formatted text: coredll's _vsnprintf. It returns -1 both when the text
// does not fit (it then writes `count` characters without a NUL) and on a
// formatting error; CE has no _vscprintf to tell the two apart, so a cut
// text is kept in both cases.

#include <cstdarg>
#include <cstddef>

#include "platform/platform.h"
#include "platform/wince/wince_api.h"

namespace vexa::platform {

void FormatText(char* out, std::size_t capacity, const char* format,
                std::va_list args) {
  _vsnprintf(out, capacity - 1, format, args);
  out[capacity - 1] = '\0';
}

}  // namespace vexa::platform
