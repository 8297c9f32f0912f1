// Broadcasts through Vexa.dll under Wine, delivered for real: a top-level
// window of this process and one of a helper process both receive the
// sound notifications of the default variant (2025, 2026) and of platform 9
// (1166 with wParam 0, then 65537), and each start and stop returns 1, the
// result of a broadcast, whatever the windows answer.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/vexa_library.h"

namespace vexa::test {
namespace {

using ::testing::ElementsAreArray;

// What a window received, in the helper's own format:
// "message <number> <wParam> <lParam>".
std::string Line(UINT message, WPARAM wparam, LPARAM lparam) {
  char line[80];
  std::snprintf(line, sizeof line, "message %u %llu %lld", message,
                static_cast<unsigned long long>(wparam),
                static_cast<long long>(lparam));
  return line;
}

std::vector<std::string> g_received;

// Answers like the helper (message + 1000), so a result of 1 shows that the
// answer of a window is not what the broadcast returns.
LRESULT CALLBACK ListeningProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m >= WM_USER && m < 0xC000) {
    g_received.push_back(Line(m, wp, lp));
    return m + 1000;
  }
  return DefWindowProcW(w, m, wp, lp);
}

const wchar_t kHelperTitle[] = L"VexaBroadcastListener";  // one word: an argument

struct Case {
  int platform_code;
  UINT start_message;
  WPARAM start_wparam;
  UINT stop_message;
  WPARAM stop_wparam;
};

void PrintTo(const Case& c, std::ostream* os) { *os << "platform " << c.platform_code; }

class BroadcastTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received.clear();
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = ListeningProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"VexaBroadcastTestWindow";
    RegisterClassW(&window_class);
    // Invisible: a broadcast reaches hidden top-level windows too.
    local_ = CreateWindowExW(0, window_class.lpszClassName, L"vexa broadcast local",
                             WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                             window_class.hInstance, nullptr);
    ASSERT_NE(local_, nullptr);
  }

  void TearDown() override {
    vexa_.reset();
    DestroyWindow(local_);
  }

  HWND local_ = nullptr;
  std::unique_ptr<VexaLibrary> vexa_;
};

class BroadcastVariantTest : public BroadcastTest,
                             public ::testing::WithParamInterface<Case> {};

TEST_P(BroadcastVariantTest, StartAndStopReachWindowsOfBothProcesses) {
  const Case& c = GetParam();
  ChildProcess helper(L"navi_window.exe", kHelperTitle);
  ASSERT_TRUE(helper.started());
  ASSERT_EQ(helper.ReadLine(), "ready");
  SetEnv("VEXA_PLATFORM_CODE", std::to_string(c.platform_code));
  vexa_ = std::make_unique<VexaLibrary>();
  ASSERT_TRUE(vexa_->loaded());

  unsigned char record[8] = {0, 0, 0, 0, 41, 0, 0, 0};
  EXPECT_EQ(vexa_->SND_Start_Play_Sound(record), 1);
  EXPECT_EQ(vexa_->SND_Stop_Play_Sound(0), 1);

  // Ending the helper ends its output, so reading it cannot hang.
  HWND remote = FindWindowW(nullptr, kHelperTitle);
  ASSERT_NE(remote, nullptr);
  PostMessageW(remote, WM_CLOSE, 0, 0);
  EXPECT_EQ(helper.Wait(10000), 0);
  std::vector<std::string> remote_received;
  for (std::string line = helper.ReadLine(); !line.empty(); line = helper.ReadLine()) {
    remote_received.push_back(line);
  }

  const std::vector<std::string> expected = {
      Line(c.start_message, c.start_wparam, 0), Line(c.stop_message, c.stop_wparam, 0)};
  EXPECT_THAT(g_received, ElementsAreArray(expected));
  EXPECT_THAT(remote_received, ElementsAreArray(expected));
}

// A window whose thread has stopped taking messages costs the broadcast a
// short wait only: the start still returns, and the other windows get it.
DWORD WINAPI OwnAWindowAndStopAnswering(void* release) {
  HWND window = CreateWindowExW(0, L"VexaBroadcastTestWindow", L"vexa broadcast stuck",
                                WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  WaitForSingleObject(static_cast<HANDLE>(release), 30000);
  DestroyWindow(window);
  return window != nullptr ? 0 : 1;
}

TEST_F(BroadcastTest, AWindowThatDoesNotAnswerOnlyDelaysTheBroadcast) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE stuck = CreateThread(nullptr, 0, OwnAWindowAndStopAnswering, release, 0, nullptr);
  ASSERT_TRUE(release && stuck);
  while (FindWindowW(nullptr, L"vexa broadcast stuck") == nullptr) Sleep(10);
  SetEnv("VEXA_PLATFORM_CODE", "1");
  vexa_ = std::make_unique<VexaLibrary>();
  ASSERT_TRUE(vexa_->loaded());

  const DWORD start = GetTickCount();
  EXPECT_EQ(vexa_->SND_Start_Play_Sound(nullptr), 1);
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_THAT(g_received, ElementsAreArray({Line(2025, 0, 0)}));

  SetEvent(release);
  WaitForSingleObject(stuck, 10000);
  CloseHandle(stuck);
  CloseHandle(release);
}

INSTANTIATE_TEST_SUITE_P(SoundVariants, BroadcastVariantTest,
                         ::testing::Values(Case{1, 2025, 0, 2026, 0},
                                           Case{9, 1166, 0, 1166, 0x10001}));

}  // namespace
}  // namespace vexa::test
