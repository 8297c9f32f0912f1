// Kernel objects: a named event and a named mapping backed by the paging
// file. Both Create calls open the object when it already exists, which the
// callers treat as success. CE has no SetEvent export: its headers define
// it as EventModify(event, EVENT_SET), which is what is called here.

#include <cstdint>

#include "platform/platform.h"
#include "platform/wince/wince_api.h"

namespace vexa::platform {

KernelObject CreateNamedEvent(const char16_t* name, bool manual_reset,
                              bool initially_signalled) {
  return ::CreateEventW(nullptr, manual_reset ? TRUE : FALSE,
                        initially_signalled ? TRUE : FALSE, wince::Wide(name));
}

bool SignalEvent(KernelObject event) {
  return ::EventModify(static_cast<HANDLE>(event), EVENT_SET) != FALSE;
}

KernelObject CreateNamedMapping(const char16_t* name, std::uint32_t size) {
  return ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                              size, wince::Wide(name));
}

void* MapWholeView(KernelObject mapping) {
  return ::MapViewOfFile(static_cast<HANDLE>(mapping), FILE_MAP_WRITE, 0, 0, 0);
}

void UnmapView(void* view) { ::UnmapViewOfFile(view); }

void CloseKernelObject(KernelObject object) {
  ::CloseHandle(static_cast<HANDLE>(object));
}

}  // namespace vexa::platform
