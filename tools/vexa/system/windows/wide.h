// Text at the Windows boundary: the tool's UTF-8 to the system's UTF-16 and
// back, the system's words for an error code, and writing bytes to a
// handle. Windows files only.

#ifndef VEXA_TOOLS_VEXA_SYSTEM_WINDOWS_WIDE_H_
#define VEXA_TOOLS_VEXA_SYSTEM_WINDOWS_WIDE_H_

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <string_view>

namespace vexa::tool {

// Strict conversions: false for bytes that are not UTF-8 (or unpaired
// surrogates), so that no file name is silently changed.
bool Utf8ToWide(std::string_view utf8, std::wstring* wide);
bool WideToUtf8(std::wstring_view wide, std::string* utf8);

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
