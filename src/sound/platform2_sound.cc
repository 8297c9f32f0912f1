#include "sound/platform2_sound.h"

namespace vexa {

int Platform2Sound::Init() { return 1; }

int Platform2Sound::Uninit() { return 1; }

int Platform2Sound::StartPlaySound(const void* /*record*/) { return 1; }

int Platform2Sound::StopPlaySound(std::uint32_t /*value*/) { return 1; }

int Platform2Sound::SetVolume(std::uint32_t /*value*/) { return 1; }

int Platform2Sound::GetVolume(std::uint32_t /*value*/) { return 1; }

}  // namespace vexa
