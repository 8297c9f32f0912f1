// Dynamic libraries on the host: dlopen by the file name as given (converted
// to UTF-8, '\' made '/'), so the test peers, ELF objects literally named
// "RtSound.dll" and so on, are found on the library search path. Symbols
// stay local to the library and are bound at load time, as on Windows.
// Unlike Windows, no ".dll" is appended to a name without an extension.
//
// dlopen searches the run path of the object that calls it. Under a
// sanitizer that intercepts dlopen, the caller is the sanitizer's runtime,
// so a bare name that dlopen does not find is looked for again along the
// search path of the object that holds this code (the library, or a test
// executable), as the dynamic linker would have done.

#include <dlfcn.h>
#include <limits.h>
#include <link.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/host/host_internal.h"

namespace vexa::platform::host {
namespace {

constexpr int kFlags = RTLD_NOW | RTLD_LOCAL;

void* OpenAlongOwnSearchPath(const char* name) {
  Dl_info info{};
  link_map* self = nullptr;
  if (dladdr1(reinterpret_cast<void*>(&HostLoadLibrary), &info,
              reinterpret_cast<void**>(&self), RTLD_DL_LINKMAP) == 0 ||
      self == nullptr) {
    return nullptr;
  }
  // In glibc a link map is the object's handle.
  Dl_serinfo size{};
  if (dlinfo(self, RTLD_DI_SERINFOSIZE, &size) != 0) return nullptr;
  auto* paths = static_cast<Dl_serinfo*>(std::malloc(size.dls_size));
  if (paths == nullptr) return nullptr;
  void* library = nullptr;
  if (dlinfo(self, RTLD_DI_SERINFOSIZE, paths) == 0 &&
      dlinfo(self, RTLD_DI_SERINFO, paths) == 0) {
    for (unsigned i = 0; library == nullptr && i < paths->dls_cnt; ++i) {
      char path[PATH_MAX];
      int written = std::snprintf(path, sizeof path, "%s/%s",
                                  paths->dls_serpath[i].dls_name, name);
      if (written > 0 && static_cast<std::size_t>(written) < sizeof path) {
        library = dlopen(path, kFlags);
      }
    }
  }
  std::free(paths);
  return library;
}

}  // namespace

Library HostLoadLibrary(const char16_t* file_name) {
  char name[PATH_MAX];
  if (!HostPathFromWide(file_name, name, sizeof name) || name[0] == '\0') {
    return nullptr;
  }
  void* library = dlopen(name, kFlags);
  if (library == nullptr && std::strchr(name, '/') == nullptr) {
    library = OpenAlongOwnSearchPath(name);
  }
  return library;
}

void* HostFindExport(Library library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  return dlsym(library, name);
}

void HostUnloadLibrary(Library library) {
  if (library != nullptr) dlclose(library);
}

}  // namespace vexa::platform::host
