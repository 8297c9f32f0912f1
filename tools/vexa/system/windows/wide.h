// Text at the Windows boundary: the tool's UTF-8 to the system's UTF-16 and
// back (through the one codec, text/text_codec.h, as wchar_t), the
// system's words for an error code, and writing bytes to a handle. Windows
// files only.

#ifndef VEXA_TOOLS_VEXA_SYSTEM_WINDOWS_WIDE_H_
#define VEXA_TOOLS_VEXA_SYSTEM_WINDOWS_WIDE_H_

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <string_view>

#include "text/text_codec.h"

namespace vexa::tool {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");

// Strict conversions: false for bytes that are not UTF-8 (or unpaired
// surrogates), so that no file name is silently changed.
inline bool Utf8ToWide(std::string_view utf8, std::wstring* wide) {
  std::u16string units;
  wide->clear();
  if (!Utf8ToUtf16(utf8, &units)) return false;
  wide->assign(units.begin(), units.end());
  return true;
}

inline bool WideToUtf8(std::wstring_view wide, std::string* utf8) {
  utf8->clear();
  const std::u16string units(wide.begin(), wide.end());
  return Utf16ToUtf8Strict(units, utf8);
}

// The system's message for `code` (a GetLastError value) in UTF-8, without
// its final period or line break, followed by "(error N)".
std::string SystemErrorText(DWORD code);

// Writes all of `bytes` to `file` (WriteFile may write less than asked).
// False, with GetLastError telling why, when a write fails or stops.
bool WriteAll(HANDLE file, std::string_view bytes);

// The folder of the running program, without a final separator.
std::wstring ProgramFolder();

}  // namespace vexa::tool

#endif  // VEXA_TOOLS_VEXA_SYSTEM_WINDOWS_WIDE_H_
