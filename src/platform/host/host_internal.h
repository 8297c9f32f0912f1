// The host implementations of the platform services, one group per file,
// named after the role (files.cc, code_pages.cc, ...). host_services.cc puts
// them into the default dispatch table; nothing else calls them directly,
// except the host-only helpers below that other host files share.
//
// Threading: as platform.h; every function may be called from any thread.

#ifndef VEXA_SRC_PLATFORM_HOST_HOST_INTERNAL_H_
#define VEXA_SRC_PLATFORM_HOST_HOST_INTERNAL_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/platform.h"

namespace vexa::platform::host {

// ---- files.cc ----
std::FILE* HostOpenFile(const char* path, const char* mode);
int HostCloseFile(std::FILE* file);
void HostFlushFileCommitted(std::FILE* file);
bool HostDeleteFileWide(const char16_t* path);

// Turns an 8-bit path in the system code page into the UTF-8 path the file
// system uses, with every '\' made a '/'. Writes a NUL-terminated path into
// `out` of `capacity` bytes and returns true; returns false, leaving `out`
// unspecified, when the path cannot be converted or does not fit.
bool HostPathFromCodePage(const char* path, char* out, std::size_t capacity);

// The same for a NUL-terminated UTF-16 path.
bool HostPathFromWide(const char16_t* path, char* out, std::size_t capacity);

// ---- code_pages.cc ----
unsigned HostAnsiCodePage();
int HostWideToCodePage(unsigned code_page, const char16_t* text, int units,
                       char* out, int capacity);
int HostCodePageToWide(unsigned code_page, const char* text, char16_t* out,
                       int capacity);

// Encodes NUL-terminated UTF-16 as NUL-terminated UTF-8 into `out` of
// `capacity` bytes; a lone surrogate becomes U+FFFD. When `backslash_to_slash`
// is set, every '\' becomes '/'. Returns false when the result does not fit.
// Makes no heap allocation.
bool Utf16ToUtf8(const char16_t* text, char* out, std::size_t capacity,
                 bool backslash_to_slash);

// ---- libraries.cc ----
Library HostLoadLibrary(const char16_t* file_name);
void* HostFindExport(Library library, const char* name);
void HostUnloadLibrary(Library library);

// ---- registry.cc ----
long HostOpenRegistryKey(RegistryKey root, const char16_t* subkey,
                         std::uint32_t options, std::uint32_t access,
                         RegistryKey* key);
long HostQueryRegistryValue(RegistryKey key, const char16_t* name,
                            void* buffer, std::uint32_t* size);
void HostCloseRegistryKey(RegistryKey key);

// ---- windows.cc ----
Window HostFindWindowByTitle(const char16_t* title);
std::intptr_t HostDeliverMessage(Window window, std::uint32_t message,
                                 std::uintptr_t wparam, std::intptr_t lparam);
Window HostNextWindow(Window window);
bool HostIsWindowVisible(Window window);
void HostBringToForeground(Window window);
DeviceContext HostGetDeviceContext(Window window);
void HostReleaseDeviceContext(Window window, DeviceContext dc);
int HostDisplayEscape(DeviceContext dc, int code, int input_size,
                      const char* input, int output_size, char* output);

// ---- kernel_objects.cc ----
KernelObject HostCreateNamedEvent(const char16_t* name, bool manual_reset,
                                  bool initially_signalled);
bool HostSignalEvent(KernelObject event);
KernelObject HostCreateNamedMapping(const char16_t* name, std::uint32_t size);
void* HostMapWholeView(KernelObject mapping);
void HostUnmapView(void* view);
void HostCloseKernelObject(KernelObject object);

// ---- time.cc ----
std::uint32_t HostTickCount();

}  // namespace vexa::platform::host

#endif  // VEXA_SRC_PLATFORM_HOST_HOST_INTERNAL_H_
