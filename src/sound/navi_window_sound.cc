#include "sound/navi_window_sound.h"

#include "platform/platform.h"

namespace vexa {

namespace {

int SendToNaviWindow(std::uint32_t message) {
  platform::Window window =
      platform::FindWindowByTitle(NaviWindowSound::kTitle);
  return static_cast<int>(platform::DeliverMessage(window, message, 0, 0));
}

}  // namespace

int NaviWindowSound::Init() { return 1; }

int NaviWindowSound::Uninit() { return 1; }

int NaviWindowSound::StartPlaySound(const void* /*record*/) {
  return SendToNaviWindow(kStartMessage);
}

int NaviWindowSound::StopPlaySound(std::uint32_t /*value*/) {
  return SendToNaviWindow(kStopMessage);
}

int NaviWindowSound::SetVolume(std::uint32_t /*value*/) { return 1; }

int NaviWindowSound::GetVolume(std::uint32_t /*value*/) { return 1; }

}  // namespace vexa
