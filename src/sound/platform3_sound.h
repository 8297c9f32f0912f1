// Platform3Sound: platform code 3. The head unit follows the guidance
// sound by itself, so nothing is sent; start and stop report success.

#ifndef VEXA_SRC_SOUND_PLATFORM3_SOUND_H_
#define VEXA_SRC_SOUND_PLATFORM3_SOUND_H_

#include <cstdint>

#include "sound/sound_variant.h"

namespace vexa {

class Platform3Sound : public SoundVariant {
 public:
  int Init() override;
  int Uninit() override;
  int StartPlaySound(const void* record) override;
  int StopPlaySound(std::uint32_t value) override;
  int SetVolume(std::uint32_t value) override;
  int GetVolume(std::uint32_t value) override;
};

}  // namespace vexa

#endif  // VEXA_SRC_SOUND_PLATFORM3_SOUND_H_
