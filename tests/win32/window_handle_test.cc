// A window handle with bit 31 set, through CTL_Init: the export takes 32
// bits, and on 64-bit Windows the library must widen them as Windows does,
// by sign extension, or user32 sees another window and the foreground walk
// no longer recognises the stored one. No real window has such a handle
// under Wine, so the walk's user32 calls are answered at the DLL's imports.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/vexa_library.h"

namespace vexa::test {
namespace {

std::vector<HWND> g_next_of;     // GetWindow arguments
std::vector<HWND> g_foreground;  // SetForegroundWindow arguments

// Each window's next one is itself, and visible, and its handle comes back
// sign-extended, as user32 returns handles: the walk ends at once on that
// window, which is the stored one exactly when the handle was widened so.
HWND WINAPI SelfGetWindow(HWND window, UINT /*command*/) {
  g_next_of.push_back(window);
  return static_cast<HWND>(LongToHandle(HandleToLong(window)));
}

BOOL WINAPI AlwaysVisible(HWND /*window*/) { return TRUE; }

BOOL WINAPI RecordingSetForeground(HWND window) {
  g_foreground.push_back(window);
  return TRUE;
}

TEST(WindowHandle, BitThirtyOneSurvivesCtlInit) {
  SetEnv("VEXA_PLATFORM_CODE", "6");
  auto vexa = std::make_unique<VexaLibrary>();
  ASSERT_TRUE(vexa->loaded());
  ASSERT_NE(vexa->ReplaceImport("user32.dll", "GetWindow",
                                reinterpret_cast<void*>(&SelfGetWindow)),
            nullptr);
  ASSERT_NE(vexa->ReplaceImport("user32.dll", "IsWindowVisible",
                                reinterpret_cast<void*>(&AlwaysVisible)),
            nullptr);
  ASSERT_NE(vexa->ReplaceImport("user32.dll", "SetForegroundWindow",
                                reinterpret_cast<void*>(&RecordingSetForeground)),
            nullptr);

  const VexaWindow given = 0x80001234u;
  EXPECT_EQ(vexa->CTL_Init(given), 1);
  EXPECT_EQ(vexa->CTL_Switch_To_Control(), 1);

  // LongToHandle widens as Windows defines it.
  const HWND widened = static_cast<HWND>(LongToHandle(static_cast<LONG>(given)));
  EXPECT_EQ(g_next_of, std::vector<HWND>{widened});
  EXPECT_TRUE(g_foreground.empty());
}

}  // namespace
}  // namespace vexa::test
