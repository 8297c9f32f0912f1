// The operating-system services that the modules use, grouped by role and
// named for what they do. This is the only operating-system-facing API the
// modules may call. Each build links exactly one implementation:
// src/platform/host/ (Linux: real POSIX services plus a simulated window
// system, display driver and registry) or src/platform/win32/ (the real
// Win32 calls).
//
// Text conventions: 8-bit text is in the system code page; names of windows,
// registry keys and values, libraries and kernel objects are UTF-16, passed
// as NUL-terminated char16_t strings (wchar_t on Windows).
//
// Threading: every function may be called from any thread; none of them
// keeps state that a caller must protect, except where noted.

#ifndef VEXA_SRC_PLATFORM_PLATFORM_H_
#define VEXA_SRC_PLATFORM_PLATFORM_H_

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace vexa::platform {

// ---- Files ---------------------------------------------------------------

// Opens a standard I/O stream by an 8-bit path in the system code page with
// a C runtime mode ("rb", "w+c", ...). The 'c' flag asks that a flush commit
// the data to the storage medium. The host converts the path to UTF-8 and
// maps '\' to '/'. Returns null when the file cannot be opened. The caller
// owns the stream and closes it with CloseFile. Reading, seeking and telling
// use the standard functions on the returned stream.
std::FILE* OpenFile(const char* path, const char* mode);

// Closes a stream from OpenFile. Returns 0 on success.
int CloseFile(std::FILE* file);

// Flushes a stream and commits its data to the storage medium.
void FlushFileCommitted(std::FILE* file);

// Deletes the file at a NUL-terminated UTF-16 path. Returns true when the
// file was deleted.
bool DeleteFileWide(const char16_t* path);

// ---- Formatted text ------------------------------------------------------

// Formats `format` with `args` as vsnprintf does into `out` (`capacity` > 0):
// at most capacity - 1 characters, always terminated; a longer text is cut.
// A formatting error leaves an empty text (on Windows CE, whose runtime
// cannot tell an error from a cut text, whatever was written). Windows
// formats with the C runtime's own formatter (msvcrt.dll, coredll.dll on
// CE), so use only the conversions common to it and C99 (flags, width,
// precision; d i u o x X c s p %; h and l).
void FormatText(char* out, std::size_t capacity, const char* format,
                std::va_list args);

// ---- Code pages ----------------------------------------------------------

// The system's ANSI code page (936 for GBK).
unsigned AnsiCodePage();

// Converts `units` UTF-16 units from `text` into code page `code_page`,
// writing at most `capacity` bytes to `out`. A character that the code page
// lacks becomes the code page's default character. All or nothing: when the
// result needs more than `capacity` bytes, or `units` is not positive, the
// result is 0 and the content of `out` is unspecified. Returns the number of
// bytes written; no terminator is added.
int WideToCodePage(unsigned code_page, const char16_t* text, int units,
                   char* out, int capacity);

// Converts NUL-terminated 8-bit `text` in `code_page`, terminator included,
// to UTF-16 in `out` of `capacity` units. All or nothing: returns the number
// of units written including the terminator, or 0 when the result does not
// fit or the text cannot be converted.
int CodePageToWide(unsigned code_page, const char* text, char16_t* out,
                   int capacity);

// ---- Dynamic libraries ---------------------------------------------------

using Library = void*;

// Loads a library by file name. Returns null when it cannot be loaded.
Library LoadLibraryByName(const char16_t* file_name);

// Looks up an export by name. Returns null when there is none.
void* FindExport(Library library, const char* name);

// Unloads a library from LoadLibraryByName.
void UnloadLibrary(Library library);

// ---- Registry ------------------------------------------------------------

using RegistryKey = std::uintptr_t;
constexpr RegistryKey kCurrentUser = 0x80000001u;  // HKEY_CURRENT_USER

// Opens `subkey` under `root`. Returns 0 and writes the key on success; a
// non-zero error otherwise, leaving `key` alone.
long OpenRegistryKey(RegistryKey root, const char16_t* subkey,
                     std::uint32_t options, std::uint32_t access,
                     RegistryKey* key);

// Reads value `name` into `buffer` of `*size` bytes. Returns 0 on success
// and sets `*size` to the bytes written; non-zero otherwise (a value larger
// than the buffer included). The value's type is not examined.
long QueryRegistryValue(RegistryKey key, const char16_t* name, void* buffer,
                        std::uint32_t* size);

// Closes a key from OpenRegistryKey.
void CloseRegistryKey(RegistryKey key);

// ---- Windows and messages ------------------------------------------------

using Window = std::uintptr_t;          // 0: no window
using DeviceContext = std::uintptr_t;   // 0: none
constexpr Window kBroadcastWindow = 0xFFFF;  // all top-level windows

// A window handle as it crosses the library's boundary, 32 bits wide,
// widened to the handle width. Windows defines window handles as
// sign-extended 32-bit values: on 64-bit Windows the window 0x80000010 is
// the handle 0xFFFFFFFF80000010.
constexpr Window WindowFromBoundary(std::uint32_t handle) {
  return static_cast<Window>(
      static_cast<std::intptr_t>(static_cast<std::int32_t>(handle)));
}

// The top-level window with exactly this title, of any class, or 0.
Window FindWindowByTitle(const char16_t* title);

// Delivers a message and returns the receiver's result. To
// kBroadcastWindow it goes to every top-level window, the private message
// range WM_USER to 0xBFFF included (which desktop Windows does not
// broadcast itself), and the result is 1. Each window gets 250 ms to
// answer, and a hung one is skipped, so that no listener can stop the
// caller; the call may thus take 250 ms per busy top-level window. (The host's simulated window system returns the broadcast result
// a test sets, 1 by default.)
std::intptr_t DeliverMessage(Window window, std::uint32_t message,
                             std::uintptr_t wparam, std::intptr_t lparam);

// The next window below `window` in z-order, or 0.
Window NextWindow(Window window);

// Whether the window is visible.
bool IsWindowVisible(Window window);

// Makes the window the foreground window.
void BringToForeground(Window window);

// The device context of a window; give it back with ReleaseDeviceContext.
DeviceContext GetDeviceContext(Window window);
void ReleaseDeviceContext(Window window, DeviceContext dc);

// Issues a display-driver escape and returns the driver's result unchanged.
int DisplayEscape(DeviceContext dc, int code, int input_size,
                  const char* input, int output_size, char* output);

// ---- Kernel objects ------------------------------------------------------

using KernelObject = void*;  // null: none

// Creates the named event, or opens it when it already exists. Returns null
// on failure.
KernelObject CreateNamedEvent(const char16_t* name, bool manual_reset,
                              bool initially_signalled);

// Signals an event. An auto-reset event releases one waiter and resets.
bool SignalEvent(KernelObject event);

// Creates a named shared-memory mapping of `size` bytes backed by the paging
// file (read/write), or opens it when it already exists. Null on failure.
KernelObject CreateNamedMapping(const char16_t* name, std::uint32_t size);

// Maps the whole mapping with write access at offset 0. Null on failure.
void* MapWholeView(KernelObject mapping);

// Unmaps a view from MapWholeView.
void UnmapView(void* view);

// Closes an event or a mapping.
void CloseKernelObject(KernelObject object);

// ---- Time ----------------------------------------------------------------

// Milliseconds since an arbitrary start, wrapping at 2^32.
std::uint32_t TickCount();

}  // namespace vexa::platform

#endif  // VEXA_SRC_PLATFORM_PLATFORM_H_
