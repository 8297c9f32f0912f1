#include "frame/entry.h"

#include "sound/sound_module.h"

namespace vexa {

int LibraryEntry(void* /*module*/, unsigned long reason, void* /*reserved*/) {
  if (reason == kProcessAttach) {
    // Nothing may escape into the loader: a failure here leaves the sound
    // module without a variant, and its exports then do nothing.
    try {
      if (SoundModule* sound = SoundModule::Instance()) sound->Init();
    } catch (...) {
    }
  }
  return 1;
}

}  // namespace vexa
