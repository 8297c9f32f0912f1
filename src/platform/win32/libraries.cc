// Dynamic libraries: LoadLibraryW with the system's search order (the
// application's folder first), GetProcAddress and FreeLibrary.

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace vexa::platform {

Library LoadLibraryByName(const char16_t* file_name) {
  return ::LoadLibraryW(win32::Wide(file_name));
}

void* FindExport(Library library, const char* name) {
  return reinterpret_cast<void*>(
      ::GetProcAddress(static_cast<HMODULE>(library), name));
}

void UnloadLibrary(Library library) {
  ::FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace vexa::platform
