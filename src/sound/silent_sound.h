// SilentSound: platform codes 2, 3 and 13. These head units follow the
// guidance sound by themselves, so nothing is sent; start and stop report
// success. One class serves all three codes: they differ in nothing but
// their number.

#ifndef VEXA_SRC_SOUND_SILENT_SOUND_H_
#define VEXA_SRC_SOUND_SILENT_SOUND_H_

#include <cstdint>

#include "sound/sound_variant.h"

namespace vexa {

class SilentSound : public SoundVariant {
 public:
  int Init() override;
  int Uninit() override;
  int StartPlaySound(const void* record) override;  // does nothing; 1
  int StopPlaySound(std::uint32_t value) override;  // does nothing; 1
  int SetVolume(std::uint32_t value) override;
  int GetVolume(std::uint32_t value) override;
};

// The platforms' own names for it, as the choice of variant uses them.
using Platform2Sound = SilentSound;
using Platform3Sound = SilentSound;
using Platform13Sound = SilentSound;

}  // namespace vexa

#endif  // VEXA_SRC_SOUND_SILENT_SOUND_H_
