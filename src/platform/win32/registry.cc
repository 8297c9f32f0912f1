// Registry: RegOpenKeyExW, RegQueryValueExW and RegCloseKey.
//
// Two adjustments for desktop Windows:
//  - The predefined root keys are 32-bit values sign-extended to a handle
//    (HKEY_CURRENT_USER is 0xFFFFFFFF80000001 on 64-bit Windows); the seam
//    carries them as their 32-bit numbers, so they are widened here.
//  - The head unit's registry grants queries on a key opened with access 0;
//    desktop Windows checks the access and refuses them. Access 0 therefore
//    opens the key with KEY_QUERY_VALUE, the least that a query needs.

#include <cstdint>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace vexa::platform {

namespace {

// A root key: the predefined ones (0x80000000 to 0x80000006) are
// sign-extended from their 32-bit numbers.
HKEY ToRootKey(RegistryKey key) {
  if (key >= 0x80000000u && key <= 0x8000000Fu) {
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(
        static_cast<std::int32_t>(static_cast<std::uint32_t>(key))));
  }
  return reinterpret_cast<HKEY>(key);
}

HKEY ToKey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

long OpenRegistryKey(RegistryKey root, const char16_t* subkey,
                     std::uint32_t options, std::uint32_t access,
                     RegistryKey* key) {
  const REGSAM sam = access == 0 ? KEY_QUERY_VALUE : access;
  HKEY opened = nullptr;
  const LONG result =
      ::RegOpenKeyExW(ToRootKey(root), win32::Wide(subkey), options, sam, &opened);
  if (result == ERROR_SUCCESS) *key = reinterpret_cast<RegistryKey>(opened);
  return result;
}

long QueryRegistryValue(RegistryKey key, const char16_t* name, void* buffer,
                        std::uint32_t* size) {
  DWORD bytes = *size;
  const LONG result = ::RegQueryValueExW(ToKey(key), win32::Wide(name), nullptr,
                                         nullptr, static_cast<BYTE*>(buffer),
                                         &bytes);
  if (result == ERROR_SUCCESS) *size = bytes;
  return result;
}

void CloseRegistryKey(RegistryKey key) { ::RegCloseKey(ToKey(key)); }

}  // namespace vexa::platform
