#include "frame/entry.h"

#include "sound/sound_module.h"

namespace vexa {

int LibraryEntry(void* /*module*/, unsigned long reason, void* /*reserved*/) {
  if (reason == kProcessAttach) {
    // A failure here leaves the sound module without a variant, and its
    // exports then do nothing. Nothing can escape into the loader: the
    // library is built without exceptions.
    if (SoundModule* sound = SoundModule::Instance()) sound->Init();
  }
  return 1;
}

}  // namespace vexa
