#include "sound/platform13_sound.h"

namespace vexa {

int Platform13Sound::Init() { return 1; }

int Platform13Sound::Uninit() { return 1; }

int Platform13Sound::StartPlaySound(const void* /*record*/) { return 1; }

int Platform13Sound::StopPlaySound(std::uint32_t /*value*/) { return 1; }

int Platform13Sound::SetVolume(std::uint32_t /*value*/) { return 1; }

int Platform13Sound::GetVolume(std::uint32_t /*value*/) { return 1; }

}  // namespace vexa
