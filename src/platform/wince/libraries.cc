// Dynamic libraries: LoadLibraryW, GetProcAddressW and FreeLibrary. CE
// looks exports up by UTF-16 name (GetProcAddressA only exists from CE 3.0
// on), so the 8-bit name is widened here. Export names are ASCII; a name
// that is not, or does not fit, names no export.

#include "platform/platform.h"
#include "platform/wince/wince_api.h"

namespace vexa::platform {

namespace {

constexpr int kExportNameMax = 128;  // units, terminator included

}  // namespace

Library LoadLibraryByName(const char16_t* file_name) {
  return ::LoadLibraryW(wince::Wide(file_name));
}

void* FindExport(Library library, const char* name) {
  wchar_t wide[kExportNameMax];
  for (int i = 0;; ++i) {
    if (i == kExportNameMax) return nullptr;
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80) return nullptr;
    wide[i] = static_cast<wchar_t>(c);
    if (c == 0) break;
  }
  return ::GetProcAddressW(static_cast<HMODULE>(library), wide);
}

void UnloadLibrary(Library library) {
  ::FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace vexa::platform
