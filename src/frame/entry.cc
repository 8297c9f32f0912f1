#include "frame/entry.h"

#include "sound/sound_module.h"

namespace vexa {

int LibraryEntry(void* /*module*/, unsigned long reason, void* /*reserved*/) {
  if (reason == kProcessAttach) {
    if (SoundModule* sound = SoundModule::Instance()) sound->Init();
  }
  return 1;
}

}  // namespace vexa
