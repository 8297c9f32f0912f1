// Files: coredll's stdio streams by 8-bit path, and deletion by UTF-16 path.
// CE's runtime interprets an 8-bit path in the ANSI code page, as desktop
// Windows does, so paths and modes pass through untouched.

#include <cstdio>

#include "platform/platform.h"
#include "platform/wince/wince_api.h"

namespace vexa::platform {

std::FILE* OpenFile(const char* path, const char* mode) {
  return std::fopen(path, mode);
}

int CloseFile(std::FILE* file) { return std::fclose(file); }

void FlushFileCommitted(std::FILE* file) {
  std::fflush(file);
  // CE has no _commit; its _fileno gives the OS handle itself.
  ::FlushFileBuffers(_fileno(file));
}

bool DeleteFileWide(const char16_t* path) {
  return ::DeleteFileW(wince::Wide(path)) != FALSE;
}

}  // namespace vexa::platform
