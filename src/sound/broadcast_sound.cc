#include "sound/broadcast_sound.h"

#include "platform/platform.h"

namespace vexa {

int BroadcastSound::Init() { return 1; }

int BroadcastSound::Uninit() { return 1; }

int BroadcastSound::StartPlaySound(const void* /*record*/) {
  return static_cast<int>(platform::DeliverMessage(platform::kBroadcastWindow,
                                                   kStartMessage, 0, 0));
}

int BroadcastSound::StopPlaySound(std::uint32_t /*value*/) {
  return static_cast<int>(platform::DeliverMessage(platform::kBroadcastWindow,
                                                   kStopMessage, 0, 0));
}

int BroadcastSound::SetVolume(std::uint32_t /*value*/) { return 1; }

int BroadcastSound::GetVolume(std::uint32_t /*value*/) { return 1; }

}  // namespace vexa
