// SoundModule: the module behind the SND_ exports. It owns the sound
// variant for the head unit's platform, chosen once per process at process
// attach, and forwards each SND_ call to it.
//
// Threading: Init runs inside the process-attach notification on the
// loading thread; the forwarding operations run on the caller's thread and
// take no lock (the variant is never replaced after attach).

#ifndef VEXA_SRC_SOUND_SOUND_MODULE_H_
#define VEXA_SRC_SOUND_SOUND_MODULE_H_

#include <cstdint>

#include "frame/module_instance.h"
#include "frame/owning_pointer.h"
#include "sound/sound_variant.h"

namespace vexa {

class SoundModule {
 public:
  static constexpr const char kName[] = "SoundModule";

  // The single instance, created on first use (at process attach in
  // practice); null when it could not be allocated.
  static SoundModule* Instance() { return ModuleInstance<SoundModule>::Get(); }

  // A new variant for `platform_code`, or null when it cannot be allocated.
  // The caller owns it.
  static SoundVariant* NewVariant(int platform_code);

  SoundModule() = default;
  SoundModule(const SoundModule&) = delete;
  SoundModule& operator=(const SoundModule&) = delete;

  // Asks the platform library for the platform code, installs the variant
  // for it (deleting any previous one) and runs the variant's Init, whose
  // result is ignored. Returns 1.
  int Init();

  // Forward to the variant. Without a variant (its allocation failed) they
  // do nothing and return 0.
  int StartPlaySound(const void* record);
  int StopPlaySound(std::uint32_t value);
  int SetVolume(std::uint32_t value);
  int GetVolume(std::uint32_t value);

  // The current variant, or null. For tests and diagnostics.
  SoundVariant* variant() const { return variant_.get(); }

 private:
  OwningPointer<SoundVariant> variant_;
};

}  // namespace vexa

#endif  // VEXA_SRC_SOUND_SOUND_MODULE_H_
