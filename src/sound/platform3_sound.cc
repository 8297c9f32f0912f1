#include "sound/platform3_sound.h"

namespace vexa {

int Platform3Sound::Init() { return 1; }

int Platform3Sound::Uninit() { return 1; }

int Platform3Sound::StartPlaySound(const void* /*record*/) { return 1; }

int Platform3Sound::StopPlaySound(std::uint32_t /*value*/) { return 1; }

int Platform3Sound::SetVolume(std::uint32_t /*value*/) { return 1; }

int Platform3Sound::GetVolume(std::uint32_t /*value*/) { return 1; }

}  // namespace vexa
