// The control hand-over through Vexa.dll under Wine: platform 2's display
// escape on the device context of the given window, and platform 6's walk
// down a real z-order of top-level windows to the next visible one.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/vexa_library.h"

namespace vexa::test {
namespace {

constexpr int kEscape = static_cast<int>(0x80002EFC);

// ---- Platform 2: the escape, watched at the DLL's imports ----------------

struct EscapeCall {
  HDC dc;
  int code;
  int input_size;
  LPCSTR input;
  int output_size;
  LPSTR output;
};

std::vector<HWND> g_dc_windows;      // GetDC arguments
std::vector<HDC> g_dcs;              // GetDC results
std::vector<HDC> g_released;         // ReleaseDC arguments
std::vector<EscapeCall> g_escapes;
int g_escape_answer = 0;
decltype(&GetDC) g_real_get_dc = nullptr;
decltype(&ReleaseDC) g_real_release_dc = nullptr;

HDC WINAPI RecordingGetDC(HWND window) {
  HDC dc = g_real_get_dc(window);
  g_dc_windows.push_back(window);
  g_dcs.push_back(dc);
  return dc;
}

int WINAPI RecordingReleaseDC(HWND window, HDC dc) {
  g_released.push_back(dc);
  return g_real_release_dc(window, dc);
}

int WINAPI AnsweringExtEscape(HDC dc, int code, int input_size, LPCSTR input,
                              int output_size, LPSTR output) {
  g_escapes.push_back({dc, code, input_size, input, output_size, output});
  return g_escape_answer;
}

LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(w, m, wp, lp);
}

// Top-level windows of this test, destroyed at the end.
class TestWindows {
 public:
  TestWindows() {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = PlainWindowProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"VexaControlTestWindow";
    RegisterClassW(&window_class);
  }
  ~TestWindows() {
    for (HWND w : windows_) DestroyWindow(w);
  }
  HWND Create(const wchar_t* title, bool visible) {
    HWND w = CreateWindowExW(0, L"VexaControlTestWindow", title,
                             WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                             10, 10, 200, 100, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (w != nullptr) windows_.push_back(w);
    return w;
  }

 private:
  std::vector<HWND> windows_;
};

class ControlTest : public ::testing::Test {
 protected:
  void Load(int code) {
    SetEnv("VEXA_PLATFORM_CODE", std::to_string(code));
    vexa_ = std::make_unique<VexaLibrary>();
    ASSERT_TRUE(vexa_->loaded());
  }

  void WatchEscapes() {
    g_real_get_dc = reinterpret_cast<decltype(&GetDC)>(vexa_->ReplaceImport(
        "user32.dll", "GetDC", reinterpret_cast<void*>(&RecordingGetDC)));
    g_real_release_dc = reinterpret_cast<decltype(&ReleaseDC)>(vexa_->ReplaceImport(
        "user32.dll", "ReleaseDC", reinterpret_cast<void*>(&RecordingReleaseDC)));
    ASSERT_NE(vexa_->ReplaceImport("gdi32.dll", "ExtEscape",
                                   reinterpret_cast<void*>(&AnsweringExtEscape)),
              nullptr);
    ASSERT_NE(g_real_get_dc, nullptr);
    ASSERT_NE(g_real_release_dc, nullptr);
  }

  TestWindows windows_;
  std::unique_ptr<VexaLibrary> vexa_;
};

TEST_F(ControlTest, EscapeGoesToTheDeviceContextOfTheLatestWindow) {
  HWND first = windows_.Create(L"vexa control first", true);
  HWND second = windows_.Create(L"vexa control second", true);
  ASSERT_TRUE(first && second);
  Load(2);
  WatchEscapes();

  EXPECT_EQ(vexa_->CTL_Init(ToVexaWindow(first)), 1);
  EXPECT_EQ(vexa_->CTL_IsExist(), 1);
  g_escape_answer = -7;
  EXPECT_EQ(vexa_->CTL_Switch_To_Control(), -7);
  EXPECT_EQ(vexa_->CTL_Init(ToVexaWindow(second)), 1);
  g_escape_answer = 0;
  EXPECT_EQ(vexa_->CTL_Switch_To_Control(), 0);

  ASSERT_EQ(g_escapes.size(), 2u);
  EXPECT_EQ(g_dc_windows, (std::vector<HWND>{first, second}));
  for (size_t i = 0; i < g_escapes.size(); ++i) {
    EXPECT_NE(g_dcs[i], nullptr);
    EXPECT_EQ(g_escapes[i].dc, g_dcs[i]);
    EXPECT_EQ(g_escapes[i].code, kEscape);
    EXPECT_EQ(g_escapes[i].input_size, 0);
    EXPECT_EQ(g_escapes[i].input, nullptr);
    EXPECT_EQ(g_escapes[i].output_size, 0);
    EXPECT_EQ(g_escapes[i].output, nullptr);
  }
  // Each device context goes back to the window system.
  EXPECT_EQ(g_released, g_dcs);
}

// Without interception the driver's own answer comes back unchanged.
TEST_F(ControlTest, EscapeResultOfTheRealDriverIsPassedThrough) {
  HWND window = windows_.Create(L"vexa control escape", true);
  ASSERT_NE(window, nullptr);
  HDC dc = GetDC(window);
  const int expected = ExtEscape(dc, kEscape, 0, nullptr, 0, nullptr);
  ReleaseDC(window, dc);
  Load(2);
  vexa_->CTL_Init(ToVexaWindow(window));
  EXPECT_EQ(vexa_->CTL_Switch_To_Control(), expected);
}

// ---- Platform 6: a real z-order ------------------------------------------

// Stacks `order` at the top of the z-order, first on top, without
// activating anything.
void StackOnTop(const std::vector<HWND>& order) {
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

TEST_F(ControlTest, ForegroundGoesToTheNextVisibleWindowBelow) {
  HWND given = windows_.Create(L"vexa z given", true);
  HWND hidden1 = windows_.Create(L"vexa z hidden 1", false);
  HWND hidden2 = windows_.Create(L"vexa z hidden 2", false);
  HWND target = windows_.Create(L"vexa z target", true);
  HWND below = windows_.Create(L"vexa z below", true);
  ASSERT_TRUE(given && hidden1 && hidden2 && target && below);
  SetForegroundWindow(given);
  StackOnTop({given, hidden1, hidden2, target, below});
  ASSERT_EQ(GetWindow(given, GW_HWNDNEXT), hidden1);
  ASSERT_EQ(GetWindow(hidden2, GW_HWNDNEXT), target);
  ASSERT_EQ(GetForegroundWindow(), given);

  Load(6);
  EXPECT_EQ(vexa_->CTL_Init(ToVexaWindow(given)), 1);
  EXPECT_EQ(vexa_->CTL_IsExist(), 1);
  EXPECT_EQ(vexa_->CTL_Switch_To_Control(), 1);
  EXPECT_EQ(GetForegroundWindow(), target);
}

TEST_F(ControlTest, LowestWindowChangesNothing) {
  HWND other = windows_.Create(L"vexa z other", true);
  HWND lowest = windows_.Create(L"vexa z lowest", true);
  ASSERT_TRUE(other && lowest);
  SetForegroundWindow(other);
  SetWindowPos(lowest, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_EQ(GetWindow(lowest, GW_HWNDNEXT), nullptr);
  ASSERT_EQ(GetForegroundWindow(), other);

  Load(6);
  vexa_->CTL_Init(ToVexaWindow(lowest));
  EXPECT_EQ(vexa_->CTL_Switch_To_Control(), 1);
  EXPECT_EQ(GetForegroundWindow(), other);
}

}  // namespace
}  // namespace vexa::test
