// The host dispatch table and the platform.h functions, each a one-line
// call through its row of the table in use. DefaultServices() holds the real
// implementations from the role files (files.cc, code_pages.cc, ...).
//
// Threading: the table is read without a lock; tests change rows only
// while no other thread is inside the library. Both tables are constant-
// initialised (the table in use is a copy of a constexpr one), so no first
// call initialises anything behind a guard that calls of two families from
// two threads could race on.

#include "platform/host/host_services.h"

#include "platform/host/host_internal.h"
#include "platform/platform.h"

namespace vexa::platform::host {

namespace {

constexpr Services kDefault = {
    HostOpenFile,
    HostCloseFile,
    HostFlushFileCommitted,
    HostDeleteFileWide,
    HostAnsiCodePage,
    HostWideToCodePage,
    HostCodePageToWide,
    HostLoadLibrary,
    HostFindExport,
    HostUnloadLibrary,
    HostOpenRegistryKey,
    HostQueryRegistryValue,
    HostCloseRegistryKey,
    HostFindWindowByTitle,
    HostDeliverMessage,
    HostNextWindow,
    HostIsWindowVisible,
    HostBringToForeground,
    HostGetDeviceContext,
    HostReleaseDeviceContext,
    HostDisplayEscape,
    HostCreateNamedEvent,
    HostSignalEvent,
    HostCreateNamedMapping,
    HostMapWholeView,
    HostUnmapView,
    HostCloseKernelObject,
    HostTickCount,
};

// The table in use.
Services g_current = kDefault;

}  // namespace

const Services& DefaultServices() { return kDefault; }

Services& CurrentServices() { return g_current; }

ScopedServices::ScopedServices() : saved_(CurrentServices()) {}

ScopedServices::~ScopedServices() { CurrentServices() = saved_; }

}  // namespace vexa::platform::host

namespace vexa::platform {

using host::CurrentServices;

std::FILE* OpenFile(const char* path, const char* mode) {
  return CurrentServices().open_file(path, mode);
}

int CloseFile(std::FILE* file) { return CurrentServices().close_file(file); }

void FlushFileCommitted(std::FILE* file) {
  CurrentServices().flush_file_committed(file);
}

bool DeleteFileWide(const char16_t* path) {
  return CurrentServices().delete_file_wide(path);
}

unsigned AnsiCodePage() { return CurrentServices().ansi_code_page(); }

int WideToCodePage(unsigned code_page, const char16_t* text, int units,
                   char* out, int capacity) {
  return CurrentServices().wide_to_code_page(code_page, text, units, out,
                                             capacity);
}

int CodePageToWide(unsigned code_page, const char* text, char16_t* out,
                   int capacity) {
  return CurrentServices().code_page_to_wide(code_page, text, out, capacity);
}

Library LoadLibraryByName(const char16_t* file_name) {
  return CurrentServices().load_library(file_name);
}

void* FindExport(Library library, const char* name) {
  return CurrentServices().find_export(library, name);
}

void UnloadLibrary(Library library) {
  CurrentServices().unload_library(library);
}

long OpenRegistryKey(RegistryKey root, const char16_t* subkey,
                     std::uint32_t options, std::uint32_t access,
                     RegistryKey* key) {
  return CurrentServices().open_registry_key(root, subkey, options, access,
                                             key);
}

long QueryRegistryValue(RegistryKey key, const char16_t* name, void* buffer,
                        std::uint32_t* size) {
  return CurrentServices().query_registry_value(key, name, buffer, size);
}

void CloseRegistryKey(RegistryKey key) {
  CurrentServices().close_registry_key(key);
}

Window FindWindowByTitle(const char16_t* title) {
  return CurrentServices().find_window_by_title(title);
}

std::intptr_t DeliverMessage(Window window, std::uint32_t message,
                             std::uintptr_t wparam, std::intptr_t lparam) {
  return CurrentServices().deliver_message(window, message, wparam, lparam);
}

Window NextWindow(Window window) {
  return CurrentServices().next_window(window);
}

bool IsWindowVisible(Window window) {
  return CurrentServices().is_window_visible(window);
}

void BringToForeground(Window window) {
  CurrentServices().bring_to_foreground(window);
}

DeviceContext GetDeviceContext(Window window) {
  return CurrentServices().get_device_context(window);
}

void ReleaseDeviceContext(Window window, DeviceContext dc) {
  CurrentServices().release_device_context(window, dc);
}

int DisplayEscape(DeviceContext dc, int code, int input_size,
                  const char* input, int output_size, char* output) {
  return CurrentServices().display_escape(dc, code, input_size, input,
                                          output_size, output);
}

KernelObject CreateNamedEvent(const char16_t* name, bool manual_reset,
                              bool initially_signalled) {
  return CurrentServices().create_named_event(name, manual_reset,
                                              initially_signalled);
}

bool SignalEvent(KernelObject event) {
  return CurrentServices().signal_event(event);
}

KernelObject CreateNamedMapping(const char16_t* name, std::uint32_t size) {
  return CurrentServices().create_named_mapping(name, size);
}

void* MapWholeView(KernelObject mapping) {
  return CurrentServices().map_whole_view(mapping);
}

void UnmapView(void* view) { CurrentServices().unmap_view(view); }

void CloseKernelObject(KernelObject object) {
  CurrentServices().close_kernel_object(object);
}

std::uint32_t TickCount() { return CurrentServices().tick_count(); }

}  // namespace vexa::platform
