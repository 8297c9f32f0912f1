// Loading and unloading Vexa.dll under the Windows loader: its load-time
// link to PC.dll, the entry point's answers, and the teardown order of the
// exit list at unload, seen through the stand-in mutex's trace.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/scratch_folder.h"
#include "support/vexa_library.h"

namespace vexa::test {
namespace {

// A thread procedure (WINAPI: __stdcall on 32-bit x86).
DWORD WINAPI DoNothing(LPVOID) { return 0; }

bool CopyFromProgramFolder(const wchar_t* name, const std::wstring& folder) {
  return CopyFileW((ProgramFolder() + name).c_str(),
                   (folder + L"\\" + name).c_str(), FALSE) != FALSE;
}

// PC.dll is imported at load time: a Vexa.dll whose folder lacks it (and
// whose search path holds no other) does not load; with it, it does. Runs
// in a process that has not loaded PC.dll yet, as each case here does.
TEST(DllLoading, FailsWithoutPlatformLibraryAndLoadsWithIt) {
  ScratchFolder folder;
  for (const wchar_t* name : {L"Vexa.dll", L"NORL.dll", L"NORL_MERIAK.dll"}) {
    ASSERT_TRUE(CopyFromProgramFolder(name, folder.wide()));
  }
  const std::wstring dll = folder.wide() + L"\\Vexa.dll";

  SetLastError(0);
  HMODULE module = LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  EXPECT_EQ(module, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  if (module != nullptr) FreeLibrary(module);

  ASSERT_TRUE(CopyFromProgramFolder(L"PC.dll", folder.wide()));
  module = LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(GetProcAddress(module, "SND_Start_Play_Sound"), nullptr);
  FreeLibrary(module);
}

// The ordinals are what a caller that imports by number relies on.
TEST(DllLoading, ExportsAreReachableByNumber) {
  VexaLibrary vexa;
  ASSERT_TRUE(vexa.loaded());
  const char* names[] = {"CTL_Init", "CTL_IsExist", "CTL_Switch_To_Control",
                         "PTT_Get_DataPacket", "PTT_Init",
                         "PTT_Parse_Raw_Protocol", "PTT_Set_Callback",
                         "SND_Get_Volume", "SND_Set_Volume",
                         "SND_Start_Play_Sound", "SND_Stop_Play_Sound"};
  for (int number = 1; number <= 11; ++number) {
    EXPECT_EQ(reinterpret_cast<void*>(
                  GetProcAddress(vexa.module(), MAKEINTRESOURCEA(number))),
              reinterpret_cast<void*>(GetProcAddress(vexa.module(), names[number - 1])))
        << names[number - 1];
  }
  EXPECT_EQ(GetProcAddress(vexa.module(), MAKEINTRESOURCEA(12)), nullptr);
}

// The entry point answers 1 to thread notifications and to reasons it does
// not know; threads started and ended while the DLL is loaded change
// nothing.
TEST(DllLoading, EntryPointAnswersOneToOtherReasons) {
  VexaLibrary vexa;
  ASSERT_TRUE(vexa.loaded());
  auto* base = reinterpret_cast<BYTE*>(vexa.module());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  using Entry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
  auto entry = reinterpret_cast<Entry>(base + nt->OptionalHeader.AddressOfEntryPoint);
  EXPECT_EQ(entry(vexa.module(), DLL_THREAD_ATTACH, nullptr), 1);
  EXPECT_EQ(entry(vexa.module(), DLL_THREAD_DETACH, nullptr), 1);
  EXPECT_EQ(entry(vexa.module(), 7, nullptr), 1);

  HANDLE thread = CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  EXPECT_EQ(vexa.SND_Set_Volume(5), vexa.SND_Set_Volume(5));
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < text.size()) {
    std::string::size_type end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The exit list runs at FreeLibrary, last registration first: the mutexes
// are constructed in the order of first use (sound at attach, then control,
// then destination here) and destroyed in the reverse order.
TEST(DllLoading, UnloadTearsDownInReverseOrderOfFirstUse) {
  ScratchFolder folder;
  const std::string trace = folder.AnsiPath(L"trace.txt");
  SetEnv("VEXA_NORL_TRACE", trace);
  SetEnv("VEXA_PLATFORM_CODE", "3");
  SetEnv("VEXA_GUIDE_PLAN", "3");
  {
    VexaLibrary vexa;
    ASSERT_TRUE(vexa.loaded());
    EXPECT_EQ(vexa.CTL_Init(0), 1);
    EXPECT_EQ(vexa.PTT_Init(), VEXA_E_BAD_PLAN);
  }
  SetEnv("VEXA_NORL_TRACE", "");

  std::vector<std::string> destroyed;
  std::vector<std::string> constructed;
  for (const std::string& line : Lines(folder.Read(L"trace.txt"))) {
    if (line.rfind("mutex-construct ", 0) == 0) constructed.push_back(line.substr(16));
    if (line.rfind("mutex-destroy ", 0) == 0) destroyed.push_back(line.substr(14));
  }
  ASSERT_EQ(constructed.size(), 3u);
  EXPECT_EQ(destroyed, (std::vector<std::string>{constructed[2], constructed[1],
                                                  constructed[0]}));
}

}  // namespace
}  // namespace vexa::test
