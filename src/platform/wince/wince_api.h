// The coredll.dll calls that the CE platform layer makes, declared here
// because no CE SDK is at hand. Each is imported by the name coredll
// exports it under (see imports.tsv beside this file); the types are CE's,
// written as the fixed-width types they are on 32-bit ARM. CE passes
// arguments as ARM's procedure call standard does, which the compiler
// follows for these plain C declarations.
//
// Only what the layer calls is declared, with the constants it passes.
// The C library functions (fopen, malloc, strtol, ...) come from coredll
// too, under the standard names that newlib's headers declare; what those
// headers would implement themselves (errno, the stdio macros) is never
// used at run time (see runtime.cc).

#ifndef VEXA_SRC_PLATFORM_WINCE_WINCE_API_H_
#define VEXA_SRC_PLATFORM_WINCE_WINCE_API_H_

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace vexa::platform::wince {

static_assert(sizeof(wchar_t) == sizeof(char16_t),
              "CE's wide characters are UTF-16 units (-fshort-wchar)");

inline const wchar_t* Wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}

inline wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

}  // namespace vexa::platform::wince

extern "C" {

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using HANDLE = void*;
using HWND = void*;
using HDC = void*;
using HKEY = void*;
using HMODULE = void*;
using WPARAM = std::uint32_t;
using LPARAM = std::int32_t;
using LRESULT = std::int32_t;
using FARPROC = void*;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;
constexpr LONG ERROR_SUCCESS = 0;
constexpr DWORD EVENT_SET = 3;        // EventModify: what SetEvent is on CE
constexpr DWORD PAGE_READWRITE = 0x04;
constexpr DWORD FILE_MAP_WRITE = 0x0002;
constexpr UINT GW_HWNDNEXT = 2;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(-1);

// ---- Files and the C runtime parts that CE does differently ----
BOOL DeleteFileW(const wchar_t* path);
BOOL FlushFileBuffers(HANDLE file);
// CE's _fileno gives the stream's OS file handle, not a descriptor.
void* _fileno(std::FILE* file);
int _vsnprintf(char* out, std::size_t count, const char* format,
               std::va_list args);

// ---- Code pages ----
UINT GetACP();
int WideCharToMultiByte(UINT code_page, DWORD flags, const wchar_t* text,
                        int units, char* out, int capacity,
                        const char* default_char, BOOL* used_default);
int MultiByteToWideChar(UINT code_page, DWORD flags, const char* text,
                        int bytes, wchar_t* out, int capacity);

// ---- Libraries ----
HMODULE LoadLibraryW(const wchar_t* file_name);
// CE's only lookup in every release: the export name in UTF-16.
FARPROC GetProcAddressW(HMODULE module, const wchar_t* name);
BOOL FreeLibrary(HMODULE module);

// ---- Registry ----
LONG RegOpenKeyExW(HKEY root, const wchar_t* subkey, DWORD options,
                   DWORD sam_desired, HKEY* key);
LONG RegQueryValueExW(HKEY key, const wchar_t* name, DWORD* reserved,
                      DWORD* type, std::uint8_t* data, DWORD* size);
LONG RegCloseKey(HKEY key);

// ---- Windows and messages ----
HWND FindWindowW(const wchar_t* class_name, const wchar_t* title);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
HWND GetWindow(HWND window, UINT command);
BOOL IsWindowVisible(HWND window);
BOOL SetForegroundWindow(HWND window);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
int ExtEscape(HDC dc, int code, int input_size, const char* input,
              int output_size, char* output);

// ---- Kernel objects ----
HANDLE CreateEventW(void* attributes, BOOL manual_reset, BOOL initial_state,
                    const wchar_t* name);
BOOL EventModify(HANDLE event, DWORD function);
HANDLE CreateFileMappingW(HANDLE file, void* attributes, DWORD protect,
                          DWORD size_high, DWORD size_low,
                          const wchar_t* name);
void* MapViewOfFile(HANDLE mapping, DWORD access, DWORD offset_high,
                    DWORD offset_low, DWORD bytes);
BOOL UnmapViewOfFile(const void* view);
BOOL CloseHandle(HANDLE object);

// ---- Time ----
DWORD GetTickCount();

}  // extern "C"

#endif  // VEXA_SRC_PLATFORM_WINCE_WINCE_API_H_
