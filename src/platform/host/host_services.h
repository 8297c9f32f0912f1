// The host platform layer's dispatch table. Every function of platform.h
// calls through one row of this table, so a test can replace a single
// service (the clock, the window system, file opening, ...) with a fake and
// restore the real one afterwards, without any module knowing.
//
// Host only: the win32 layer calls the system directly.
//
// Threading: the table is read on every call without a lock. Change it only
// while no other thread is inside the library (tests do so between steps).

#ifndef VEXA_SRC_PLATFORM_HOST_HOST_SERVICES_H_
#define VEXA_SRC_PLATFORM_HOST_HOST_SERVICES_H_

#include <cstdint>
#include <cstdio>

#include "platform/platform.h"

namespace vexa::platform::host {

struct Services {
  // Files
  std::FILE* (*open_file)(const char* path, const char* mode);
  int (*close_file)(std::FILE* file);
  void (*flush_file_committed)(std::FILE* file);
  bool (*delete_file_wide)(const char16_t* path);
  // Code pages
  unsigned (*ansi_code_page)();
  int (*wide_to_code_page)(unsigned code_page, const char16_t* text, int units,
                           char* out, int capacity);
  int (*code_page_to_wide)(unsigned code_page, const char* text, char16_t* out,
                           int capacity);
  // Dynamic libraries
  Library (*load_library)(const char16_t* file_name);
  void* (*find_export)(Library library, const char* name);
  void (*unload_library)(Library library);
  // Registry
  long (*open_registry_key)(RegistryKey root, const char16_t* subkey,
                            std::uint32_t options, std::uint32_t access,
                            RegistryKey* key);
  long (*query_registry_value)(RegistryKey key, const char16_t* name,
                               void* buffer, std::uint32_t* size);
  void (*close_registry_key)(RegistryKey key);
  // Windows and messages
  Window (*find_window_by_title)(const char16_t* title);
  std::intptr_t (*deliver_message)(Window window, std::uint32_t message,
                                   std::uintptr_t wparam, std::intptr_t lparam);
  Window (*next_window)(Window window);
  bool (*is_window_visible)(Window window);
  void (*bring_to_foreground)(Window window);
  DeviceContext (*get_device_context)(Window window);
  void (*release_device_context)(Window window, DeviceContext dc);
  int (*display_escape)(DeviceContext dc, int code, int input_size,
                        const char* input, int output_size, char* output);
  // Kernel objects
  KernelObject (*create_named_event)(const char16_t* name, bool manual_reset,
                                     bool initially_signalled);
  bool (*signal_event)(KernelObject event);
  KernelObject (*create_named_mapping)(const char16_t* name, std::uint32_t size);
  void* (*map_whole_view)(KernelObject mapping);
  void (*unmap_view)(void* view);
  void (*close_kernel_object)(KernelObject object);
  // Time
  std::uint32_t (*tick_count)();
};

// The real host implementations.
const Services& DefaultServices();

// The table in use. Starts as a copy of DefaultServices().
Services& CurrentServices();

// Saves the table in use and restores it on destruction, so a test can
// replace rows freely inside a scope.
class ScopedServices {
 public:
  ScopedServices();
  ~ScopedServices();
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

  Services& table() { return CurrentServices(); }

 private:
  Services saved_;
};

}  // namespace vexa::platform::host

#endif  // VEXA_SRC_PLATFORM_HOST_HOST_SERVICES_H_
