// Files on the host: standard I/O streams opened by 8-bit paths in the
// system code page. A path is converted code page -> UTF-16 -> UTF-8 for the
// file system, and every '\' becomes '/', so "\dest.cld" after a data
// directory "/tmp/nav" is "/tmp/nav/dest.cld" (and "/dest.cld" after an
// empty one). Nothing here allocates from the C++ heap: paths are converted
// in fixed buffers on the stack.

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/host/host_internal.h"

namespace vexa::platform::host {
namespace {

// Longest UTF-16 form of a path accepted; a longer one is refused with
// ENAMETOOLONG, as is a UTF-8 form beyond PATH_MAX.
constexpr int kMaxWidePath = PATH_MAX;

// The runtime mode without the flags that glibc does not know or reads
// differently: 'c' (commit on flush) and 'n' (no commit). glibc would take
// 'c' as "not a cancellation point"; committing is FlushFileCommitted's job.
bool HostMode(const char* mode, char* out, std::size_t capacity) {
  std::size_t used = 0;
  for (const char* p = mode; *p != '\0'; ++p) {
    if (*p == 'c' || *p == 'n') continue;
    if (used + 1 >= capacity) return false;
    out[used++] = *p;
  }
  out[used] = '\0';
  return used > 0;
}

}  // namespace

bool HostPathFromCodePage(const char* path, char* out, std::size_t capacity) {
  if (path == nullptr) return false;
  char16_t wide[kMaxWidePath];
  if (HostCodePageToWide(HostAnsiCodePage(), path, wide, kMaxWidePath) == 0) {
    return false;
  }
  return Utf16ToUtf8(wide, out, capacity, /*backslash_to_slash=*/true);
}

bool HostPathFromWide(const char16_t* path, char* out, std::size_t capacity) {
  return Utf16ToUtf8(path, out, capacity, /*backslash_to_slash=*/true);
}

std::FILE* HostOpenFile(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) {
    errno = EINVAL;
    return nullptr;
  }
  char host_mode[16];
  if (!HostMode(mode, host_mode, sizeof host_mode)) {
    errno = EINVAL;
    return nullptr;
  }
  char host_path[PATH_MAX];
  if (!HostPathFromCodePage(path, host_path, sizeof host_path)) {
    errno = ENAMETOOLONG;
    return nullptr;
  }
  return std::fopen(host_path, host_mode);
}

int HostCloseFile(std::FILE* file) {
  if (file == nullptr) return EOF;
  return std::fclose(file);
}

void HostFlushFileCommitted(std::FILE* file) {
  if (file == nullptr) return;
  std::fflush(file);
  fsync(fileno(file));
}

bool HostDeleteFileWide(const char16_t* path) {
  char host_path[PATH_MAX];
  if (!HostPathFromWide(path, host_path, sizeof host_path)) return false;
  return unlink(host_path) == 0;
}

}  // namespace vexa::platform::host
