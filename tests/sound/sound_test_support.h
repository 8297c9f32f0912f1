// Shared fixture of the sound tests: a fresh simulated window system and
// registry for each case, and a kernel-object prefix of the case's own, so
// that cases running in parallel never share the platform-9 event and
// mapping. Variants are driven through a SoundModule made for a platform
// code, as process attach makes it.

#ifndef VEXA_TESTS_SOUND_SOUND_TEST_SUPPORT_H_
#define VEXA_TESTS_SOUND_SOUND_TEST_SUPPORT_H_

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/host/named_event.h"
#include "sound/shared_buffer_sound.h"
#include "sound/sound_module.h"
#include "winsim.h"

namespace vexa::test {

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winsim::Reset();
    const char* base = std::getenv("VEXA_IPC_PREFIX");
    had_base_ = base != nullptr;
    if (had_base_) base_ = base;
    prefix_ = (had_base_ ? base_ : std::string("vexa-test-")) + "sound-" +
              std::to_string(getpid()) + "-";
    setenv("VEXA_IPC_PREFIX", prefix_.c_str(), 1);
    platform::host::UnlinkNamedObjects(prefix_.c_str());
  }

  void TearDown() override {
    SharedBufferSound::TEST_CloseAll();
    platform::host::UnlinkNamedObjects(prefix_.c_str());
    unsetenv("VEXA_PLATFORM_CODE");
    if (had_base_) {
      setenv("VEXA_IPC_PREFIX", base_.c_str(), 1);
    } else {
      unsetenv("VEXA_IPC_PREFIX");
    }
    winsim::Reset();
  }

  // A module initialised as process attach does, for `platform_code`.
  static std::unique_ptr<SoundModule> ModuleFor(int platform_code) {
    setenv("VEXA_PLATFORM_CODE", std::to_string(platform_code).c_str(), 1);
    auto module = std::make_unique<SoundModule>();
    EXPECT_EQ(module->Init(), 1);
    return module;
  }

  const std::string& prefix() const { return prefix_; }

 private:
  std::string prefix_;
  std::string base_;
  bool had_base_ = false;
};

// A delivery as the variants make them: lParam is always 0.
inline winsim::Delivery Sent(winsim::Window target, std::uint32_t message,
                             std::uintptr_t wparam = 0) {
  return winsim::Delivery{target, message, wparam, 0};
}

}  // namespace vexa::test

// Comparison and printing for the matchers, found by argument-dependent
// lookup.
namespace winsim {

inline bool operator==(const Delivery& a, const Delivery& b) {
  return a.target == b.target && a.message == b.message &&
         a.wparam == b.wparam && a.lparam == b.lparam;
}

inline void PrintTo(const Delivery& d, std::ostream* os) {
  *os << "{target " << d.target << ", message " << d.message << ", wparam "
      << d.wparam << ", lparam " << d.lparam << "}";
}

}  // namespace winsim

#endif  // VEXA_TESTS_SOUND_SOUND_TEST_SUPPORT_H_
