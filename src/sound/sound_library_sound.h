// SoundLibrarySound: platform code 4. The head unit's sound library
// "RtSound.dll" is loaded for each notification, its export
// "StartPlaySound" or "StopPlaySound" is called without arguments, and the
// library is unloaded again; nothing is kept between calls.
//
// Whatever is missing (the library, the export) is passed over silently:
// start and stop always return 1.

#ifndef VEXA_SRC_SOUND_SOUND_LIBRARY_SOUND_H_
#define VEXA_SRC_SOUND_SOUND_LIBRARY_SOUND_H_

#include <cstdint>

#include "sound/sound_variant.h"

namespace vexa {

class SoundLibrarySound : public SoundVariant {
 public:
  static constexpr const char16_t kLibrary[] = u"RtSound.dll";
  static constexpr const char kStartExport[] = "StartPlaySound";
  static constexpr const char kStopExport[] = "StopPlaySound";

  int Init() override;
  int Uninit() override;
  int StartPlaySound(const void* record) override;
  int StopPlaySound(std::uint32_t value) override;
  int SetVolume(std::uint32_t value) override;
  int GetVolume(std::uint32_t value) override;
};

}  // namespace vexa

#endif  // VEXA_SRC_SOUND_SOUND_LIBRARY_SOUND_H_
