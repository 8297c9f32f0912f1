// Vexa.dll as the navigation program sees it: loaded at run time from this
// program's folder (so every test gets a fresh process attach, with the
// platform code it set beforehand), its eleven exports looked up by name,
// and unloaded again, which runs the DLL's teardown.
//
// ReplaceImport swaps one entry of the DLL's import address table, so a test
// can watch or answer a system call that the library makes (the broadcasts
// that Wine does not deliver, the display-driver escape), while every other
// call goes to the real system.
//
// The stand-in peers read their answers from the C runtime's environment,
// which SetEnv changes for the whole process (every module shares the one
// msvcrt.dll) and for the processes it starts.

#ifndef VEXA_TESTS_WIN32_SUPPORT_VEXA_LIBRARY_H_
#define VEXA_TESTS_WIN32_SUPPORT_VEXA_LIBRARY_H_

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <string>

#include "vexa/vexa.h"

namespace vexa::test {

// Sets (or, with an empty value, removes) a variable of the environment.
void SetEnv(const char* name, const std::string& value);

class VexaLibrary {
 public:
  // Loads Vexa.dll; loaded() tells whether that worked.
  VexaLibrary();
  // Unloads it: process detach and the DLL's exit list run.
  ~VexaLibrary();
  VexaLibrary(const VexaLibrary&) = delete;
  VexaLibrary& operator=(const VexaLibrary&) = delete;

  bool loaded() const { return module_ != nullptr; }
  HMODULE module() const { return module_; }

  // Replaces the DLL's import of `function` from `dll` (case-insensitive
  // DLL name) with `replacement`; returns the address it had, or null when
  // the DLL imports no such function by name. The change ends with the
  // unload.
  void* ReplaceImport(const char* dll, const char* function, void* replacement);

  decltype(&::CTL_Init) CTL_Init = nullptr;
  decltype(&::CTL_IsExist) CTL_IsExist = nullptr;
  decltype(&::CTL_Switch_To_Control) CTL_Switch_To_Control = nullptr;
  decltype(&::PTT_Get_DataPacket) PTT_Get_DataPacket = nullptr;
  decltype(&::PTT_Init) PTT_Init = nullptr;
  decltype(&::PTT_Parse_Raw_Protocol) PTT_Parse_Raw_Protocol = nullptr;
  decltype(&::PTT_Set_Callback) PTT_Set_Callback = nullptr;
  decltype(&::SND_Get_Volume) SND_Get_Volume = nullptr;
  decltype(&::SND_Set_Volume) SND_Set_Volume = nullptr;
  decltype(&::SND_Start_Play_Sound) SND_Start_Play_Sound = nullptr;
  decltype(&::SND_Stop_Play_Sound) SND_Stop_Play_Sound = nullptr;

 private:
  HMODULE module_ = nullptr;
};

// A 32-bit window handle as the exports take it. Window handles on 64-bit
// Windows carry 32 significant bits.
inline VexaWindow ToVexaWindow(HWND window) {
  return static_cast<VexaWindow>(reinterpret_cast<std::uintptr_t>(window));
}

}  // namespace vexa::test

#endif  // VEXA_TESTS_WIN32_SUPPORT_VEXA_LIBRARY_H_
