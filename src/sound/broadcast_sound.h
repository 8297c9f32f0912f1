// BroadcastSound: the default variant (platform code 1 and every code that
// has no variant of its own). The head unit listens for two window
// messages broadcast to all top-level windows.

#ifndef VEXA_SRC_SOUND_BROADCAST_SOUND_H_
#define VEXA_SRC_SOUND_BROADCAST_SOUND_H_

#include <cstdint>

#include "sound/sound_variant.h"

namespace vexa {

class BroadcastSound : public SoundVariant {
 public:
  static constexpr std::uint32_t kStartMessage = 2025;  // 0x7E9
  static constexpr std::uint32_t kStopMessage = 2026;   // 0x7EA

  int Init() override;
  int Uninit() override;
  // Broadcast the message with wParam 0 and lParam 0; the delivery's result
  // is passed back unchanged.
  int StartPlaySound(const void* record) override;
  int StopPlaySound(std::uint32_t value) override;
  int SetVolume(std::uint32_t value) override;
  int GetVolume(std::uint32_t value) override;
};

}  // namespace vexa

#endif  // VEXA_SRC_SOUND_BROADCAST_SOUND_H_
