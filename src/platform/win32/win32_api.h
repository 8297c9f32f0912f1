// The Win32 headers as the win32 platform layer includes them (without the
// min/max macros and the rarely used parts), and the one conversion every
// file needs: the seam passes UTF-16 names as char16_t, the Win32 calls take
// wchar_t, which is the same 16-bit unit on Windows.

#ifndef VEXA_SRC_PLATFORM_WIN32_WIN32_API_H_
#define VEXA_SRC_PLATFORM_WIN32_WIN32_API_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace vexa::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t),
              "UTF-16 names are passed to Win32 unchanged");

inline const wchar_t* Wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}

inline wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

}  // namespace vexa::platform::win32

#endif  // VEXA_SRC_PLATFORM_WIN32_WIN32_API_H_
