// The SND_ exports: thin shims over the SoundModule. Each obtains the
// module's instance and forwards; without a module or a variant they do
// nothing and return 0. The library is built without exceptions, so none
// can leave an export.

#include "sound/sound_module.h"
#include "vexa/vexa.h"

namespace {

template <class Call>
int ForwardToSound(Call call) {
  vexa::SoundModule* module = vexa::SoundModule::Instance();
  return module != nullptr ? call(*module) : 0;
}

}  // namespace

extern "C" {

VEXA_API int VEXA_CALL SND_Start_Play_Sound(const void* record) {
  return ForwardToSound(
      [record](vexa::SoundModule& m) { return m.StartPlaySound(record); });
}

VEXA_API int VEXA_CALL SND_Stop_Play_Sound(uint32_t value) {
  return ForwardToSound(
      [value](vexa::SoundModule& m) { return m.StopPlaySound(value); });
}

VEXA_API int VEXA_CALL SND_Set_Volume(uint32_t value) {
  return ForwardToSound(
      [value](vexa::SoundModule& m) { return m.SetVolume(value); });
}

VEXA_API int VEXA_CALL SND_Get_Volume(uint32_t value) {
  return ForwardToSound(
      [value](vexa::SoundModule& m) { return m.GetVolume(value); });
}

}  // extern "C"
