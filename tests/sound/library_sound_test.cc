// The variants that call into a library for each notification: the sound
// library "RtSound.dll" (platform 4) and the add-on named in the registry
// (platform 6). The test peers note their load, calls and unload in the
// winsim journal next to the registry operations, so each case checks one
// ordered list.
//
// Loading goes through the host dispatch table: a bare file name is looked
// up in the build's peer folder (the search path is the platform layer's
// business, and sanitizer runtimes that wrap dlopen lose the caller's run
// path), and a case can send "RtSound.dll" to another copy or to nowhere.

#include <cstdint>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/host/host_services.h"
#include "sound/sound_test_support.h"

namespace vexa {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using test::SoundTest;

constexpr char16_t kKey[] = u"Software\\Shell\\Config";

std::u16string Wide(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

// Where every load goes instead while set, and the names the library asked
// for.
std::u16string g_redirect;
std::vector<std::u16string> g_requested;

platform::Library RedirectedLoad(const char16_t* name) {
  g_requested.push_back(name);
  std::u16string path = name;
  if (!g_redirect.empty()) {
    path = g_redirect;
  } else if (path.find(u'/') == std::u16string::npos) {
    path = Wide(VEXA_PEER_DIR "/") + path;
  }
  return platform::host::DefaultServices().load_library(path.c_str());
}

class LibrarySoundTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    g_redirect.clear();
    g_requested.clear();
    services_.table().load_library = RedirectedLoad;
  }

  void Redirect(const std::string& path) { g_redirect = Wide(path); }

  void SetAddon(const std::u16string& value) {
    winsim::SetRegistryString(winsim::kCurrentUser, kKey, u"AddonDll", value);
  }

 private:
  platform::host::ScopedServices services_;
};

TEST_F(LibrarySoundTest, SoundLibraryIsLoadedCalledAndUnloadedEachTime) {
  auto module = ModuleFor(4);
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  EXPECT_EQ(module->StopPlaySound(0), 1);
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  EXPECT_THAT(winsim::Journal(),
              ElementsAre("RtSound.dll load", "RtSound.dll StartPlaySound",
                          "RtSound.dll unload", "RtSound.dll load",
                          "RtSound.dll StopPlaySound", "RtSound.dll unload",
                          "RtSound.dll load", "RtSound.dll StartPlaySound",
                          "RtSound.dll unload"));
  EXPECT_THAT(winsim::Deliveries(), IsEmpty());
}

TEST_F(LibrarySoundTest, MissingSoundLibraryIsPassedOverSilently) {
  Redirect("/nonexistent-vexa-peers/RtSound.dll");
  auto module = ModuleFor(4);
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  EXPECT_EQ(module->StopPlaySound(0), 1);
  EXPECT_THAT(g_requested, ElementsAre(u"RtSound.dll", u"RtSound.dll"));
  EXPECT_THAT(winsim::Journal(), IsEmpty());
}

TEST_F(LibrarySoundTest, SoundLibraryWithoutStopExportIsStillUnloaded) {
  Redirect(VEXA_RTSOUND_NOSTOP);
  auto module = ModuleFor(4);
  EXPECT_EQ(module->StopPlaySound(0), 1);
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  EXPECT_THAT(winsim::Journal(),
              ElementsAre("RtSound.dll load", "RtSound.dll unload",
                          "RtSound.dll load", "RtSound.dll StartPlaySound",
                          "RtSound.dll unload"));
}

TEST_F(LibrarySoundTest, AddonIsNotifiedOncePerCallInsideTheOpenKey) {
  SetAddon(u"VexaAddonNotify.dll");
  auto module = ModuleFor(6);
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  EXPECT_EQ(module->StopPlaySound(0), 1);
  EXPECT_THAT(
      winsim::Journal(),
      ElementsAre(StartsWith("reg-open"), StartsWith("reg-query"),
                  "VexaAddonNotify.dll load", "VexaAddonNotify.dll NavSoundNotify 0",
                  "VexaAddonNotify.dll unload", "reg-close",
                  StartsWith("reg-open"), StartsWith("reg-query"),
                  "VexaAddonNotify.dll load", "VexaAddonNotify.dll NavSoundNotify 1",
                  "VexaAddonNotify.dll unload", "reg-close"));
  EXPECT_EQ(winsim::OpenKeyCount(), 0);
}

TEST_F(LibrarySoundTest, AddonWithoutNotifyExportIsLoadedAndUnloaded) {
  SetAddon(u"VexaAddonSilent.dll");
  auto module = ModuleFor(6);
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  EXPECT_THAT(winsim::Journal(),
              ElementsAre(StartsWith("reg-open"), StartsWith("reg-query"),
                          "VexaAddonSilent.dll load",
                          "VexaAddonSilent.dll unload", "reg-close"));
}

TEST_F(LibrarySoundTest, NoKeyNoValueOrNoLibraryLoadsNothing) {
  auto module = ModuleFor(6);
  // No key at all.
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  // The key without the value.
  winsim::SetRegistryString(winsim::kCurrentUser, kKey, u"Other", u"x.dll");
  EXPECT_EQ(module->StopPlaySound(0), 1);
  // A value naming a library that is not there.
  SetAddon(u"NoSuchAddon.dll");
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  for (const std::string& line : winsim::Journal()) {
    EXPECT_THAT(line, StartsWith("reg-")) << "nothing but the registry";
  }
  EXPECT_EQ(winsim::OpenKeyCount(), 0);
}

// The value is read into a buffer of 260 UTF-16 units. A value of exactly
// that size with its terminator in the last unit is a usable name; a value
// that fills every unit without a terminator is not, and nothing may be
// loaded from it.
TEST_F(LibrarySoundTest, AddonNameMustBeTerminatedWithinTheBuffer) {
  std::string padded = VEXA_PEER_DIR "/";
  const std::string file = "VexaAddonNotify.dll";
  while (padded.size() + file.size() + 2 <= 259) padded += "./";
  if (padded.size() + file.size() == 258) padded += "/";
  std::u16string longest = Wide(padded + file);
  ASSERT_EQ(longest.size(), 259u);  // plus the terminator: 520 bytes
  SetAddon(longest);
  auto module = ModuleFor(6);
  module->StartPlaySound(nullptr);
  EXPECT_THAT(winsim::Journal(),
              ::testing::Contains("VexaAddonNotify.dll NavSoundNotify 0"));

  winsim::Reset();
  std::u16string unterminated = Wide(padded + file) + u"x";  // 260 units
  std::vector<std::uint8_t> bytes(
      reinterpret_cast<const std::uint8_t*>(unterminated.data()),
      reinterpret_cast<const std::uint8_t*>(unterminated.data()) + 520);
  winsim::SetRegistryBytes(winsim::kCurrentUser, kKey, u"AddonDll", bytes);
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  for (const std::string& line : winsim::Journal()) {
    EXPECT_THAT(line, StartsWith("reg-")) << "nothing may be loaded";
  }
  EXPECT_EQ(winsim::OpenKeyCount(), 0);
}

TEST_F(LibrarySoundTest, AddonValueLargerThanTheBufferLoadsNothing) {
  SetAddon(std::u16string(300, u'a'));
  auto module = ModuleFor(6);
  EXPECT_EQ(module->StartPlaySound(nullptr), 1);
  for (const std::string& line : winsim::Journal()) {
    EXPECT_THAT(line, StartsWith("reg-"));
  }
}

}  // namespace
}  // namespace vexa
