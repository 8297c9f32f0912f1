#include "sound/addon_notify_sound.h"

#include "platform/platform.h"
#include "vexa/vexa.h"

namespace vexa {

namespace {

// The add-on's export takes the notification value; its result is ignored.
// A plain C function, like the library's own exports.
using NotifyCall = int(VEXA_CALL*)(std::uint32_t);

bool HasTerminator(const char16_t* text, std::size_t units) {
  for (std::size_t i = 0; i < units; ++i) {
    if (text[i] == u'\0') return true;
  }
  return false;
}

void NotifyAddon(std::uint32_t notification) {
  char16_t name[AddonNotifySound::kNameUnits] = {};
  platform::RegistryKey key = 0;
  if (platform::OpenRegistryKey(platform::kCurrentUser, AddonNotifySound::kKey,
                                0, 0, &key) != 0) {
    return;
  }
  std::uint32_t size = sizeof(name);
  // A value that fills the buffer to the last unit has no terminator; read
  // as a file name it would run past the buffer, so it counts as no value.
  if (platform::QueryRegistryValue(key, AddonNotifySound::kValue, name,
                                   &size) == 0 &&
      HasTerminator(name, AddonNotifySound::kNameUnits)) {
    if (platform::Library library = platform::LoadLibraryByName(name)) {
      if (void* address =
              platform::FindExport(library, AddonNotifySound::kExport)) {
        reinterpret_cast<NotifyCall>(address)(notification);
      }
      platform::UnloadLibrary(library);
    }
  }
  // The key stays open while the add-on is loaded and called.
  platform::CloseRegistryKey(key);
}

}  // namespace

int AddonNotifySound::Init() { return 1; }

int AddonNotifySound::Uninit() { return 1; }

int AddonNotifySound::StartPlaySound(const void* /*record*/) {
  NotifyAddon(kStartValue);
  return 1;
}

int AddonNotifySound::StopPlaySound(std::uint32_t /*value*/) {
  NotifyAddon(kStopValue);
  return 1;
}

int AddonNotifySound::SetVolume(std::uint32_t /*value*/) { return 1; }

int AddonNotifySound::GetVolume(std::uint32_t /*value*/) { return 1; }

}  // namespace vexa
