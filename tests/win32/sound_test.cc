// The sound notifications through Vexa.dll under Wine, one platform code
// per case (the variant is chosen at process attach): real library loading
// of the test peers, a registry value in the prefix, named kernel objects
// opened by a second process, and messages to a window of another process.
// The broadcasts of the default variant and of platform 9 reaching windows:
// broadcast_test.cc.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/scratch_folder.h"
#include "support/vexa_library.h"

namespace vexa::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

const wchar_t kAddonKey[] = L"Software\\Shell\\Config";

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnv("VEXA_PEER_JOURNAL", scratch_.AnsiPath(L"journal.txt"));
  }

  void TearDown() override {
    vexa_.reset();
    SetDllDirectoryW(nullptr);
    if (registry_touched_) RegDeleteKeyW(HKEY_CURRENT_USER, kAddonKey);
  }

  // Loads Vexa.dll with `code` from PC.dll.
  void Load(int code) {
    SetEnv("VEXA_PLATFORM_CODE", std::to_string(code));
    vexa_ = std::make_unique<VexaLibrary>();
    ASSERT_TRUE(vexa_->loaded());
  }

  // Names the add-on library in HKCU\Software\Shell\Config, value AddonDll.
  void SetAddon(const std::wstring& file) {
    registry_touched_ = true;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kAddonKey, 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"AddonDll", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(file.c_str()),
                   static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }

  std::vector<std::string> Journal() const {
    return Lines(scratch_.Read(L"journal.txt"));
  }

  static std::wstring SoundPeers() { return ProgramFolder() + L"sound_peers"; }

  ScratchFolder scratch_;
  std::unique_ptr<VexaLibrary> vexa_;
  bool registry_touched_ = false;
};

TEST_F(SoundTest, SoundLibraryIsLoadedCalledAndUnloadedEachTime) {
  ASSERT_TRUE(SetDllDirectoryW(SoundPeers().c_str()));
  Load(4);
  EXPECT_EQ(vexa_->SND_Start_Play_Sound(nullptr), 1);
  EXPECT_EQ(vexa_->SND_Stop_Play_Sound(0), 1);
  EXPECT_THAT(Journal(),
              ElementsAre("RtSound.dll load", "RtSound.dll StartPlaySound",
                          "RtSound.dll unload", "RtSound.dll load",
                          "RtSound.dll StopPlaySound", "RtSound.dll unload"));
  EXPECT_EQ(GetModuleHandleW(L"RtSound.dll"), nullptr);
}

TEST_F(SoundTest, MissingSoundLibraryIsSilent) {
  Load(4);
  EXPECT_EQ(vexa_->SND_Start_Play_Sound(nullptr), 1);
  EXPECT_EQ(vexa_->SND_Stop_Play_Sound(0), 1);
  EXPECT_THAT(Journal(), IsEmpty());
}

TEST_F(SoundTest, AddonNamedInTheRegistryIsNotifiedWithZeroThenOne) {
  SetAddon(SoundPeers() + L"\\VexaAddonNotify.dll");
  Load(6);
  EXPECT_EQ(vexa_->SND_Start_Play_Sound(nullptr), 1);
  EXPECT_EQ(vexa_->SND_Stop_Play_Sound(0), 1);
  EXPECT_THAT(Journal(), ElementsAre("VexaAddonNotify.dll load",
                                     "VexaAddonNotify.dll NavSoundNotify 0",
                                     "VexaAddonNotify.dll unload",
                                     "VexaAddonNotify.dll load",
                                     "VexaAddonNotify.dll NavSoundNotify 1",
                                     "VexaAddonNotify.dll unload"));
}

TEST_F(SoundTest, AddonWithoutNotifyExportIsLoadedAndUnloaded) {
  SetAddon(SoundPeers() + L"\\VexaAddonSilent.dll");
  Load(6);
  EXPECT_EQ(vexa_->SND_Start_Play_Sound(nullptr), 1);
  EXPECT_THAT(Journal(), ElementsAre("VexaAddonSilent.dll load",
                                     "VexaAddonSilent.dll unload"));
}

TEST_F(SoundTest, AddonWithoutRegistryValueLoadsNothing) {
  registry_touched_ = true;
  RegDeleteKeyW(HKEY_CURRENT_USER, kAddonKey);
  Load(6);
  EXPECT_EQ(vexa_->SND_Start_Play_Sound(nullptr), 1);
  EXPECT_EQ(vexa_->SND_Stop_Play_Sound(0), 1);
  EXPECT_THAT(Journal(), IsEmpty());
}

// A listener in another process opens the library's event and mapping by
// name, sees the word of each start and exactly one signal per start.
TEST_F(SoundTest, SharedBufferReachesAListenerInAnotherProcess) {
  Load(9);
  ChildProcess listener(L"shared_buffer_listener.exe", L"");
  ASSERT_TRUE(listener.started());
  ASSERT_EQ(listener.ReadLine(), "ready");

  unsigned char record[8] = {0xEE, 0xEE, 0xEE, 0xEE, 41, 0, 0, 0};
  EXPECT_EQ(vexa_->SND_Start_Play_Sound(record), 1);
  listener.WriteLine("wait");
  EXPECT_EQ(listener.ReadLine(), "signal 42");
  listener.WriteLine("poll");
  EXPECT_EQ(listener.ReadLine(), "timeout");

  std::memset(record + 4, 0xFF, 4);
  EXPECT_EQ(vexa_->SND_Start_Play_Sound(record), 1);
  listener.WriteLine("wait");
  EXPECT_EQ(listener.ReadLine(), "signal 0");

  EXPECT_EQ(vexa_->SND_Stop_Play_Sound(5), 1);
  listener.WriteLine("poll");
  EXPECT_EQ(listener.ReadLine(), "timeout");
  listener.WriteLine("quit");
  EXPECT_EQ(listener.Wait(10000), 0);

  const unsigned char untouched[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::memcmp(record, untouched, sizeof record), 0);
}

// The window titled "Navi_Window" belongs to another process; its answers
// (message + 1000) come back as the results.
TEST_F(SoundTest, NaviWindowInAnotherProcessReceivesStartAndStop) {
  ChildProcess helper(L"navi_window.exe", L"");
  ASSERT_TRUE(helper.started());
  ASSERT_EQ(helper.ReadLine(), "ready");
  Load(10);

  EXPECT_EQ(vexa_->SND_Start_Play_Sound(nullptr), 4038 + 1000);
  EXPECT_EQ(helper.ReadLine(), "message 4038 0 0");
  EXPECT_EQ(vexa_->SND_Stop_Play_Sound(0), 1026 + 1000);
  EXPECT_EQ(helper.ReadLine(), "message 1026 0 0");

  HWND window = FindWindowW(nullptr, L"Navi_Window");
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(helper.Wait(10000), 0);
}

}  // namespace
}  // namespace vexa::test
