// AddonNotifySound: platform code 6. An add-on library, named by the
// registry value "AddonDll" under HKEY_CURRENT_USER\Software\Shell\Config,
// is loaded for each notification and its export "NavSoundNotify" is
// called with 0 (start) or 1 (stop). Key and library are acquired and
// released within the call: the key is opened first and closed only after
// the library has been unloaded.
//
// Whatever is missing (key, value, library, export) is passed over
// silently: start and stop always return 1. A value that fills the whole
// 520-byte buffer without a terminating zero unit is no file name; it is
// treated like a failed query and nothing is loaded.

#ifndef VEXA_SRC_SOUND_ADDON_NOTIFY_SOUND_H_
#define VEXA_SRC_SOUND_ADDON_NOTIFY_SOUND_H_

#include <cstddef>
#include <cstdint>

#include "sound/sound_variant.h"

namespace vexa {

class AddonNotifySound : public SoundVariant {
 public:
  static constexpr const char16_t kKey[] = u"Software\\Shell\\Config";
  static constexpr const char16_t kValue[] = u"AddonDll";
  static constexpr const char kExport[] = "NavSoundNotify";
  static constexpr std::size_t kNameUnits = 260;  // 520 bytes
  static constexpr std::uint32_t kStartValue = 0;
  static constexpr std::uint32_t kStopValue = 1;

  int Init() override;
  int Uninit() override;
  int StartPlaySound(const void* record) override;
  int StopPlaySound(std::uint32_t value) override;
  int SetVolume(std::uint32_t value) override;
  int GetVolume(std::uint32_t value) override;
};

}  // namespace vexa

#endif  // VEXA_SRC_SOUND_ADDON_NOTIFY_SOUND_H_
