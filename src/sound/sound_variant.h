// SoundVariant: how one hardware platform is told that the navigation
// program starts or stops its guidance sound. The SoundModule owns exactly
// one variant, chosen by the platform code at process attach.
//
// The six operations stand in a fixed slot order. The destructor comes
// after them and calls none of them: a variant that is replaced or freed at
// unload is simply deleted, so Uninit is never run by the library. It is
// virtual so that deleting a variant through this interface is defined.
//
// Threading: operations run on the caller's thread and take no lock.

#ifndef VEXA_SRC_SOUND_SOUND_VARIANT_H_
#define VEXA_SRC_SOUND_SOUND_VARIANT_H_

#include <cstdint>

namespace vexa {

class SoundVariant {
 public:
  // Prepares the variant; called once, from SoundModule::Init. 1 on
  // success, 0 when a platform resource could not be obtained.
  virtual int Init() = 0;
  // Gives back what Init obtained. The library never calls it.
  virtual int Uninit() = 0;
  // Guidance sound starts. `record` is the caller's sound record; only the
  // shared-buffer variant reads it, and nobody writes to it.
  virtual int StartPlaySound(const void* record) = 0;
  // Guidance sound stops. `value` is not used.
  virtual int StopPlaySound(std::uint32_t value) = 0;
  // No effect on any platform; the results carry no information.
  virtual int SetVolume(std::uint32_t value) = 0;
  virtual int GetVolume(std::uint32_t value) = 0;

  virtual ~SoundVariant() = default;
};

}  // namespace vexa

#endif  // VEXA_SRC_SOUND_SOUND_VARIANT_H_
