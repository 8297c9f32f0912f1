// NaviWindowSound: platform code 10. The head unit's window titled
// "Navi_Window" receives message 4038 on a start and 1026 on a stop. The
// window is looked up anew on every call; when there is none the message
// goes to the null window handle, and the delivery's result is passed back
// unchanged either way.

#ifndef VEXA_SRC_SOUND_NAVI_WINDOW_SOUND_H_
#define VEXA_SRC_SOUND_NAVI_WINDOW_SOUND_H_

#include <cstdint>

#include "sound/sound_variant.h"

namespace vexa {

class NaviWindowSound : public SoundVariant {
 public:
  static constexpr const char16_t kTitle[] = u"Navi_Window";
  static constexpr std::uint32_t kStartMessage = 4038;  // 0xFC6
  static constexpr std::uint32_t kStopMessage = 1026;   // 0x402

  int Init() override;
  int Uninit() override;
  int StartPlaySound(const void* record) override;
  int StopPlaySound(std::uint32_t value) override;
  int SetVolume(std::uint32_t value) override;
  int GetVolume(std::uint32_t value) override;
};

}  // namespace vexa

#endif  // VEXA_SRC_SOUND_NAVI_WINDOW_SOUND_H_
