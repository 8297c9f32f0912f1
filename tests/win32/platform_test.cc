// The win32 platform layer against the real system under Wine: the
// behaviour that the host layer imitates (code pages, registry, named
// kernel objects, windows) and the adjustments this layer makes for desktop
// Windows (access 0, predefined root keys, counts Win32 reads differently).

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/scratch_folder.h"

namespace vexa::platform {
namespace {

using test::ScratchFolder;
using test::ToAnsi;

std::u16string Unique(const char16_t* stem) {
  std::u16string name = stem;
  for (char c : std::to_string(GetCurrentProcessId())) name += static_cast<char16_t>(c);
  return name;
}

// ---- Code pages ----------------------------------------------------------

TEST(CodePages, Gbk) {
  ASSERT_EQ(AnsiCodePage(), 936u) << "the suite runs with LC_ALL=zh_CN.UTF-8";
  char out[8];
  ASSERT_EQ(WideToCodePage(936, u"\u63A8\u8350\u6700\u5FEB", 4, out, 8), 8);
  EXPECT_EQ(std::memcmp(out, "\xCD\xC6\xBC\xF6\xD7\xEE\xBF\xEC", 8), 0);

  char16_t wide[3];
  EXPECT_EQ(CodePageToWide(936, "\xCD\xC6\xBC\xF6", wide, 3), 3);
  EXPECT_EQ(std::u16string(wide), u"\u63A8\u8350");
}

TEST(CodePages, AllOrNothing) {
  char out[8];
  EXPECT_EQ(WideToCodePage(936, u"\u63A8\u8350\u6700\u5FEB", 4, out, 7), 0);
  char16_t wide[2];
  EXPECT_EQ(CodePageToWide(936, "\xCD\xC6\xBC\xF6", wide, 2), 0);
}

// Win32 reads a count of -1 as "up to the terminator" and a capacity of 0
// as a size query; through the seam both are simply no conversion.
TEST(CodePages, NoUnitsOrNoRoomConvertsNothing) {
  char out[8] = {};
  EXPECT_EQ(WideToCodePage(936, u"ab", 0, out, 8), 0);
  EXPECT_EQ(WideToCodePage(936, u"ab", -1, out, 8), 0);
  EXPECT_EQ(WideToCodePage(936, u"ab", 2, out, 0), 0);
  char16_t wide[4];
  EXPECT_EQ(CodePageToWide(936, "ab", wide, 0), 0);
}

TEST(CodePages, MissingCharacterBecomesTheDefaultCharacter) {
  char out[4];
  // U+0E01 (Thai) is not in GBK.
  ASSERT_EQ(WideToCodePage(936, u"a\u0E01b", 3, out, 4), 3);
  EXPECT_EQ(std::string(out, 3), "a?b");
}

// ---- Files ---------------------------------------------------------------

TEST(Files, GbkPathCommitFlagAndWideDeletion) {
  ScratchFolder folder;
  const std::wstring name = L"\u65E5\u5FD7.txt";  // 日志.txt
  const std::string path = folder.AnsiPath(name);
  std::FILE* file = OpenFile(path.c_str(), "w+c");
  ASSERT_NE(file, nullptr);
  std::fputs("abc", file);
  FlushFileCommitted(file);
  // Visible to another reader while the stream is still open.
  EXPECT_EQ(folder.Read(name), "abc");
  EXPECT_EQ(CloseFile(file), 0);

  const std::wstring wide = folder.wide() + L"\\" + name;
  const char16_t* wide16 = reinterpret_cast<const char16_t*>(wide.c_str());
  EXPECT_TRUE(DeleteFileWide(wide16));
  EXPECT_FALSE(folder.Exists(name));
  EXPECT_FALSE(DeleteFileWide(wide16));
  EXPECT_EQ(OpenFile(path.c_str(), "rb"), nullptr);
}

// ---- Registry ------------------------------------------------------------

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    subkey_ = u"Software\\VexaTest\\" + Unique(u"p");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, W(subkey_), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t value[] = L"x.dll";
    RegSetValueExW(key, L"AddonDll", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value), sizeof value);
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, W(subkey_)); }

  static const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
  }

  std::u16string subkey_;
};

// The head unit opens with access 0 and queries; desktop Windows needs
// KEY_QUERY_VALUE for that, which the layer asks for instead.
TEST_F(RegistryTest, KeyOpenedWithAccessZeroCanBeQueried) {
  RegistryKey key = 0;
  ASSERT_EQ(OpenRegistryKey(kCurrentUser, subkey_.c_str(), 0, 0, &key), 0);
  char16_t buffer[260] = {};
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(QueryRegistryValue(key, u"AddonDll", buffer, &size), 0);
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(std::u16string(buffer), u"x.dll");

  size = 4;
  EXPECT_NE(QueryRegistryValue(key, u"AddonDll", buffer, &size), 0);
  size = sizeof buffer;
  EXPECT_NE(QueryRegistryValue(key, u"Missing", buffer, &size), 0);
  CloseRegistryKey(key);
}

TEST_F(RegistryTest, MissingKeyLeavesTheHandleAlone) {
  RegistryKey key = 12345;
  EXPECT_NE(OpenRegistryKey(kCurrentUser, (subkey_ + u"\\none").c_str(), 0, 0, &key), 0);
  EXPECT_EQ(key, 12345u);
}

// ---- Kernel objects ------------------------------------------------------

TEST(KernelObjects, SecondCreateOpensTheSameNamedObjects) {
  const std::u16string event_name = Unique(u"vexa-test-event-");
  KernelObject first = CreateNamedEvent(event_name.c_str(), false, false);
  KernelObject second = CreateNamedEvent(event_name.c_str(), false, false);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(SignalEvent(first));
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
  // Auto-reset: one signal, one wake-up.
  EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseKernelObject(first);
  CloseKernelObject(second);

  const std::u16string mapping_name = Unique(u"vexa-test-mapping-");
  KernelObject a = CreateNamedMapping(mapping_name.c_str(), 4);
  KernelObject b = CreateNamedMapping(mapping_name.c_str(), 4);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  void* view_a = MapWholeView(a);
  void* view_b = MapWholeView(b);
  ASSERT_NE(view_a, nullptr);
  ASSERT_NE(view_b, nullptr);
  const std::uint32_t word = 0xA1B2C3D4u;
  std::memcpy(view_a, &word, 4);
  EXPECT_EQ(std::memcmp(view_b, &word, 4), 0);
  UnmapView(view_a);
  UnmapView(view_b);
  CloseKernelObject(a);
  CloseKernelObject(b);
}

// ---- Windows -------------------------------------------------------------

LRESULT CALLBACK AnsweringProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_USER + 5) return static_cast<LRESULT>(wp * 100 + lp);
  return DefWindowProcW(w, m, wp, lp);
}

TEST(Windows, FindDeliverAndWalk) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = AnsweringProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"VexaPlatformTestWindow";
  RegisterClassW(&window_class);
  const std::u16string title = Unique(u"vexa platform test ");
  HWND upper = CreateWindowExW(0, window_class.lpszClassName,
                               reinterpret_cast<const wchar_t*>(title.c_str()),
                               WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                               nullptr, window_class.hInstance, nullptr);
  HWND lower = CreateWindowExW(0, window_class.lpszClassName, L"lower",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50, 50,
                               nullptr, nullptr, window_class.hInstance, nullptr);
  ASSERT_TRUE(upper && lower);
  SetWindowPos(lower, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  const Window found = FindWindowByTitle(title.c_str());
  EXPECT_EQ(found, reinterpret_cast<Window>(upper));
  EXPECT_EQ(FindWindowByTitle(u"vexa: no window has this title"), 0u);
  EXPECT_EQ(DeliverMessage(found, WM_USER + 5, 7, 9), 709);
  EXPECT_EQ(NextWindow(found), reinterpret_cast<Window>(lower));
  EXPECT_FALSE(IsWindowVisible(found));
  EXPECT_TRUE(IsWindowVisible(reinterpret_cast<Window>(lower)));

  DestroyWindow(upper);
  DestroyWindow(lower);
}

}  // namespace
}  // namespace vexa::platform
