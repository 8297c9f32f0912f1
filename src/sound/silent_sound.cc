#include "sound/silent_sound.h"

namespace vexa {

int SilentSound::Init() { return 1; }

int SilentSound::Uninit() { return 1; }

int SilentSound::StartPlaySound(const void* /*record*/) { return 1; }

int SilentSound::StopPlaySound(std::uint32_t /*value*/) { return 1; }

int SilentSound::SetVolume(std::uint32_t /*value*/) { return 1; }

int SilentSound::GetVolume(std::uint32_t /*value*/) { return 1; }

}  // namespace vexa
