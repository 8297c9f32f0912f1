// SoundModule: variant selection by platform code and forwarding.

#include "sound/sound_module.h"

#include <new>

#include "frame/platform_code.h"
#include "sound/addon_notify_sound.h"
#include "sound/broadcast_sound.h"
#include "sound/navi_window_sound.h"
#include "sound/shared_buffer_sound.h"
#include "sound/silent_sound.h"
#include "sound/sound_library_sound.h"

namespace vexa {

SoundVariant* SoundModule::NewVariant(int platform_code) {
  switch (platform_code) {
    // The units of platforms 2, 3 and 13 follow the sound by themselves.
    // One class, SilentSound, under three names.
    case 2: return new (std::nothrow) Platform2Sound();
    case 3: return new (std::nothrow) Platform3Sound();
    case 13: return new (std::nothrow) Platform13Sound();
    case 4: return new (std::nothrow) SoundLibrarySound();
    case 6: return new (std::nothrow) AddonNotifySound();
    case 9: return new (std::nothrow) SharedBufferSound();
    case 10: return new (std::nothrow) NaviWindowSound();
    // Every other code, 1 included, is the unit that listens for broadcasts.
    default: return new (std::nothrow) BroadcastSound();
  }
}

int SoundModule::Init() {
  InstallStrategy(variant_, NewVariant(PlatformCode()));
  if (SoundVariant* variant = variant_.get()) variant->Init();
  return 1;
}

int SoundModule::StartPlaySound(const void* record) {
  SoundVariant* variant = variant_.get();
  return variant != nullptr ? variant->StartPlaySound(record) : 0;
}

int SoundModule::StopPlaySound(std::uint32_t value) {
  SoundVariant* variant = variant_.get();
  return variant != nullptr ? variant->StopPlaySound(value) : 0;
}

int SoundModule::SetVolume(std::uint32_t value) {
  SoundVariant* variant = variant_.get();
  return variant != nullptr ? variant->SetVolume(value) : 0;
}

int SoundModule::GetVolume(std::uint32_t value) {
  SoundVariant* variant = variant_.get();
  return variant != nullptr ? variant->GetVolume(value) : 0;
}

}  // namespace vexa
