// Registry: RegOpenKeyExW, RegQueryValueExW and RegCloseKey. CE requires
// the options and the access (samDesired) to be 0 and grants queries on such
// a key, which is what the library passes; they are handed on unchanged.
// Handles are 32 bits wide, so the predefined root keys need no widening.

#include <cstdint>

#include "platform/platform.h"
#include "platform/wince/wince_api.h"

namespace vexa::platform {

namespace {

HKEY ToKey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

long OpenRegistryKey(RegistryKey root, const char16_t* subkey,
                     std::uint32_t options, std::uint32_t access,
                     RegistryKey* key) {
  HKEY opened = nullptr;
  const LONG result =
      ::RegOpenKeyExW(ToKey(root), wince::Wide(subkey), options, access, &opened);
  if (result == ERROR_SUCCESS) *key = reinterpret_cast<RegistryKey>(opened);
  return result;
}

long QueryRegistryValue(RegistryKey key, const char16_t* name, void* buffer,
                        std::uint32_t* size) {
  DWORD bytes = *size;
  const LONG result = ::RegQueryValueExW(ToKey(key), wince::Wide(name), nullptr,
                                         nullptr, static_cast<std::uint8_t*>(buffer),
                                         &bytes);
  if (result == ERROR_SUCCESS) *size = bytes;
  return result;
}

void CloseRegistryKey(RegistryKey key) { ::RegCloseKey(ToKey(key)); }

}  // namespace vexa::platform
