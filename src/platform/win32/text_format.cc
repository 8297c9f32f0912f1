// Formatted text: msvcrt's own _vsnprintf, imported from the C runtime DLL.
// std::vsnprintf would be MinGW's C99 replacement (libstdc++ selects
// __USE_MINGW_ANSI_STDIO), which links its whole printf engine, floating-
// point conversion included, into Vexa.dll.
//
// _vsnprintf returns -1 both when the text does not fit (it then writes
// `count` characters without a NUL) and on a formatting error; only in the
// second case does _vscprintf, which measures the text, fail as well.

#include <stdio.h>

#include <cstdarg>
#include <cstddef>

#include "platform/platform.h"

namespace vexa::platform {

void FormatText(char* out, std::size_t capacity, const char* format,
                std::va_list args) {
  std::va_list measure;
  va_copy(measure, args);
  if (_vsnprintf(out, capacity - 1, format, args) < 0 &&
      _vscprintf(format, measure) < 0) {
    out[0] = '\0';
  }
  va_end(measure);
  out[capacity - 1] = '\0';
}

}  // namespace vexa::platform
