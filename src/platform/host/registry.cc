// The registry on the host: the simulated registry of winsim. The options
// and the access mask are accepted and ignored, since the simulation has no
// security and no views.

#include "platform/host/host_internal.h"
#include "winsim.h"

namespace vexa::platform::host {

static_assert(kCurrentUser == winsim::kCurrentUser,
              "the current user's root key is the same on both sides");

long HostOpenRegistryKey(RegistryKey root, const char16_t* subkey,
                         std::uint32_t /*options*/, std::uint32_t /*access*/,
                         RegistryKey* key) {
  return winsim::RegOpen(root, subkey, key);
}

long HostQueryRegistryValue(RegistryKey key, const char16_t* name,
                            void* buffer, std::uint32_t* size) {
  return winsim::RegQuery(key, name, buffer, size);
}

void HostCloseRegistryKey(RegistryKey key) { winsim::RegClose(key); }

}  // namespace vexa::platform::host
