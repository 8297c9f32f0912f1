// Test peer standing in for the head unit's sound library "RtSound.dll",
// which platform 4 loads for every sound start and stop. It exports
// "StartPlaySound" and "StopPlaySound" (both without arguments) and notes
// its load, each call and its unload in the winsim journal, so a test reads
// them in one order together with everything else the library did.
//
// Built twice: RtSound.dll with both exports, and a copy in its own folder
// without "StopPlaySound" (RTSOUND_WITHOUT_STOP) for the missing-export
// case. Both carry the same file name, as the library asks for it by name.

#include "winsim.h"

#define RTSOUND_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

__attribute__((constructor)) void OnLoad() { winsim::Note("RtSound.dll load"); }

__attribute__((destructor)) void OnUnload() {
  winsim::Note("RtSound.dll unload");
}

}  // namespace

RTSOUND_EXPORT int StartPlaySound() {
  winsim::Note("RtSound.dll StartPlaySound");
  return 1;
}

#ifndef RTSOUND_WITHOUT_STOP
RTSOUND_EXPORT int StopPlaySound() {
  winsim::Note("RtSound.dll StopPlaySound");
  return 1;
}
#endif
