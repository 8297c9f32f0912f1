// Files: the C runtime's stdio streams by 8-bit path, and deletion by UTF-16
// path. The runtime interprets an 8-bit path in the ANSI code page, which is
// the library's system code page, so paths pass through untouched; so does
// the mode, including the runtime's 'c' flag (commit on flush).

#include <io.h>

#include <cstdio>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace vexa::platform {

std::FILE* OpenFile(const char* path, const char* mode) {
  return std::fopen(path, mode);
}

int CloseFile(std::FILE* file) { return std::fclose(file); }

void FlushFileCommitted(std::FILE* file) {
  std::fflush(file);
  // A stream opened with 'c' commits on fflush already; committing here as
  // well keeps the promise for streams opened without it.
  _commit(_fileno(file));
}

bool DeleteFileWide(const char16_t* path) {
  return ::DeleteFileW(win32::Wide(path)) != FALSE;
}

}  // namespace vexa::platform
