// The tool's operating-system services on POSIX systems (see system.h).

#include "system/system.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "system/environment.h"
#include "system/input_file.h"
#include "text/text_codec.h"

#ifndef VEXA_TOOL_LIBRARY_DIR
#define VEXA_TOOL_LIBRARY_DIR ""
#endif

namespace vexa::tool {

std::FILE* OpenForReading(const std::string& path) {
  return std::fopen(path.c_str(), "rb");
}

bool ExamineInput(std::FILE* file, InputKind* kind, long long* size) {
  struct stat info;
  if (::fstat(::fileno(file), &info) != 0) return false;
  *kind = S_ISREG(info.st_mode)   ? InputKind::kRegular
          : S_ISDIR(info.st_mode) ? InputKind::kDirectory
                                  : InputKind::kStream;
  *size = static_cast<long long>(info.st_size);
  return true;
}

std::FILE* OpenMemoryStream(std::string_view bytes) {
  // glibc takes an empty buffer; a null one would mean "allocate".
  static char empty[1];
  return ::fmemopen(bytes.empty() ? empty : const_cast<char*>(bytes.data()),
                    bytes.size(), "r");
}

bool WriteStandardStream(int stream, std::string_view bytes,
                         std::string* reason) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(stream, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *reason = std::strerror(n < 0 ? errno : EIO);
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool CloseStandardOutput(std::string* reason) {
  // Closing reports what an earlier write could not (NFS, say).
  if (::close(STDOUT_FILENO) != 0 && errno != EBADF) {
    *reason = std::strerror(errno);
    return false;
  }
  return true;
}

// setenv is POSIX, not standard C++; glibc declares it in <cstdlib>.
void SetEnvironment(const std::string& name, const std::string& value) {
  ::setenv(name.c_str(), value.c_str(), 1);
}

std::vector<std::string> DefaultLibraryPaths() {
  std::vector<std::string> paths{"libvexa.so"};
  if (std::strlen(VEXA_TOOL_LIBRARY_DIR) > 0) {
    paths.push_back(std::string(VEXA_TOOL_LIBRARY_DIR) + "/libvexa.so");
  }
  return paths;
}

tool_interface::Library LoadToolLibrary(const std::string& path,
                                  std::string* reason) {
  std::u16string wide;
  if (!Utf8ToUtf16(path, &wide)) {
    *reason = "the path is not valid UTF-8";
    return nullptr;
  }
  // The host loader is dlopen: its own words say why a load failed.
  ::dlerror();
  tool_interface::Library library =
      tool_interface::LoadLibraryByName(wide.c_str());
  if (library == nullptr) {
    const char* why = ::dlerror();
    *reason = why != nullptr ? why : "the library cannot be loaded";
  }
  return library;
}

}  // namespace vexa::tool
