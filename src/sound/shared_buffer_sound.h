// SharedBufferSound: platform code 9. The head unit's listener shares a
// 4-byte word (the mapping "Navi_Share_Buffer") and waits on the auto-reset
// event "Come_From_NaviExe_Even". A start writes the word at offset 4 of the
// caller's sound record plus one into the shared word, then signals the
// event, then broadcasts message 1166 with wParam 0; a stop only broadcasts
// 1166 with wParam 65537.
//
// The event, the mapping and its view are process-wide state, opened by
// Init at process attach and kept until the process ends: the library never
// calls Uninit, and deleting the variant closes nothing. Without a view
// (Init failed) a start only broadcasts. A null sound record is treated the
// same way: nothing is read, written or signalled, the broadcast still goes
// out.
//
// Threading: Init runs at process attach; starts and stops must not run
// concurrently with it.

#ifndef VEXA_SRC_SOUND_SHARED_BUFFER_SOUND_H_
#define VEXA_SRC_SOUND_SHARED_BUFFER_SOUND_H_

#include <cstddef>
#include <cstdint>

#include "sound/sound_variant.h"

namespace vexa {

class SharedBufferSound : public SoundVariant {
 public:
  static constexpr const char16_t kEventName[] = u"Come_From_NaviExe_Even";
  static constexpr const char16_t kMappingName[] = u"Navi_Share_Buffer";
  static constexpr std::uint32_t kMappingSize = 4;
  static constexpr std::uint32_t kMessage = 1166;           // 0x48E
  static constexpr std::uintptr_t kStartWParam = 0;
  static constexpr std::uintptr_t kStopWParam = 65537;      // 0x10001
  static constexpr std::size_t kRecordWordOffset = 4;

  // Creates (or opens) the event and the mapping and maps the view. 1 on
  // success; 0 when one of them fails, with the event closed again (the
  // mapping handle stays open when only the view failed).
  int Init() override;
  // Closes the event and unmaps the view; the mapping handle is forgotten
  // without being closed.
  int Uninit() override;
  int StartPlaySound(const void* record) override;
  int StopPlaySound(std::uint32_t value) override;
  int SetVolume(std::uint32_t value) override;
  int GetVolume(std::uint32_t value) override;

  // Test hook: closes the event, the view and the mapping and forgets them,
  // so that each test starts from the state of a freshly loaded library.
  static void TEST_CloseAll();
};

}  // namespace vexa

#endif  // VEXA_SRC_SOUND_SHARED_BUFFER_SOUND_H_
