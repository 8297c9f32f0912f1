#include "sound/sound_library_sound.h"

#include "platform/platform.h"
#include "vexa/vexa.h"

namespace vexa {

namespace {

// The library's exports take nothing; their result means nothing to us.
// Plain C functions, like the library's own exports.
using SoundCall = int(VEXA_CALL*)();

void CallSoundLibrary(const char* export_name) {
  platform::Library library =
      platform::LoadLibraryByName(SoundLibrarySound::kLibrary);
  if (library == nullptr) return;
  if (void* address = platform::FindExport(library, export_name)) {
    reinterpret_cast<SoundCall>(address)();
  }
  platform::UnloadLibrary(library);
}

}  // namespace

int SoundLibrarySound::Init() { return 1; }

int SoundLibrarySound::Uninit() { return 1; }

int SoundLibrarySound::StartPlaySound(const void* /*record*/) {
  CallSoundLibrary(kStartExport);
  return 1;
}

int SoundLibrarySound::StopPlaySound(std::uint32_t /*value*/) {
  CallSoundLibrary(kStopExport);
  return 1;
}

int SoundLibrarySound::SetVolume(std::uint32_t /*value*/) { return 1; }

int SoundLibrarySound::GetVolume(std::uint32_t /*value*/) { return 1; }

}  // namespace vexa
