// Dynamic libraries on the host: dlopen by the file name as given (converted
// to UTF-8, '\' made '/'), so the test peers, ELF objects literally named
// "RtSound.dll" and so on, are found on the library search path. Symbols
// stay local to the library and are bound at load time, as on Windows.
// Unlike Windows, no ".dll" is appended to a name without an extension.

#include <dlfcn.h>
#include <limits.h>

#include "platform/host/host_internal.h"

namespace vexa::platform::host {

Library HostLoadLibrary(const char16_t* file_name) {
  char name[PATH_MAX];
  if (!HostPathFromWide(file_name, name, sizeof name) || name[0] == '\0') {
    return nullptr;
  }
  return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void* HostFindExport(Library library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  return dlsym(library, name);
}

void HostUnloadLibrary(Library library) {
  if (library != nullptr) dlclose(library);
}

}  // namespace vexa::platform::host
