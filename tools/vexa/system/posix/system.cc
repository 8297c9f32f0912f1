// The tool's operating-system services on POSIX systems (see system.h).

#include "system/system.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

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

bool IdentifyFile(const std::string& path, FileIdentity* identity) {
  struct stat info;
  const int status = path == "-" ? ::fstat(STDIN_FILENO, &info)
                                 : ::stat(path.c_str(), &info);
  if (status != 0) return false;
  identity->volume = static_cast<unsigned long long>(info.st_dev);
  identity->index = static_cast<unsigned long long>(info.st_ino);
  return true;
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries,
                std::string* reason) {
  DIR* folder = ::opendir(path.c_str());
  if (folder == nullptr) {
    *reason = std::strerror(errno);
    return false;
  }
  const std::string prefix =
      !path.empty() && path.back() == '/' ? path : path + "/";
  entries->clear();
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(folder);
    if (entry == nullptr) break;
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    // The link itself, not what it leads to: a walk never leaves the
    // folder through one.
    struct stat info;
    FolderEntry item{prefix + name, EntryKind::kOther};
    if (::fstatat(::dirfd(folder), entry->d_name, &info,
                  AT_SYMLINK_NOFOLLOW) == 0) {
      item.kind = S_ISREG(info.st_mode)   ? EntryKind::kFile
                  : S_ISDIR(info.st_mode) ? EntryKind::kFolder
                  : S_ISLNK(info.st_mode) ? EntryKind::kLink
                                          : EntryKind::kOther;
    }
    entries->push_back(std::move(item));
  }
  const int failure = errno;
  ::closedir(folder);
  if (failure != 0) {
    *reason = std::strerror(failure);
    return false;
  }
  return true;
}

// The shell has expanded every wildcard before the tool starts.
bool ExpandWildcards(const std::string&, std::vector<std::string>*) {
  return false;
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
